#include "reports/accountcard.h"

#include <QRegularExpression>

#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercaptions.h"

namespace fin {

namespace {

const QString kCardFormat = QStringLiteral("#,##0.00");
// Lines per UPDATE of a transfer: few round trips, far below the server's limits.
constexpr int kTransferBatch = 500;

// A statement with "?" placeholders becomes one with named parameters of the query.
void SetStatement(TQuery& query, QString sql, const QVariantList& values) {
    int n = 0;
    for (int at = sql.indexOf(QLatin1Char('?')); at >= 0; at = sql.indexOf(QLatin1Char('?'), at)) {
        const QString name = QStringLiteral(":F%1").arg(n++);
        sql.replace(at, 1, name);
        at += name.size();
    }
    query.SetSQL(sql);
    for (int i = 0; i < values.size(); ++i)
        query.ParamByName(QStringLiteral("F%1").arg(i)).SetValue(values[i]);
}

void AddAmountFields(TDataSet& table) {
    table.AddField(QStringLiteral("debit"), TFieldType::Float, 0, QStringLiteral("Duguje"));
    table.AddField(QStringLiteral("credit"), TFieldType::Float, 0, QStringLiteral("Potražuje"));
    table.AddField(QStringLiteral("balance"), TFieldType::Float, 0, QStringLiteral("Saldo"));
    for (const char* f : {"debit", "credit", "balance"})
        table.FieldByName(QString::fromLatin1(f)).SetDisplayFormat(kCardFormat);
}

qint64 SubaccountNumber(const QString& text) {
    bool ok = false;
    const qint64 id = text.trimmed().toLongLong(&ok);
    if (!ok || id <= 0)
        throw TError(res::SUBACC_CODE_WRN);
    return id;
}

}  // namespace

TAccountCard::TAccountCard(TFinancialDM& dm) : dm_(dm) {
    if (Lines().Active())
        Lines().Close();
    const int year = dm_.Options().FinancialYear;
    From = DateToSql(QDate(year, 1, 1));
    To = DateToSql(QDate(year, 12, 31));
    dm_.AccountCardOpen = true;
}

TAccountCard::~TAccountCard() {
    dm_.AccountCardOpen = false;
}

TChart TAccountCard::Chart() const {
    return dm_.UseNewChart ? TChart::New : TChart::Old;
}

TQuery& TAccountCard::Lines() const {
    return dm_.AccountItemZQ();
}

void TAccountCard::ReadAccount() {
    TConnection* c = &dm_.Require();
    const TResultSet r = c->Select(
        Chart() == TChart::New
            ? QStringLiteral("SELECT code, name, type FROM accountnew WHERE accountnewid = ?")
            : QStringLiteral("SELECT code, name, type FROM account WHERE accountid = ?"),
        {AccountID});
    if (r.rows.isEmpty())
        throw TError(res::ACCOUNT_MISSING_ERR.arg(AccountID));
    accountCode_ = r.rows[0][0].toString();
    accountName_ = r.rows[0][1].toString();
    accountType_ = r.rows[0][2].toString();
}

void TAccountCard::OpenAccount(qint64 accountId, const QString& subaccountCode) {
    SetAccount(accountId, subaccountCode);
    LoadYear();
}

void TAccountCard::SetAccount(qint64 accountId, const QString& subaccountCode) {
    if (!subaccountCode.trimmed().isEmpty())
        SubaccountNumber(subaccountCode);
    const qint64 keepId = AccountID;
    AccountID = accountId;
    try {
        ReadAccount();
    } catch (...) {
        AccountID = keepId;
        throw;
    }
    SubaccountCode = subaccountCode.trimmed();
    GroupFrom.clear();
    GroupTo.clear();
}

void TAccountCard::OpenGroup(const QString& fromPrefix, const QString& toPrefix) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const QString from = fromPrefix.trimmed(), to = toPrefix.trimmed();
    if (!digits.match(from).hasMatch())
        throw TError(res::CARD_CODE_ERR.arg(from));
    if (!to.isEmpty() && !digits.match(to).hasMatch())
        throw TError(res::CARD_CODE_ERR.arg(to));
    if (!to.isEmpty() && to < from)
        throw TError(res::CARD_RANGE_ERR.arg(from, to));
    GroupFrom = from;
    GroupTo = to;
    AccountID = 0;
    SubaccountCode.clear();
    IsDialog = true;
    LoadYear();
}

