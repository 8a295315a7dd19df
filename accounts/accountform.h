#pragma once

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "accounts/accountbrowser.h"
#include "host/forms/customforms.h"

namespace fin {

class TDataSetModel;
class TFinancialDM;

// "Konto": the chart of accounts with the sub-accounts of the current account. Browse
// mode searches, edits and opens cards; pick mode returns the chosen account or
// sub-account to the caller.
class TAccountForm : public TCustomDetailForm {
    Q_OBJECT
public:
    explicit TAccountForm(TFinancialDM& dm, QWidget* parent = nullptr);        // browse
    TAccountForm(TFinancialDM& dm, bool newChart, QWidget* parent = nullptr);  // pick
    ~TAccountForm() override;

    bool IsDialog = false;
    TAccountResult SelectResult = TAccountResult::arNone;
    TAccountBrowser& Browser() { return browser_; }

    QCheckBox* NewAccountingChartCB;
    QLineEdit* ContoEdit;
    QLineEdit* ContoNameEdit;
    QLineEdit* SubaccountEdit;
    QLineEdit* SubaccountNameEdit;
    QCheckBox* AccountValuesShowCB;
    QCheckBox* SubaccountValuesShowCB;
    QTableView* AccountGrid;
    QTableView* SubaccountGrid;
    QPushButton* SelectAccountButton;
    QPushButton* SelectSubaccountButton;
    QPushButton* CancelButton;

    QAction* SearchAction;
    QAction* AccountNext;
    QAction* AccountPrevious;
    QAction* SubaccountNext;
    QAction* SubaccountPrevious;
    QAction* SelectAccount;
    QAction* SelectSubaccount;
    QAction* AccountOpen;
    QAction* SubaccountOpen;
    QAction* AccountAdd;
    QAction* SubaccountAdd;
    QAction* AccountDelete;
    QAction* SubaccountDelete;
    QAction* GroupOpen;
    QAction* AccountRangeOpen;
    QAction* SearchNextAction;
    QAction* SubaccountShowValues;
    QAction* ExportExcel;  // "Izvoz u Excel": the listed accounts, with values when shown

    // Pick mode: the caller's codes into the boxes, one search, and the account locked
    // when it is already known.
    void Prepare(const TAccountDesc& desc);
    // Pick mode: what the user chose, into the caller's record.
    void TakeResult(TAccountDesc& desc);
    // Enables the commands for the current rows.
    void UpdateActions();
    // The chart as the list shows it into a workbook the user names.
    void ExportChart();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void BindAccountGrid();
    void ToBrowser();
    void Guarded(const std::function<void()>& operation);
    void Search();
    void ChartSwitched(bool newChart);
    void AccountValuesToggled();
    void SubaccountValuesToggled();
    void SubaccountsChanged();
    void OpenCurrentAccount();
    void OpenCurrentSubaccount();
    void OpenGroupCard();
    void OpenRangeCard();
    void AddAccount();
    void AddSubaccount();
    void DeleteAccount();
    void DeleteSubaccount();
    bool CurrentTypeIsUser() const;
    void AfterCard();

    TFinancialDM& dm_;
    TAccountBrowser browser_;
    TDataSetModel* accountModel_ = nullptr;
    TDataSetModel* subaccountModel_;
};

// Lets the user pick an account or a sub-account of the given chart; false when the
// dialog was cancelled. The record carries the caller's codes in and the choice out.
bool GetAccount(TFinancialDM& dm, TAccountDesc& desc, bool newChart, QWidget* parent = nullptr);

}  // namespace fin
