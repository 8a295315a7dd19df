#pragma once

#include <QString>
#include <QStringList>

#include "ledger/accountdesc.h"
#include "reports/accounttotals.h"

namespace fin {

class TConnection;
class TDataSet;
class TFinancialDM;
class TQuery;

// Finds a row of the list by a text column: a leading "%" finds the text anywhere,
// otherwise values that begin with it; a "%" inside ends the pattern; letter case does not
// count. From the first row or from the current one; the match becomes current.
bool LocateByName(TDataSet& rows, const QString& field, const QString& text, bool fromFirst);

// The chart-of-accounts browser without its window: the search over either chart, the
// sub-accounts of the current account, their value columns and the name search. The
// datasets are the data module's; the screen binds its grids to them.
class TAccountBrowser {
public:
    explicit TAccountBrowser(TFinancialDM& dm);

    TChart Chart() const;
    TQuery& Accounts() const;  // the chart's account dataset
    TQuery& Subaccounts() const;

    // The search boxes.
    QString ContoText, ContoNameText, SubaccountText, SubaccountNameText;
    bool AccountValuesShow = false;     // "Prikaži vrednosti" of the accounts
    bool ShowSubaccountValues = false;  // and of the sub-accounts

    // The account statement for the boxes: prefix matches whose values are bound; a "%"
    // the user typed widens them, any other character stands for itself.
    QString ParseSQL() const;
    // Closes the lists, runs the statement, orders by code and goes to the first account;
    // then the values and the sub-account boxes. Warnings go to the user.
    void Search();
    // Closes the lists and switches chart; nothing is loaded until the next search.
    void SwitchChart(bool newChart);

    // The year's debit, credit and balance of every listed account, from one statement:
    // in the old chart a code sums every code that begins with it, in the new one only
    // itself. Written into the fetched rows, never into the database.
    void ComputeAccountValues();
    void ComputeSubaccountValues();

    // A sub-account by name, as LocateByName finds it.
    bool SubaccountNameLocate(const QString& text, bool fromFirst);
    // F3: the next sub-account by the same name; false (and a warning) at the end.
    bool SearchNext();

    // What a print of the listed accounts says under its title: the chart, the search and
    // where the values come from.
    QStringList PrintSubtitles() const;

    // The current account, and sub-account when asked, as the pick dialog returns them.
    TAccountDesc Current(bool withSubaccount) const;

    static bool GetAccountByCode(TConnection& connection, TAccountDesc& desc, bool newChart);
    static bool GetSubAccountByCode(TFinancialDM& dm, TAccountDesc& desc, bool newChart);

private:
    TFinancialDM& dm_;
};

}  // namespace fin