void TAccountCard::LoadYear() {
    const int year = dm_.Options().FinancialYear;
    From = DateToSql(QDate(year, 1, 1));
    To = DateToSql(QDate(year, 12, 31));
    Load(QDate(year, 12, 31));
    previousRow_ = 0;
    RunningBalance();
}

QString TAccountCard::CheckDate(const QString& text) const {
    const std::optional<QDate> date = MyDateStrToDate(text.trimmed());
    if (!date)
        throw TError(res::CARD_DATE_ERR.arg(text.trimmed()));
    if (date->year() != dm_.Options().FinancialYear)
        throw TError(res::OUT_OF_YEAR_WRN);
    return DateToSql(*date);
}

QDate TAccountCard::PickerStart() const {
    const QDate today = dm_.Today();
    const int year = dm_.Options().FinancialYear;
    if (today.year() == year)
        return today;
    // 29 February of a leap year becomes 28 February of a common one.
    return QDate(year, today.month(),
                 qMin(today.day(), QDate(year, today.month(), 1).daysInMonth()));
}

void TAccountCard::Show() {
    const QString from = CheckDate(From);
    const QString to = CheckDate(To);
    if (to < from)
        throw TError(res::CARD_PERIOD_ERR);
    if (!IsGroup() && AccountID == 0)
        return;
    From = from;
    To = to;
    const TBusyCursor busy;
    Load(*MyDateStrToDate(to));
    Fold(*MyDateStrToDate(from));
    RunningBalance();
}

void TAccountCard::Load(const QDate& to) {
    const bool newChart = Chart() == TChart::New;
    QString sql = QStringLiteral(
        "SELECT pi.*, p.preceptdate, p.number, 0.0 AS balance, CONCAT(pt.number,'') AS "
        "PreceptTypeNumber FROM preceptitem AS pi INNER JOIN precept AS p ON p.preceptid = "
        "pi.preceptid INNER JOIN precepttype AS pt ON p.precepttypeid = pt.precepttypeid ");
    QVariantList values{QDate(dm_.Options().FinancialYear, 1, 1), to};
    QString where = QStringLiteral(
        "WHERE p.status = 'p' AND p.preceptdate >= ? AND "
        "p.preceptdate <= ?");
    if (IsGroup()) {
        sql += newChart ? QStringLiteral(
                              "INNER JOIN accountnew AS a ON a.accountnewid = "
                              "pi.accountnewid ")
                        : QStringLiteral("INNER JOIN account AS a ON a.accountid = pi.accountid ");
        const TFilterSql group = FilterSql(TAccountFilter::Group(Chart(), GroupFrom, GroupTo));
        where += group.where;
        values += group.params;
    } else {
        where += newChart ? QStringLiteral(" AND pi.accountnewid = ?")
                          : QStringLiteral(" AND pi.accountid = ?");
        values << AccountID;
        if (!SubaccountCode.isEmpty()) {
            where += QStringLiteral(" AND pi.foreignid = ?");
            values << SubaccountNumber(SubaccountCode);
        }
    }
    sql += where + QStringLiteral(" ORDER BY p.preceptdate, PreceptTypeNumber, p.number, pi.sort");
    TQuery& lines = Lines();
    if (lines.Active())
        lines.Close();
    SetStatement(lines, sql, values);
    lines.Open();
}

