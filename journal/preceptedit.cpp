#include "journal/preceptedit.h"

#include <QDateTime>

#include "host/common/captions.h"
#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "host/ui/uiservice.h"
#include "journal/journalcaptions.h"
#include "ledger/accountlookup.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercaptions.h"

namespace fin {

namespace {

double Cents(double value) {
    return BetterRoundTo(value, -2);
}

}  // namespace

TPreceptEditor::TPreceptEditor(TFinancialDM& dm) : dm_(dm) {
    if (dm_.PreceptOpen)
        throw TError(res::PRECEPT_OPEN_ERR);
    TQuery& header = Header();
    if (!header.Active() || (header.IsEmpty() && !header.Editing()))
        throw TError(res::CMN_NO_RECORD_ERR);
    if (!dm_.PrecepttypeZQ().Active())
        dm_.PrecepttypeZQ().Open();
    const TDBIniFile ini(&dm_.Require());
    PreceptNumberChange =
        ini.ReadBool(kFinancialSection, QStringLiteral("PreceptNumberChange"), false);
    UnregisterClosedPeriod =
        ini.ReadDate(kFinancialSection, QStringLiteral("UnregisterClosedPeriod"), kClosedPeriodOff);
    LoadLines();
    dm_.PreceptOpen = true;
    holdsOpen_ = true;
    // A posted line takes its place in the order at once and the totals follow it.
    TQuery& lines = Lines();
    savedAfterPost_ = lines.AfterPost;
    savedAfterDelete_ = lines.AfterDelete;
    lines.AfterPost = [this](TDataSet& ds) {
        if (savedAfterPost_)
            savedAfterPost_(ds);
        if (dm_.SortRecalculating)
            return;
        ComputeTotals();
        const QString order = ds.IndexFieldNames();
        if (!order.isEmpty())
            ds.SetIndexFieldNames(order);
    };
    lines.AfterDelete = [this](TDataSet& ds) {
        if (savedAfterDelete_)
            savedAfterDelete_(ds);
        ComputeTotals();
    };
}

TPreceptEditor::~TPreceptEditor() {
    Lines().AfterPost = savedAfterPost_;
    Lines().AfterDelete = savedAfterDelete_;
    Release();
}

void TPreceptEditor::Release() {
    if (holdsOpen_)
        dm_.PreceptOpen = false;
    holdsOpen_ = false;
}

TQuery& TPreceptEditor::Header() const {
    return dm_.PreceptZQ();
}

TQuery& TPreceptEditor::Lines() const {
    return dm_.PreceptItemZQ();
}

void TPreceptEditor::LoadLines() {
    TQuery& header = Header();
    TQuery& lines = Lines();
    const QVariant id = header.State() == TDataSetState::Insert
                            ? QVariant(-1)
                            : header.FieldByName(QStringLiteral("preceptid")).Value();
    lines.Close();
    lines.ParamByName(QStringLiteral("IDPrecept")).SetValue(id);
    if (lines.IndexFieldNames() != QLatin1String("debit,credit"))
        lines.SetIndexFieldNames(QStringLiteral("sort"));
    lines.Open();
    dm_.FillSubcontoNames();
    lines.First();
    ComputeTotals();
}

void TPreceptEditor::ComputeTotals() {
    TQuery& lines = Lines();
    debit_ = credit_ = balance_ = 0;
    dm_.LastItemSort = 0;
    if (!lines.Active())
        return;
    const int d = lines.FieldByName(QStringLiteral("debit")).Index();
    const int c = lines.FieldByName(QStringLiteral("credit")).Index();
    const int s = lines.FieldByName(QStringLiteral("sort")).Index();
    for (int rec = 1; rec <= lines.RecordCount(); ++rec) {
        const double debit = lines.RecordValue(rec, d).toDouble();
        const double credit = lines.RecordValue(rec, c).toDouble();
        debit_ += Cents(debit);
        credit_ += Cents(credit);
        balance_ += Cents(debit - credit);
        dm_.LastItemSort = qMax(dm_.LastItemSort, lines.RecordValue(rec, s).toInt());
    }
    // A line being typed counts as it stands.
    if (lines.Editing()) {
        const double debit = lines.FieldByName(QStringLiteral("debit")).AsFloat();
        const double credit = lines.FieldByName(QStringLiteral("credit")).AsFloat();
        if (lines.State() == TDataSetState::Edit) {
            const int rec = lines.RecNo();
            debit_ -= Cents(lines.RecordValue(rec, d).toDouble());
            credit_ -= Cents(lines.RecordValue(rec, c).toDouble());
            balance_ -=
                Cents(lines.RecordValue(rec, d).toDouble() - lines.RecordValue(rec, c).toDouble());
        }
        debit_ += Cents(debit);
        credit_ += Cents(credit);
        balance_ += Cents(debit - credit);
    }
}

bool TPreceptEditor::Active() const {
    return Header().FieldByName(QStringLiteral("status")).AsString() != QLatin1String("p");
}

bool TPreceptEditor::Modified() const {
    return Header().Editing() || Lines().Editing() || Lines().UpdatesPending();
}

bool TPreceptEditor::CanRegister() const {
    return !Modified() && Cents(balance_) == 0;
}

QString TPreceptEditor::StatusText() const {
    return Active() ? res::DOC_NOT_REG_STATUS_CAPTION : res::DOC_REG_STATUS_CAPTION;
}

void TPreceptEditor::Save() {
    TQuery& header = Header();
    TQuery& lines = Lines();
    TConnection& connection = dm_.Require();
    // A line being typed is checked before anything is written.
    if (lines.Editing())
        lines.Post();
    const TDataSetState state = header.State();
    const int recNo = header.RecNo();
    QVector<QVariant> typed, stored;
    for (int i = 0; i < header.FieldCount(); ++i) {
        typed << header.Fields(i).Value();
        stored << (state == TDataSetState::Edit ? header.Fields(i).OldValue() : QVariant());
    }
    const int key = lines.FieldByName(QStringLiteral("preceptid")).Index();
    QVector<quint64> orphans;
    for (int rec = 1; rec <= lines.RecordCount(); ++rec)
        if (lines.RecordValue(rec, key).toLongLong() <= 0)
            orphans << lines.BookmarkAt(rec);
    const quint64 currentLine = lines.Bookmark();

    try {
        TTransaction transaction(connection);
        if (header.Editing())
            header.Post();
        const QVariant id = header.FieldByName(QStringLiteral("preceptid")).Value();
        lines.DisableControls();
        for (quint64 line : orphans) {
            lines.GotoBookmark(line);
            lines.Edit();
            lines.FieldByName(QStringLiteral("preceptid")).SetValue(id);
            lines.Post();
        }
        lines.ApplyUpdates();
        lines.EnableControls();
        transaction.Commit();
    } catch (...) {
        // The database rolled back; memory goes back to what the user had typed.
        try {
            for (quint64 line : orphans) {
                if (!lines.GotoBookmark(line))
                    continue;
                lines.Edit();
                lines.FieldByName(QStringLiteral("preceptid")).Clear();
                lines.Post();
            }
            if (lines.ControlsDisabled())
                lines.EnableControls();
            if (state == TDataSetState::Insert && !header.Editing()) {
                header.RemoveRecords({header.RecNo()});
                header.Append();
                for (int i = 0; i < header.FieldCount(); ++i)
                    if (!header.Fields(i).ReadOnly())
                        header.Fields(i).SetValue(typed[i]);
            } else if (state == TDataSetState::Edit && !header.Editing()) {
                for (int i = 0; i < header.FieldCount(); ++i)
                    header.SetRecordValue(recNo, i, stored[i]);
                header.SetRecNo(recNo);
                header.Edit();
                for (int i = 0; i < header.FieldCount(); ++i)
                    if (!header.Fields(i).ReadOnly())
                        header.Fields(i).SetValue(typed[i]);
            }
        } catch (...) {
        }
        throw;
    }
    lines.GotoBookmark(currentLine);
    ComputeTotals();
}

void TPreceptEditor::Cancel() {
    if (Header().Editing())
        Header().Cancel();
    if (Lines().Editing())
        Lines().Cancel();
    Lines().CancelUpdates();
    ComputeTotals();
}

bool TPreceptEditor::CommonChecks(bool registering) {
    TQuery& header = Header();
    const QDate date = header.FieldByName(QStringLiteral("preceptdate")).AsDate();
    if (UnregisterClosedPeriod >= QDate(2001, 1, 2) && date <= UnregisterClosedPeriod) {
        Ui().ShowMessage(TMessageType::Error, res::PREC_CLOSED_PERIOD_ERR);
        return false;
    }
    if (date.year() != dm_.Options().FinancialYear) {
        Ui().ShowMessage(TMessageType::Error, res::PREC_FIN_YEAR_ERR);
        return false;
    }
    // Another workstation may have changed the status since the list was loaded.
    const TResultSet stored =
        dm_.Require().Select(QStringLiteral("SELECT status FROM precept WHERE preceptid = ?"),
                             {header.FieldByName(QStringLiteral("preceptid")).Value()});
    if (!stored.rows.isEmpty() &&
        stored.rows[0][0].toString() == (registering ? QLatin1String("p") : QLatin1String("n"))) {
        Ui().ShowMessage(TMessageType::Warning, res::PRECEPT_REG_WRN);
        return false;
    }
    if (!dm_.ValidatePreceptNumber())
        return false;
    Save();
    return true;
}

bool TPreceptEditor::Register() {
    CheckOpen();
    // The screen offers registering only for a balanced voucher; every other caller (the
    // command line, scripts) meets the same rule here, before anything is written.
    ComputeTotals();
    if (Cents(balance_) != 0) {
        Ui().ShowMessage(TMessageType::Error, res::PREC_NOT_BALANCED_ERR.arg(FormatFloat(
                                                  QStringLiteral("#,##0.00"), balance_)));
        return false;
    }
    if (!CommonChecks(true))
        return false;
    TQuery& header = Header();
    if (!header.FieldByName(QStringLiteral("parentid")).IsNull())
        throw TError(res::PART_EXIST_REG_ERR);
    if (dm_.Options().NotAllowRegisterOnSyntAcc) {
        const bool newChart = dm_.NewChartYear();
        const TResultSet r = dm_.Require().Select(
            newChart ? QStringLiteral("SELECT an.type, pi.foreignid FROM preceptitem AS pi LEFT "
                                      "JOIN accountnew AS an ON pi.accountnewid = an.accountnewid "
                                      "WHERE pi.preceptid = ?")
                     : QStringLiteral("SELECT a.type, pi.foreignid FROM preceptitem AS pi LEFT "
                                      "JOIN account AS a ON pi.accountid = a.accountid WHERE "
                                      "pi.preceptid = ?"),
            {header.FieldByName(QStringLiteral("preceptid")).Value()});
        for (const auto& row : r.rows)
            if (!row[0].toString().isEmpty() && row[1].isNull())
                throw TError(res::NO_REG_ON_SYN_ACC_ERR);
    }
    if (LinesTemporaryOrUndefined()) {
        Ui().ShowMessage(TMessageType::Error, res::PREC_TMP_OR_UNDEF_ERR);
        return false;
    }
    if (!SetStatus(true))
        return false;
    if (dm_.Options().AutoPreceptRegisterDateChange) {
        header.Edit();
        header.FieldByName(QStringLiteral("registerdate")).SetValue(QDateTime::currentDateTime());
        header.Post();
        Save();
    }
    return true;
}

bool TPreceptEditor::Unregister() {
    CheckOpen();
    return CommonChecks(false) && SetStatus(false);
}

void TPreceptEditor::CheckOpen() const {
    if (!Header().Active() || (Header().IsEmpty() && !Header().Editing()))
        throw TError(res::CMN_NO_RECORD_ERR);
}

bool TPreceptEditor::SetStatus(bool registered) {
    if (Ui().Ask(res::REG_CONF.arg(registered ? res::REG_ACT : res::UNREG_ACT), TButtons::YesNo) !=
        TAnswer::Yes)
        return false;
    TQuery& header = Header();
    header.Edit();
    header.FieldByName(QStringLiteral("status"))
        .SetValue(registered ? QStringLiteral("p") : QStringLiteral("n"));
    header.Post();
    qint64 user = -1;
    QString name;
    header.Edit();
    dm_.SetPreceptPublisher(user, name);
    header.Post();
    return true;
}

bool TPreceptEditor::IsTemporaryLine(int recNo) const {
    TQuery& lines = Lines();
    const int year = dm_.Options().FinancialYear;
    auto hasHyphen = [&](const char* field) {
        return lines.RecordValue(recNo, lines.FieldByName(QString::fromLatin1(field)).Index())
            .toString()
            .contains(QLatin1Char('-'));
    };
    return (year <= kFirstNewChartYear && hasHyphen("ContoCode")) ||
           (year >= kFirstNewChartYear && hasHyphen("ContoNewCode"));
}

bool TPreceptEditor::LinesTemporaryOrUndefined() {
    TQuery& lines = Lines();
    TConnection& c = dm_.Require();
    const int year = dm_.Options().FinancialYear;
    const int oldCode = lines.FieldByName(QStringLiteral("ContoCode")).Index();
    const int newCode = lines.FieldByName(QStringLiteral("ContoNewCode")).Index();
    bool hit = false;
    for (int rec = 1; rec <= lines.RecordCount() && !hit; ++rec) {
        TAccountDesc d;
        d.Code = lines.RecordValue(rec, oldCode).toString();
        d.CodeNew = lines.RecordValue(rec, newCode).toString();
        hit = IsTemporaryLine(rec) ||
              (year >= kFirstNewChartYear && !GetAccountByCode(c, d, true)) ||
              (year <= kFirstNewChartYear && !GetAccountByCode(c, d, false));
    }
    lines.First();
    return hit;
}

qint64 TPreceptEditor::Copy() {
    TQuery& header = Header();
    const QDate today = dm_.Today();
    const int year = dm_.Options().FinancialYear;
    const QDate date = today.year() == year
                           ? today
                           : QDate(year, today.month(),
                                   qMin(today.day(), QDate(year, today.month(), 1).daysInMonth()));
    const qint64 type = header.FieldByName(QStringLiteral("precepttypeid")).AsInteger();
    const QStringList values{
        QStringLiteral("preceptdate=") + DateToSql(date),
        QStringLiteral("registerdate=") + DateToSql(date),
        QStringLiteral("number=") + dm_.GetPreceptNum(date, 0, type),
        QStringLiteral("status=n"),
        QStringLiteral("foreignid=NULL"),
        QStringLiteral("parentid=NULL"),
    };
    const qint64 id =
        dm_.CopyPrecept(header.FieldByName(QStringLiteral("preceptid")).AsInteger(), values);
    if (id <= 0)
        return 0;
    Ui().ShowMessage(TMessageType::Information, res::PRE_COPIED);
    return id;
}

void TPreceptEditor::SetPreceptDate(const QDate& date) {
    TQuery& header = Header();
    if (!header.Editing())
        header.Edit();
    header.FieldByName(QStringLiteral("preceptdate")).SetValue(date);
    TField& registered = header.FieldByName(QStringLiteral("registerdate"));
    if (registered.IsNull() || registered.AsDate() < date)
        registered.SetValue(date);
}

void TPreceptEditor::SetRegisterDate(const QDate& date) {
    TQuery& header = Header();
    if (!header.Editing())
        header.Edit();
    header.FieldByName(QStringLiteral("registerdate")).SetValue(date);
}

void TPreceptEditor::FreshNumber() {
    TQuery& header = Header();
    if (!header.Editing())
        header.Edit();
    header.FieldByName(QStringLiteral("number"))
        .SetValue(
            dm_.GetPreceptNum(header.FieldByName(QStringLiteral("registerdate")).AsDate(),
                              header.FieldByName(QStringLiteral("preceptid")).AsInteger(),
                              header.FieldByName(QStringLiteral("precepttypeid")).AsInteger()));
}

bool TPreceptEditor::CanMoveUp() const {
    const TQuery& lines = Lines();
    const QString order = lines.IndexFieldNames();
    return lines.Active() && lines.RecNo() > 1 && lines.State() == TDataSetState::Browse &&
           Active() && (order == QLatin1String("sort") || order == QLatin1String("'sort' asc"));
}

bool TPreceptEditor::CanMoveDown() const {
    const TQuery& lines = Lines();
    const QString order = lines.IndexFieldNames();
    return lines.Active() && lines.RecNo() < lines.RecordCount() &&
           lines.State() == TDataSetState::Browse && Active() &&
           (order == QLatin1String("sort") || order == QLatin1String("'sort' asc"));
}

void TPreceptEditor::MoveUp() {
    if (CanMoveUp())
        Move(-1);
}

void TPreceptEditor::MoveDown() {
    if (CanMoveDown())
        Move(1);
}

// The two lines exchange their numbers, so the order puts them the other way round.
void TPreceptEditor::Move(int step) {
    TQuery& lines = Lines();
    if (lines.IndexFieldNames() != QLatin1String("sort"))
        return;
    const quint64 current = lines.Bookmark();
    const quint64 neighbour = lines.BookmarkAt(lines.RecNo() + step);
    TField& sort = lines.FieldByName(QStringLiteral("sort"));
    const QVariant mine = sort.Value();
    lines.GotoBookmark(neighbour);
    const QVariant theirs = sort.Value();
    lines.Edit();
    sort.SetValue(mine);
    lines.Post();
    lines.GotoBookmark(current);
    lines.Edit();
    sort.SetValue(theirs);
    lines.Post();
    lines.SetIndexFieldNames(QStringLiteral("sort"));
    lines.GotoBookmark(current);
}

void TPreceptEditor::SortByValue() {
    Lines().SetIndexFieldNames(QStringLiteral("debit,credit"));
    Lines().First();
}

void TPreceptEditor::DeleteAllLines() {
    if (Ui().Ask(res::DEL_ALL_ITEMS, TButtons::YesNo) != TAnswer::Yes)
        return;
    TQuery& lines = Lines();
    lines.DisableControls();
    dm_.RecalcSortOnDelete = false;
    struct TRestore {
        TFinancialDM& dm;
        TQuery& lines;
        ~TRestore() {
            dm.RecalcSortOnDelete = true;
            lines.EnableControls();
        }
    } restore{dm_, lines};
    while (!lines.IsEmpty()) {
        lines.First();
        lines.Delete();
    }
    ComputeTotals();
}

}  // namespace fin
