#pragma once

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <array>
#include <functional>
#include <memory>

#include "host/data/dataset.h"
#include "host/forms/customforms.h"
#include "host/report/reportengine.h"
#include "reports/balanceplan.h"
#include "reports/statements.h"

namespace fin {

class TDataSetModel;
class TFinancialDM;

// "Bilansi": the period reports of the ledger on one screen. The period, the class boxes
// and the tabs bind to the balance plan; "Prikaži" fills the tables from TBalanceReports,
// "Štampaj" hands them to the report engine.
class TFinancialBalanceForm : public TCustomDetailForm {
    Q_OBJECT
public:
    explicit TFinancialBalanceForm(TFinancialDM& dm, QWidget* parent = nullptr);
    ~TFinancialBalanceForm() override;

    QDateEdit* StartDTP;
    QDateEdit* EndDTP;
    QCheckBox* AllClassesCB;
    std::array<QCheckBox*, 10> ClassCB;  // Class0CB ... Class9CB
    QCheckBox* BalanceRound1000CB;
    QCheckBox* ShowClosingSheetAnalyticalCB;
    QTabWidget* PageControl;  // one page per report, in the order of TBalanceReport
    QPushButton* IncomeStatementExportButton = nullptr;  // "Izvoz" of the statements
    QPushButton* BalanceSheetExportButton = nullptr;
    QLabel* AnnexMonthsLabel = nullptr;  // the months of the period, beside the annex's first row
    QPushButton* ShowButton;
    QPushButton* PrintButton;
    QPushButton* ExcelButton;  // "Izvoz u Excel": the print menu's reports into a workbook
    QPushButton* CloseButton;
    QMenu* PrintMenu;
    QMenu* OldBalancesMenu;  // "Stari bilansi"
    QMenu* ExcelMenu;

    // Settings the statements read when the screen opens.
    bool AutoCalculateIncomeTax = false;
    bool ShowBalance721 = false;

    QWidget* Page(TBalanceReport report) const { return pages_[At(report)]; }
    QTableView* Grid(TBalanceReport report) const { return grids_[At(report)]; }
    // The rows of a report's grid.
    TDataSet* Table(TBalanceReport report) const { return tables_[At(report)].get(); }
    QAction* PrintAction(TBalanceReport report) const { return printActions_[At(report)]; }
    QAction* ExcelAction(TBalanceReport report) const { return excelActions_[At(report)]; }
    TReportEngine& Engine() { return engine_; }

    TClassFilter Classes() const;
    void ShowButtonClick();
    void AllClassesCBClick();
    void ShowClosingSheetAnalyticalCBClick();
    void Print(TBalanceReport report);
    // The same print into a workbook the user names.
    void ExportExcel(TBalanceReport report);
    // "Izvoz": the filing XML of the income statement or the balance sheet shown.
    void ExportStatement(TBalanceReport report);
    // The account card of an analytic trial balance's account row.
    void OpenRowAccount(TBalanceReport report, int row);

private:
    static int At(TBalanceReport report) { return static_cast<int>(report); }
    QWidget* BuildPage(TBalanceReport report);
    void BuildPrintMenu();
    // A report's print through the engine; false when the report has no table.
    bool PrintTo(TBalanceReport report, TReportEngine& engine);
    void ApplyLayout();
    void Guarded(const std::function<void()>& operation);

    TFinancialDM& dm_;
    int year_;
    TBalanceLayout layout_;
    TReportEngine engine_;
    std::array<QWidget*, kBalanceReportCount> pages_{};
    std::array<QTableView*, kBalanceReportCount> grids_{};
    std::array<std::unique_ptr<TDataSet>, kBalanceReportCount> tables_;
    std::array<TDataSetModel*, kBalanceReportCount> models_{};  // go before their tables
    std::array<QAction*, kBalanceReportCount> printActions_{};
    std::array<QAction*, kBalanceReportCount> excelActions_{};
    // The statements shown, as the filing XML writes them.
    std::array<TStatementRows, kBalanceReportCount> statements_;
    // The period of the rows shown, which the prints name.
    QDate shownFrom_, shownTo_;
    bool filling_ = false;
};

}  // namespace fin