void TAccountCard::Fold(const QDate& from) {
    TQuery& lines = Lines();
    const int date = lines.FieldByName(QStringLiteral("preceptdate")).Index();
    const int number = lines.FieldByName(QStringLiteral("number")).Index();
    const int description = lines.FieldByName(QStringLiteral("description")).Index();
    const int debit = lines.FieldByName(QStringLiteral("debit")).Index();
    const int credit = lines.FieldByName(QStringLiteral("credit")).Index();
    previousRow_ = 0;
    double sumDebit = 0, sumCredit = 0;
    QVector<int> folded;
    const int count = lines.RecordCount();
    for (int rec = 1; rec <= count; ++rec) {
        if (lines.RecordValue(rec, date).toDate() >= from)
            continue;
        sumDebit += lines.RecordValue(rec, debit).toDouble();
        sumCredit += lines.RecordValue(rec, credit).toDouble();
        folded << rec;
    }
    if (folded.isEmpty())
        return;
    // The last folded line, in date order, becomes the opening row with the full sums; the
    // rows are told apart by position, so a real line described "Prethodno stanje" stays.
    lines.DisableControls();
    const int kept = folded.takeLast();
    lines.SetRecordValue(kept, date, from);
    lines.SetRecordValue(kept, number, QString());
    lines.SetRecordValue(kept, description, res::FIN_ACC_PREV_SITUATION);
    lines.SetRecordValue(kept, debit, sumDebit);
    lines.SetRecordValue(kept, credit, sumCredit);
    if (WithoutPreviousBalance)
        folded << kept;
    lines.RemoveRecords(folded);
    if (!WithoutPreviousBalance)
        previousRow_ = 1;
    lines.EnableControls();
}

void TAccountCard::RunningBalance() {
    TQuery& lines = Lines();
    const int debit = lines.FieldByName(QStringLiteral("debit")).Index();
    const int credit = lines.FieldByName(QStringLiteral("credit")).Index();
    const int balance = lines.FieldByName(QStringLiteral("balance")).Index();
    totalDebit_ = totalCredit_ = totalBalance_ = 0;
    lines.DisableControls();
    const int count = lines.RecordCount();
    for (int rec = 1; rec <= count; ++rec) {
        const double d = lines.RecordValue(rec, debit).toDouble();
        const double c = lines.RecordValue(rec, credit).toDouble();
        totalDebit_ += d;
        totalCredit_ += c;
        totalBalance_ += BetterRoundTo(d - c, -2);
        lines.SetRecordValue(rec, balance, totalBalance_);
    }
    lines.First();
    lines.EnableControls();
}

QString TAccountCard::GroupCaption() const {
    if (!GroupTo.isEmpty())
        return res::GR_PREFIX_SUFFIX_FMT.arg(GroupFrom, GroupTo);
    return res::GR_FMT.arg(GroupFrom, dm_.GetAccountFrameDesc(GroupFrom));
}

int TAccountCard::TransferLines(const TAccountDesc& target) {
    const bool newChart = Chart() == TChart::New;
    const qint64 targetId = newChart ? target.AccountNewID : target.AccountID;
    if (targetId <= 0)
        throw TError(QStringLiteral("Izaberite konto na koji se stavke prenose."));
    const QVariant foreign = target.SubaccountCode.trimmed().isEmpty()
                                 ? QVariant()
                                 : QVariant(SubaccountNumber(target.SubaccountCode));
    TConnection* c = &dm_.Require();
    TQuery& lines = Lines();
    if (!lines.Active())
        return 0;
    const int key = lines.FieldByName(QStringLiteral("preceptitemid")).Index();
    QVariantList ids;
    for (int rec = 1; rec <= lines.RecordCount(); ++rec)
        if (rec != previousRow_)
            ids << lines.RecordValue(rec, key);
    QString name = target.Name;
    const bool rename = dm_.Options().ChangePreceptItemDescription;
    if (rename && name.isEmpty())
        name = c->SelectValue(newChart ? QStringLiteral("SELECT name FROM accountnew WHERE "
                                                        "accountnewid = ?")
                                       : QStringLiteral("SELECT name FROM account WHERE "
                                                        "accountid = ?"),
                              {targetId})
                   .toString();
    const QString set =
        QStringLiteral(
            "UPDATE preceptitem SET %1 = ?, foreignid = ?%2 WHERE "
            "preceptitemid IN (%3)")
            .arg(newChart ? QStringLiteral("accountnewid") : QStringLiteral("accountid"),
                 rename ? QStringLiteral(", description = ?") : QString());
    TTransaction tx(*c);
    for (int start = 0; start < ids.size(); start += kTransferBatch) {
        const QVariantList batch = ids.mid(start, kTransferBatch);
        QVariantList params{targetId, foreign};
        if (rename)
            params << name;
        params += batch;
        c->Execute(set.arg(QStringList(batch.size(), QStringLiteral("?")).join(QLatin1Char(','))),
                   params);
    }
    tx.Commit();
    return static_cast<int>(ids.size());
}

