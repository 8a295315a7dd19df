#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QVector>
#include <array>
#include <optional>

#include "reports/accounttotals.h"

namespace fin {

class TDataSet;
class TFinancialDM;

// The voucher type number of the opening vouchers, whose lines are the opening state.
inline const QString kOpeningTypeNumber = QStringLiteral("29");

// The class filter of the balance screen: "Sve klase", or the ticked classes 0 to 9.
struct TClassFilter {
    bool all = false;
    std::array<bool, 10> classes{true, true, true, true, true, true, true, true, true, false};

    // Whether a code of that class is taken. With no class ticked nothing is.
    bool Accepts(const QString& code) const;
    // "Sve klase", or every one of the given classes ticked.
    bool Covers(std::initializer_list<int> wanted) const;
    // "0-8", "5,6,7", "all" (or "sve"); none when the text is no such list.
    static std::optional<TClassFilter> Parse(const QString& text);
};

// Debit and credit of the opening vouchers and of all registered vouchers of a period.
struct TBalanceSums {
    double openDebit = 0, openCredit = 0;  // vouchers of type "29"
    double debit = 0, credit = 0;          // every voucher, the opening ones included
    void Add(const TBalanceSums& other);
    // All four round to 0 at two decimals: such a frame or account is not listed.
    bool IsZero() const;
};

// One grouped pass over the registered lines of a period in a chart: the sums of every
// account code (and, when asked, of every sub-account of it), opening vouchers apart, in one
// statement; frames and classes are rolled up from them in memory.
class TLedgerPass {
public:
    TLedgerPass(TConnection& connection, TChart chart, const QDate& from, const QDate& to,
                bool withSubaccounts = false);

    // The pass's one statement; its parameters are the opening vouchers' type number and
    // the period's first and last day.
    static QString Statement(TChart chart, bool withSubaccounts);

    // Every account code that begins with the prefix (a class, group or synthetic frame).
    TBalanceSums Prefix(const QString& prefix) const;
    // One account code exactly, and one sub-account of it.
    TBalanceSums Account(const QString& code) const;
    TBalanceSums Subaccount(const QString& code, qint64 subaccount) const;
    // The codes that have lines, in code order.
    QStringList Codes() const;
    // The sub-accounts (above 0) of a code that have lines; with sub-accounts only.
    QVector<qint64> SubaccountsOf(const QString& code) const;

private:
    QHash<QString, TBalanceSums> byCode_;
    QHash<QString, TBalanceSums> byPrefix_;
    QHash<QPair<QString, qint64>, TBalanceSums> bySubaccount_;
    QHash<QString, QVector<qint64>> subaccountsOf_;
};

// A row of a trial balance or closing sheet. The closing sheets use the balance split into
// totalbalancedebit / totalbalancecredit instead of the three balance columns.
struct TBalanceRow {
    QString number;
    QString name;
    double startdebit = 0, startcredit = 0, startbalance = 0;
    double yeardebit = 0, yearcredit = 0, yearbalance = 0;
    double totaldebit = 0, totalcredit = 0, totalbalance = 0;
    double totalbalancedebit = 0, totalbalancecredit = 0;
    QString groupdescription;
    int itemid = 0;

    static TBalanceRow Of(const QString& number, const QString& name, const TBalanceSums& sums);
};
using TBalanceRows = QVector<TBalanceRow>;

// Section texts of the rows.
inline const QString kSyntheticGroupCaption = QStringLiteral("Sintetička konta");
inline const QString kAnalyticGroupCaption = QStringLiteral("Analitička konta");
inline const QString kClassGroupCaption = QStringLiteral("Rekapitulacija klasa");
inline const QString kClassCaption = QStringLiteral("Klasa");
inline const QString kTotalCaption = QStringLiteral("UKUPNO");

// The period reports of the balance screen, computed without a window. Each reads the
// period's lines once (TLedgerPass) and the chart's frames or accounts once.
class TBalanceReports {
public:
    TBalanceReports(TFinancialDM& dm, TChart chart, const QDate& from, const QDate& to,
                    const TClassFilter& classes);

    // Per three-character frame, then the class recapitulation.
    TBalanceRows SyntheticTrialBalance();
    // Per account with lines, then the class recapitulation.
    TBalanceRows AnalyticTrialBalance();
    // Every frame (synthetic accounts, their group, the class after its groups), then the
    // class recapitulation and "UKUPNO".
    TBalanceRows ClosingSheet();
    // The closing sheet with the accounts and their sub-accounts under each synthetic
    // frame, detail first (new chart).
    TBalanceRows AnalyticClosingSheet();

private:
    // A sub-account type's names in the order of its statement.
    struct TSubaccountList {
        QStringList names;
        QHash<qint64, int> position;
    };
    const TLedgerPass& Pass(bool withSubaccounts);
    const TSubaccountList& Subaccounts(const QString& type);

    TFinancialDM& dm_;
    TChart chart_;
    QDate from_, to_;
    TClassFilter classes_;
    std::optional<TLedgerPass> pass_;
    bool passWithSubaccounts_ = false;
    QHash<QString, TSubaccountList> subaccounts_;
};

// The rows into an in-memory table with the reports' field names, labels and formats: the
// trial balances' or the closing sheets' set of fields.
void DeclareTrialBalanceTable(TDataSet& table, bool synthetic);
void DeclareClosingSheetTable(TDataSet& table);
void FillBalanceTable(TDataSet& table, const TBalanceRows& rows);

}  // namespace fin
