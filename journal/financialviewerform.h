#pragma once

#include <QMenu>
#include <functional>

#include "host/forms/customforms.h"
#include "journal/preceptsearch.h"
#include "journal/yearclosing.h"

namespace fin {

class TAutoConter;
class TBulkJobs;
class TDataSetModel;
class TFinancialDM;

// The module's main panel: the list of vouchers the last search found, and the commands
// on them.
class TFinancialViewerForm : public TCustomViewerForm {
    Q_OBJECT
public:
    explicit TFinancialViewerForm(TFinancialDM& dm, QWidget* parent = nullptr);

    TDataSetModel* Model() const { return model_; }

    QAction* PreceptAdd;
    QAction* PreceptEdit;
    QAction* PreceptDelete;
    QAction* AccountAdmin;
    QAction* PreceptTypeAdmin;
    QAction* AutoConting;
    QAction* AutoContingOne;
    QAction* AutoContingSetToDateAction;
    QAction* AutoContingChooseRelatedEntity;
    QAction* AutoClose5;
    QAction* AutoClose6;
    QAction* AutoClose7;
    QAction* AutoCloseYear;
    QAction* AutoOpenYear;
    QAction* AutoCloseOpenAction;
    QAction* AutoRoundAll;
    QAction* PrintMore;
    QAction* ExportExcel;
    QAction* MergePerceptsAction;
    QAction* FinancialLogAction;
    QAction* LedgerCheckAction;
    QAction* FinancialBalanceAction;
    QAction* FinancialAccountingNew;
    QAction* ContingOptions;
    QMenu* AutoContingMenu;

    void PreceptAddExecute();
    void PreceptEditExecute();
    void PreceptDeleteExecute();
    void PreceptTypeAdminExecute();
    void AccountAdminExecute();
    // "Novi kontni plan": the move of the year's lines to the new chart.
    void FinancialAccountingNewExecute();
    // "Bilansi": the trial balances, closing sheets and statements of a period.
    void FinancialBalanceExecute();
    // "Opcije kontiranja": the options page and the posting rules.
    void ContingOptionsExecute();
    void AutoContingSetToDateExecute();
    // "Štampaj više" and "Dnevnik": their forms, modally.
    void PrintMoreExecute();
    void FinancialLogExecute();
    // "Izvoz u Excel": the vouchers the list shows, under its search's conditions, into a
    // workbook the user names.
    void ExportExcelExecute();
    // "Provera knjiga": the consistency check of the financial year; its findings in a list,
    // or a message that there are none.
    void LedgerCheckExecute();
    // Posting and closing refuse while the list has its own filter switched on.
    bool FilterGuard();

    // The batch driver the posting commands run; without one they post nothing.
    void SetAutoConter(TAutoConter* driver) { autoConter_ = driver; }
    TAutoConter* GetAutoConter() const { return autoConter_; }
    // One run of automatic posting, after the filter guard: every voucher made joins the
    // list at once, and an error that ends the run is shown.
    void AutoContingRun(bool single, int kind, const QString& entityType, qint64 entityID);
    void AutoContingExecute();     // every pending document of every module
    void AutoContingOneExecute();  // the first pending document
    // Posts the one source document the user picks in a module chosen first.
    void AutoContingChooseRelatedEntityExecute();
    // The commands by module and document kind, one handler per column: the module kind
    // is the action's data and the kind letter its tool tip.
    void AutoContingOneModuleExecute(const QAction* command);
    void AutoContingOneKindExecute(const QAction* command);
    void AutoContingAllModuleExecute(const QAction* command);
    void AutoContingAllKindExecute(const QAction* command);
    // Closing and opening of the year, after the filter guard; a voucher written is the
    // list's current record.
    void AutoCloseExecute(TClosingJob job);
    void AutoCloseOpenExecute();  // every closing and the opening, in order
    // "Proknjiži uravnotežene naloge": the voucher type is the command's data (0: all).
    void AutoRegisterExecute(const QAction* command);
    void AutoRoundAllExecute();
    // The merge dialog; after a merge the editor opens on the group voucher.
    void MergePerceptsExecute();

private:
    void ShowCurrentRecord();
    QAction* NewCommand(const char* name, const QString& caption, const QKeySequence& key = {});
    void BuildAutoPosting();
    // Runs a bulk job; a refusal or failure is shown, nothing else is.
    void RunBulkJob(const std::function<void(TBulkJobs&)>& job);

    TFinancialDM& dm_;
    TDataSetModel* model_;
    TAutoConter* autoConter_ = nullptr;
    bool posting_ = false;  // a run is under way
};

// The search panel beside the list.
class TFinancialNavigatorForm : public TCustomNavigatorForm {
    Q_OBJECT
public:
    explicit TFinancialNavigatorForm(TFinancialDM& dm, QWidget* parent = nullptr);
    bool SearchFieldsFilled = false;
    void FillSearchFields();
    TPreceptSearch Search() const;
    // The ellipsis of a date row and of the source-document row.
    void PickDate(const QString& key);
    void PickRelatedEntity();
    void Find() override;

private:
    TFinancialDM& dm_;
    QString foreignTable_;
    qint64 foreignId_ = 0;
};

}  // namespace fin