void TAccountCard::DeclareSubaccountTable(TDataSet& table) {
    if (table.FieldCount() > 0)
        return;
    table.AddField(QStringLiteral("code"), TFieldType::String, 9, QStringLiteral("Konto"));
    table.AddField(QStringLiteral("foreignid"), TFieldType::Integer, 0, QStringLiteral("Šifra"));
    table.AddField(QStringLiteral("foreignname"), TFieldType::String, 100, QStringLiteral("Naziv"));
    AddAmountFields(table);
}

void TAccountCard::DeclareSyntheticTable(TDataSet& table) {
    if (table.FieldCount() > 0)
        return;
    table.AddField(QStringLiteral("code"), TFieldType::String, 9, QStringLiteral("Konto"));
    table.AddField(QStringLiteral("name"), TFieldType::String, 150, QStringLiteral("Naziv"));
    AddAmountFields(table);
}

namespace {
// A row counts when either side is not zero at two decimals.
bool NotZero(const TFinAccountDecs& d) {
    return BetterRoundTo(d.Debit, -2) != 0 || BetterRoundTo(d.Credit, -2) != 0;
}

void Refill(TDataSet& table) {
    if (!table.Active())
        table.Open();
    table.EmptyDataSet();
}
}  // namespace

void TAccountCard::FillSubaccountTotals(TDataSet& table, bool net) {
    DeclareSubaccountTable(table);
    Refill(table);
    TConnection* c = dm_.ZConnection();
    if (!c || IsGroup() || AccountID == 0)
        return;
    TAccountFilter f = TAccountFilter::Exact(Chart(), accountCode_);
    f.Period(*MyDateStrToDate(CheckDate(From)), *MyDateStrToDate(CheckDate(To)));
    const TFinAccounts totals = GetAccounts(*c, dm_.Options().FinancialYear, f, net, true);
    for (const TFinAccountDecs& d : totals) {
        if (!NotZero(d))
            continue;
        table.AppendRecord({d.Code, d.ForeignID, dm_.GetSubAccountName(accountType_, d.ForeignID),
                            d.Debit, d.Credit, d.Debit - d.Credit});
    }
    table.SetIndexFieldNames(QStringLiteral("foreignname"));
    table.First();
}

void TAccountCard::FillSyntheticTotals(TDataSet& table) {
    DeclareSyntheticTable(table);
    Refill(table);
    TConnection* c = dm_.ZConnection();
    if (!c || !IsGroup())
        return;
    TAccountFilter f = TAccountFilter::Group(Chart(), GroupFrom, GroupTo);
    f.Period(*MyDateStrToDate(CheckDate(From)), *MyDateStrToDate(CheckDate(To)));
    for (const TFinAccountDecs& d : GetSynthAccounts(*c, f))
        if (NotZero(d))
            table.AppendRecord({d.Code, d.Name, d.Debit, d.Credit, d.Debit - d.Credit});
    table.First();
}

}  // namespace fin
