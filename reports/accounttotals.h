#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

#include "host/db/connection.h"

namespace fin {

class TFinancialDM;

enum class TChart { Old, New };

// How the codes of a filter select accounts.
enum class TCodeMatch {
    Any,     // every account
    Exact,   // the code itself
    Prefix,  // every code that begins with it (a class, group or synthetic account)
    Range,   // codes from one prefix up to and including those that begin with the other
};

// Which registered lines a total counts. It stands where a condition text would: every
// value is bound into the statement, so nothing a user typed ever becomes SQL.
struct TAccountFilter {
    TChart chart = TChart::New;
    TCodeMatch match = TCodeMatch::Any;
    QString code;               // Exact and Prefix; the start prefix of a Range
    QString codeTo;             // the end prefix of a Range
    qint64 subaccount = 0;      // greater than 0: only lines of that sub-account
    QDate from, to;             // voucher dates, both inclusive; open when invalid
    QString preceptTypeNumber;  // not empty: only vouchers of the type with this number
    // Codes that begin with one of these are left out.
    QStringList exceptPrefixes;

    static TAccountFilter Exact(TChart chart, const QString& code, qint64 subaccount = 0);
    static TAccountFilter Prefix(TChart chart, const QString& prefix);
    // A group card's codes: one prefix, or a range when the end prefix is given.
    static TAccountFilter Group(TChart chart, const QString& fromPrefix, const QString& toPrefix);
    TAccountFilter& Period(const QDate& first, const QDate& last) {
        from = first;
        to = last;
        return *this;
    }
};

// The statement text and bound values of a filter's conditions, for the queries that
// select lines (cards) as well as those that sum them. Aliases: p precept, pi preceptitem,
// pt precepttype, and a for the filter chart's account table.
struct TFilterSql {
    QString joins;  // extra joins the conditions need, each ending in a blank
    QString where;  // " AND ..." conditions
    QVariantList params;
};
TFilterSql FilterSql(const TAccountFilter& filter);

struct TTurnover {
    double debit = 0;
    double credit = 0;
    double Balance() const { return debit - credit; }
};

// Debit and credit of the registered lines the filter selects.
TTurnover GetTurnover(TConnection& connection, const TAccountFilter& filter);

// Old chart: every code that begins with the given one, or, with a sub-account, exactly
// that code and sub-account.
TTurnover GetAccountData(TConnection& connection, const QString& code, qint64 subaccountId,
                         const QDate& from, const QDate& to, const QString& preceptTypeNumber = {});
// New chart: the code exactly with a sub-account or when exact, else as a prefix.
TTurnover GetAccountNewData(TConnection& connection, const QString& code, qint64 subaccountId,
                            const QDate& from, const QDate& to, bool exact,
                            const QString& preceptTypeNumber = {});
double GetAccountBalance(TConnection& connection, const QString& code, qint64 subaccountId,
                         const QDate& from, const QDate& to);
double GetAccountNewBalance(TConnection& connection, const QString& code, qint64 subaccountId,
                            const QDate& from, const QDate& to,
                            const QString& preceptTypeNumber = {});
// The balance of the same period a year earlier, across the change of charts in 2014: an
// old synthetic account carried into new codes counts once per fill (the data module's
// UsedOldCodes remembers which were counted).
double GetAccountNewPrevBalance(TFinancialDM& dm, const QString& code, qint64 subaccountId,
                                const QDate& from, const QDate& to,
                                const QString& preceptTypeNumber = {});

// Totals of one account code and sub-account.
struct TFinAccountDecs {
    QString Code;  // the chart's own code
    QString Name;
    QString CodeNew;
    qint64 AccountID = 0;  // in the filter's chart
    qint64 ForeignID = 0;  // sub-account, 0 when none
    qint64 AccountNewID = 0;
    double Debit = 0;
    double Credit = 0;
};
using TFinAccounts = QVector<TFinAccountDecs>;

// Per account code and sub-account of the filter's chart, in code order; the year bounds
// the dates unless allDates. Net keeps only the larger side, less the smaller.
TFinAccounts GetAccounts(TConnection& connection, int year, const TAccountFilter& filter, bool net,
                         bool allDates);
// New chart, the year always, netted; fills CodeNew and AccountNewID.
TFinAccounts GetAccountsOldNew(TConnection& connection, int year, const TAccountFilter& filter);
// Per account code with its name, gross; the period comes only from the filter.
TFinAccounts GetSynthAccounts(TConnection& connection, const TAccountFilter& filter);
// Debit less credit per account class, by the first digit of the code.
std::array<double, 10> GetGroupBalance(const TFinAccounts& accounts, bool useNewCode);

// Year totals of every account of a chart in one statement: the browser's value columns.
class TChartTotals {
public:
    TChartTotals(TConnection& connection, TChart chart, const QDate& from, const QDate& to);
    // Exact code; with prefix, the sum over every code that begins with it.
    TTurnover Of(const QString& code, bool prefix) const;

private:
    QVector<QPair<QString, TTurnover>> byCode_;  // sorted by code
};

// Totals of every sub-account of one account code, in one statement.
QHash<qint64, TTurnover> SubaccountTotals(TConnection& connection, TChart chart,
                                          const QString& code, const QDate& from, const QDate& to);

// Turnover of an account from 1 January of the date's year to the date, in the chart of
// the financial year: before 2014 an old-chart code is a prefix unless a sub-account is
// asked for; from 2014 the new-chart code must match exactly.
TTurnover ExtSaldo(TFinancialDM& dm, const QString& accountCode, int subaccountId,
                   const QDate& date);

// Escapes a text for LIKE and appends the wildcard: every character of it stands for
// itself. With keepPercent a "%" the user typed still widens the match.
QString LikePrefix(QString text, bool keepPercent = false);

}  // namespace fin
