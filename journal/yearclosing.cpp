#include "journal/yearclosing.h"

#include <algorithm>

#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "host/ui/uiservice.h"
#include "journal/closingcaptions.h"
#include "journal/journalcaptions.h"
#include "ledger/accountdesc.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercache.h"
#include "ledger/preceptitemrows.h"
#include "ledger/schemadata.h"
#include "reports/accounttotals.h"

namespace fin {

namespace {

// System voucher types of the closing of a class, of the year, and of the opening.
constexpr int kClassClosingType = 27;
constexpr int kYearClosingType = 28;
constexpr int kYearOpeningType = 29;

// Where the result of classes 5 and 6 goes: the ordinary expenses and revenues, and those
// of the accounts x9y other than the class's own closing account.
const QString kResultAccount = QStringLiteral("7100");
const QString kOtherResultAccount = QStringLiteral("7110");

struct TJob {
    QString contra;
    QString prefix;  // the class closed; empty: every class but 5, 6 and 7
    bool closing;
    int type;
};

TJob JobOf(TClosingJob job) {
    switch (job) {
        case TClosingJob::Class5:
            return {QStringLiteral("5990"), QStringLiteral("5"), true, kClassClosingType};
        case TClosingJob::Class6:
            return {QStringLiteral("6990"), QStringLiteral("6"), true, kClassClosingType};
        case TClosingJob::Class7:
            return {QStringLiteral("7300"), QStringLiteral("7"), true, kClassClosingType};
        case TClosingJob::CloseYear:
            return {QStringLiteral("7300"), {}, true, kYearClosingType};
        case TClosingJob::OpenYear:
            break;
    }
    return {QStringLiteral("7000"), {}, false, kYearOpeningType};
}

// The accounts a job takes, on the chart of the financial year: before 2014 the old
// chart's codes select them, as the lines of those years carry only old accounts.
TAccountFilter Condition(const TJob& job, bool newChart) {
    const TChart chart = newChart ? TChart::New : TChart::Old;
    if (!job.prefix.isEmpty())
        return TAccountFilter::Prefix(chart, job.prefix);
    TAccountFilter f;
    f.chart = chart;
    f.exceptPrefixes = {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7")};
    return f;
}

QString SystemTypeName(int typeId) {
    for (const TSystemPreceptType& t : SystemPreceptTypes())
        if (t.id == typeId)
            return QString::fromUtf8(t.name);
    return {};
}

bool IsZero(double amount) {
    return BetterRoundTo(amount, -2) == 0;
}

// A total that nets to zero within a cent leaves no line.
bool LeavesLine(const TFinAccountDecs& total) {
    return !(IsZero(total.Debit) && IsZero(total.Credit)) && !IsZero(total.Debit - total.Credit);
}

}  // namespace

TYearClosing::TYearClosing(TFinancialDM& dm) : dm_(dm) {}

TYearClosing::~TYearClosing() = default;

QString TYearClosing::Caption(TClosingJob job) {
    switch (job) {
        case TClosingJob::Class5:
            return res::CLOSE_CLASS_5_CAPT;
        case TClosingJob::Class6:
            return res::CLOSE_CLASS_6_CAPT;
        case TClosingJob::Class7:
            return res::CLOSE_CLASS_7_CAPT;
        case TClosingJob::CloseYear:
            return res::CLOSE_YEAR_CAPT;
        case TClosingJob::OpenYear:
            break;
    }
    return res::OPEN_YEAR_CAPT;
}

TClosingResult TYearClosing::Run(TClosingJob job, const QDate& date) {
    TClosingResult result;
    result.job = job;
    result.description = Caption(job);
    if (dm_.PreceptOpen) {
        // The editor holds the line dataset this job would write through.
        Ui().ShowMessage(TMessageType::Error, res::PRECEPT_OPEN_ERR);
        result.message = res::PRECEPT_OPEN_ERR;
        return result;
    }
    const TJob plan = JobOf(job);
    const int year = dm_.Options().FinancialYear;
    newChart_ = dm_.NewChartYear();
    noAccounts_ = false;
    refusal_.clear();
    appended_ = 0;
    sameUnregistered_.clear();
    QDate day = date;
    if (!day.isValid() && !plan.closing)
        day = QDate(year + 1, 1, 1);
    // A date in another year would put this year's balances where they do not belong.
    const int dayYear = plan.closing ? year : year + 1;
    if (day.isValid() && day.year() != dayYear) {
        result.message =
            res::CLOSE_OPEN_DATE_ERR.arg(result.description, DateToText(day)).arg(dayYear);
        Ui().ShowMessage(TMessageType::Error, result.message);
        return result;
    }

    TQuery& list = dm_.PreceptZQ();
    TQuery& lines = dm_.PreceptItemZQ();
    bool committed = false;
    try {
        TConnection& c = dm_.Db();
        // Accounts, sub-accounts and numbering read once for the whole voucher.
        TLedgerCache cache(c);
        const TLedgerCacheScope lookups(dm_, cache);
        TTransaction transaction(c);
        if (!CloseOpenAccounts(plan.contra, Condition(plan, newChart_),
                               plan.closing ? res::CLOSING_ACC : res::OPENING_ACC,
                               plan.closing ? res::CLOSING_CLASS_FMT : res::OPENING_CLASS_FMT,
                               result.description, plan.closing, plan.type, day)) {
            result.outcome = noAccounts_ ? TClosingResult::TOutcome::NoAccounts
                                         : TClosingResult::TOutcome::Refused;
            result.message = refusal_;
            return result;
        }
        if (job == TClosingJob::Class5 || job == TClosingJob::Class6)
            ClassTransfer(plan.prefix.front());
        const TBusyCursor busy;
        InsertPreceptItems(c, lines, list.FieldByName(QStringLiteral("preceptid")).Value());
        transaction.Commit();
        committed = true;
        result.outcome = TClosingResult::TOutcome::Written;
        result.preceptId = list.FieldByName(QStringLiteral("preceptid")).AsInteger();
        result.number = list.FieldByName(QStringLiteral("number")).AsString();
        result.date = list.FieldByName(QStringLiteral("preceptdate")).AsDate();
        // The lines as stored, with their ids; the voucher stays the list's current record.
        lines.Close();
        lines.Open();
        const int idField = lines.FieldByName(QStringLiteral("preceptitemid")).Index();
        for (int rec = 1; rec <= lines.RecordCount(); ++rec)
            result.itemIds << lines.RecordValue(rec, idField).toLongLong();
    } catch (const TError& e) {
        if (!committed) {
            // The transaction took the voucher back; the list forgets it as well.
            if (list.Active() && list.Editing())
                list.Cancel();
            if (appended_ && list.GotoBookmark(appended_))
                list.RemoveRecords({list.RecNo()});
            if (lines.Active())
                lines.Close();
        }
        Ui().ShowMessage(TMessageType::Error, e.Message());
        result.message = e.Message();
        return result;
    }
    if (!sameUnregistered_.isEmpty())
        Ui().ShowMessage(TMessageType::Warning,
                         res::CLOSE_OPEN_TWICE_WRN.arg(result.description, DateToText(result.date),
                                                       sameUnregistered_, result.number));
    return result;
}

QVector<TClosingResult> TYearClosing::RunAll() {
    QVector<TClosingResult> results;
    for (TClosingJob job : {TClosingJob::Class5, TClosingJob::Class6, TClosingJob::Class7,
                            TClosingJob::CloseYear, TClosingJob::OpenYear})
        results << Run(job);
    return results;
}

bool TYearClosing::CloseOpenAccounts(const QString& contraCode, const TAccountFilter& condition,
                                     const QString& lineDescription, const QString& classFormat,
                                     const QString& voucherDescription, bool closing, int typeId,
                                     QDate date) {
    const int year = dm_.Options().FinancialYear;
    if (!date.isValid())
        date = QDate(year, 12, 31);
    TConnection& c = dm_.Db();
    const TFinAccounts totals = newChart_ ? GetAccountsOldNew(c, year, condition)
                                          : GetAccounts(c, year, condition, true, false);
    // Totals that all net to nothing would make a voucher without lines.
    if (std::none_of(totals.begin(), totals.end(), LeavesLine)) {
        Ui().ShowMessage(TMessageType::Information, res::CLOSE_OPEN_NO_ACC);
        noAccounts_ = true;
        refusal_ = res::CLOSE_OPEN_NO_ACC;
        return false;
    }
    TQuery& types = dm_.PrecepttypeZQ();
    if (!types.Active())
        types.Open();
    if (!types.Locate(QStringLiteral("precepttypeid"), typeId)) {
        refusal_ =
            res::CLOSE_OPEN_NO_TYPE_ERR.arg(typeId).arg(SystemTypeName(typeId), voucherDescription);
        Ui().ShowMessage(TMessageType::Error, refusal_);
        return false;
    }
    // Each run writes a voucher of its own; one already waiting is worth a word afterwards.
    sameUnregistered_ =
        c.SelectValue(QStringLiteral("SELECT number FROM precept WHERE precepttypeid = ? AND "
                                     "preceptdate = ? AND description = ? AND status = 'n' "
                                     "ORDER BY preceptid LIMIT 1"),
                      {typeId, date, voucherDescription})
            .toString();

    const TBusyCursor busy;
    TQuery& list = dm_.PreceptZQ();
    if (!list.Active())
        list.Open();
    list.Append();
    list.FieldByName(QStringLiteral("preceptdate")).SetValue(date);
    list.FieldByName(QStringLiteral("registerdate")).SetValue(date);
    // The number follows the type, counted in the register date's period.
    list.FieldByName(QStringLiteral("precepttypeid")).SetValue(typeId);
    list.FieldByName(QStringLiteral("PreceptType"))
        .SetValue(types.FieldByName(QStringLiteral("name")).Value());
    list.FieldByName(QStringLiteral("description")).SetValue(voucherDescription);
    list.Post();
    appended_ = list.Bookmark();

    TQuery& lines = dm_.PreceptItemZQ();
    lines.Close();
    lines.ParamByName(QStringLiteral("IDPrecept"))
        .SetValue(list.FieldByName(QStringLiteral("preceptid")).Value());
    lines.SetIndexFieldNames(QStringLiteral("sort"));
    lines.Open();
    for (const TFinAccountDecs& total : totals) {
        if (!LeavesLine(total))
            continue;
        TAccountDesc account;
        account.Code = total.Code;
        account.CodeNew = total.CodeNew;
        account.AccountID = static_cast<qint32>(total.AccountID);
        account.AccountNewID = static_cast<qint32>(total.AccountNewID);
        AppendLine(account, false, total.ForeignID, lineDescription,
                   closing ? total.Credit : total.Debit, closing ? total.Debit : total.Credit);
    }

    // Contra lines per class, on an account that both charts know.
    TAccountDesc contra;
    contra.Code = contra.CodeNew = contraCode;
    if (dm_.FindAccountByCode(contra, true) && dm_.FindAccountByCode(contra, false)) {
        const std::array<double, 10> classes = GetGroupBalance(totals, newChart_);
        for (int digit = 0; digit < 10; ++digit) {
            const double b = classes[digit];
            if (IsZero(b))
                continue;
            const bool debitSide = closing ? b > 0 : b < 0;
            AppendLine(contra, true, 0, classFormat.arg(digit), debitSide ? std::abs(b) : 0,
                       debitSide ? 0 : std::abs(b));
        }
    }
    return true;
}

void TYearClosing::AppendLine(const TAccountDesc& account, bool bothCharts, qint64 subaccount,
                              const QString& description, double debit, double credit) {
    TQuery& lines = dm_.PreceptItemZQ();
    lines.Append();
    try {
        lines.FieldByName(QStringLiteral("preceptid"))
            .SetValue(lines.ParamByName(QStringLiteral("IDPrecept")).Value());
        // The code first: its rule fills the account's type, which names the sub-account.
        if (bothCharts || !newChart_) {
            lines.FieldByName(QStringLiteral("ContoCode")).SetValue(account.Code);
            lines.FieldByName(QStringLiteral("accountid")).SetValue(account.AccountID);
        }
        if (bothCharts || newChart_) {
            lines.FieldByName(QStringLiteral("ContoNewCode")).SetValue(account.CodeNew);
            lines.FieldByName(QStringLiteral("accountnewid")).SetValue(account.AccountNewID);
        }
        if (subaccount > 0)
            lines.FieldByName(QStringLiteral("foreignid")).SetValue(subaccount);
        lines.FieldByName(QStringLiteral("description")).SetValue(description.left(100));
        lines.FieldByName(QStringLiteral("debit")).SetValue(debit);
        lines.FieldByName(QStringLiteral("credit")).SetValue(credit);
        lines.Post();
    } catch (const TError& e) {
        lines.Cancel();
        const QString code = newChart_ ? account.CodeNew : account.Code;
        throw TError(res::CLOSE_OPEN_LINE_ERR.arg(
            dm_.PreceptZQ().FieldByName(QStringLiteral("description")).AsString(), code,
            subaccount > 0 ? QStringLiteral(" (analitika %1)").arg(subaccount) : QString(),
            e.Message()));
    }
}

void TYearClosing::ClassTransfer(QChar classDigit) {
    const TQuery& lines = dm_.PreceptItemZQ();
    const int codeField =
        lines.FieldByName(newChart_ ? QStringLiteral("ContoNewCode") : QStringLiteral("ContoCode"))
            .Index();
    const int debitField = lines.FieldByName(QStringLiteral("debit")).Index();
    const int creditField = lines.FieldByName(QStringLiteral("credit")).Index();
    const QString closingAccount = QString(classDigit) + QStringLiteral("990");
    double closingSum = 0, resultSum = 0, otherSum = 0;
    for (int rec = 1; rec <= lines.RecordCount(); ++rec) {
        const QString code = lines.RecordValue(rec, codeField).toString();
        if (code.size() < 2 || code[0] != classDigit)
            continue;
        const double amount = lines.RecordValue(rec, debitField).toDouble() -
                              lines.RecordValue(rec, creditField).toDouble();
        const QChar second = code[1];
        if (second >= QLatin1Char('0') && second <= QLatin1Char('8'))
            resultSum += amount;
        else if (second == QLatin1Char('9'))
            (code == closingAccount ? closingSum : otherSum) += amount;
    }
    AddTransferLine(closingAccount, closingSum);
    AddTransferLine(kResultAccount, resultSum);
    AddTransferLine(kOtherResultAccount, otherSum);
}

void TYearClosing::AddTransferLine(const QString& code, double amount) {
    if (IsZero(amount))
        return;
    TAccountDesc account;
    account.Code = account.CodeNew = code;
    // The new chart first, so the name is the old chart's.
    if (!dm_.FindAccountByCode(account, true) || !dm_.FindAccountByCode(account, false))
        return;
    AppendLine(account, true, 0, account.Name, amount > 0 ? 0 : -amount, amount > 0 ? amount : 0);
}

}  // namespace fin
