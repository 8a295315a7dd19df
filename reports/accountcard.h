#pragma once

#include <QDate>
#include <QString>

#include "ledger/accountdesc.h"
#include "reports/accounttotals.h"

namespace fin {

class TDataSet;
class TFinancialDM;
class TQuery;

// The account card without its window: the registered lines of an account, one of its
// sub-accounts, or a group or range of codes, with the opening row, running balance and
// totals, and the move of the shown lines to another account. The lines live in the data
// module's AccountItemZQ; whatever the card computes stays in memory.
class TAccountCard {
public:
    explicit TAccountCard(TFinancialDM& dm);
    ~TAccountCard();
    TAccountCard(const TAccountCard&) = delete;
    TAccountCard& operator=(const TAccountCard&) = delete;

    TChart Chart() const;
    TQuery& Lines() const;

    // What the card shows; the names are those the screen uses.
    qint64 AccountID = 0;                 // in the card's chart; 0 for a group card
    QString SubaccountCode;               // empty: the whole account
    QString GroupFrom;                    // not empty: a group card
    QString GroupTo;                      // not empty as well: a range card
    QString From, To;                     // the period boxes, "yyyy-mm-dd"
    bool WithoutPreviousBalance = false;  // "Bez prethodnog stanja"
    bool IsDialog = false;                // a group card: no editing, no transfer
    bool IsGroup() const { return !GroupFrom.isEmpty(); }

    // The whole financial year of an account or one of its sub-accounts; a code that is
    // not a number, or an account that does not exist, is refused with a message.
    void OpenAccount(qint64 accountId, const QString& subaccountCode = {});
    // The same account choice and checks without loading anything: a caller that knows its
    // period sets From and To and calls Show once (the command line).
    void SetAccount(qint64 accountId, const QString& subaccountCode = {});
    // The whole financial year of a code group, or of a range when toPrefix is given.
    void OpenGroup(const QString& fromPrefix, const QString& toPrefix);
    // "Prikaži": the lines from 1 January to To, those before From folded into one
    // opening row. The period boxes are checked first; a refusal changes nothing.
    void Show();

    // The opening row's record number, or 0 when there is none.
    int PreviousBalanceRow() const { return previousRow_; }
    double TotalDebit() const { return totalDebit_; }
    double TotalCredit() const { return totalCredit_; }
    double TotalBalance() const { return totalBalance_; }
    QString GroupCaption() const;
    // The shown account's row: code, name, type, note.
    const QString& AccountCode() const { return accountCode_; }
    const QString& AccountName() const { return accountName_; }
    const QString& AccountType() const { return accountType_; }

    // A typed date of the financial year as "yyyy-mm-dd"; refuses others with a message.
    QString CheckDate(const QString& text) const;
    // Where a date picker starts: today, moved into the financial year.
    QDate PickerStart() const;

    // Moves every shown line but the opening row to the target (its id in the card's
    // chart and perhaps a sub-account), in one transaction: all lines move or none.
    // Returns how many moved.
    int TransferLines(const TAccountDesc& target);

    // The print tables: per sub-account totals of the shown account (net or gross) and
    // per account totals of a group card, over the period boxes.
    void FillSubaccountTotals(TDataSet& table, bool net);
    void FillSyntheticTotals(TDataSet& table);
    static void DeclareSubaccountTable(TDataSet& table);
    static void DeclareSyntheticTable(TDataSet& table);

private:
    void ReadAccount();
    void LoadYear();
    void Load(const QDate& to);
    void Fold(const QDate& from);
    void RunningBalance();
    TAccountFilter LineFilter() const;

    TFinancialDM& dm_;
    int previousRow_ = 0;
    double totalDebit_ = 0, totalCredit_ = 0, totalBalance_ = 0;
    QString accountCode_, accountName_, accountType_;
};

}  // namespace fin
