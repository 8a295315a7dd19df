#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <memory>

#include "host/data/dataset.h"
#include "host/forms/customforms.h"
#include "host/report/reportengine.h"
#include "reports/accountcard.h"

namespace fin {

class TDataSetModel;
class TFinancialDM;

// "Konto": the card of an account, a sub-account, a group or a range of codes, and, with
// its line part hidden, the editor of a new account or sub-account.
class TAccountDetailForm : public TCustomDetailForm {
    Q_OBJECT
public:
    explicit TAccountDetailForm(TFinancialDM& dm, QWidget* parent = nullptr);

    TAccountCard& Card() { return card_; }
    TReportEngine& Engine() { return engine_; }

    QGroupBox* AccountGB;
    QLineEdit* NameEdit;
    QLineEdit* CodeEdit;
    QComboBox* TypeCombo;
    QPushButton* AddTypeButton;
    QPushButton* RemoveTypeButton;
    QLineEdit* NoteEdit;
    QGroupBox* SubaccountGB;
    QLineEdit* SubaccountNameEdit;
    QLineEdit* SubaccountCodeEdit;
    QGroupBox* PeriodGB;
    QLineEdit* FromEdit;
    QLineEdit* ToEdit;
    QPushButton* FromButton;
    QPushButton* ToButton;
    QPushButton* FindButton;
    QCheckBox* WithoutPreviousCB;
    QLabel* GroupCaptionLabel;
    QTableView* LinesGrid;
    QLabel* TotalDebitLabel;
    QLabel* TotalCreditLabel;
    QLabel* TotalBalanceLabel;
    QPushButton* AccountCancel;
    QPushButton* AccountApply;
    QPushButton* AccountOK;
    QPushButton* AccountPrint;
    QPushButton* PrintAnalytical;
    QPushButton* PrintAnalyticalWithBalance;
    QPushButton* PrintSynthetic;
    QPushButton* Transfer;
    // "Izvoz u Excel": beside each print its workbook, for the prints offered now.
    QPushButton* ExcelButton;
    QMenu* ExcelMenu;
    QAction* ExportCard;
    QAction* ExportAnalytical;
    QAction* ExportAnalyticalWithBalance;
    QAction* ExportSynthetic;

    // The card of an account or of one of its sub-accounts, for the whole year.
    void LoadAccount(const TAccountDesc& desc);
    // The card of a code group, or of a range when toPrefix is given.
    void LoadGroup(const QString& fromPrefix, const QString& toPrefix);
    // The editor of the row the browser appended (an account, or a sub-account).
    void UseAsEditor(bool subaccount);

    void FindButtonClick();
    void PickDate(QLineEdit* edit);
    void TransferClick();
    void PrintClick();
    void PrintAnalyticalClick(bool net);
    void PrintSyntheticClick();
    // The same prints into a workbook the user names.
    void ExportClick();
    void ExportAnalyticalClick(bool net);
    void ExportSyntheticClick();
    void UpdateExcelMenu();
    void AddTypeClick();
    void RemoveTypeClick();
    bool Apply();

public slots:
    void reject() override;

private:
    TQuery& Accounts() const;
    bool EditsPending() const;
    void CancelEdits();
    void ShowTotals();
    void Guarded(const std::function<void()>& operation);
    QString ExportName(const QString& what) const;
    void CardReport(TReportEngine& engine);
    void AnalyticalReport(TReportEngine& engine);
    void SyntheticReport(TReportEngine& engine);

    TFinancialDM& dm_;
    TAccountCard card_;
    TReportEngine engine_;
    TDataSetModel* model_;
    TDataSet subaccountTotals_;
    TDataSet syntheticTotals_;
    QVector<QPair<QAction*, QPushButton*>> excelPrints_;  // an export and its print
};

// Show a card modally, in the chart the data module's UseNewChart names.
void OpenAccountCard(TFinancialDM& dm, const TAccountDesc& desc, bool newChart,
                     QWidget* parent = nullptr);
void OpenGroupCardForm(TFinancialDM& dm, const QString& fromPrefix, const QString& toPrefix,
                       bool newChart, QWidget* parent = nullptr);

}  // namespace fin
