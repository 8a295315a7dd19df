#include "journal/financialviewerform.h"

#include <QAction>
#include <QColor>
#include <QComboBox>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QToolButton>

#include "accounts/accountform.h"
#include "accounts/newaccountingchartform.h"
#include "host/common/captions.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "host/forms/datasetmodel.h"
#include "host/report/reportengine.h"
#include "host/ui/uiservice.h"
#include "journal/bulkjobs.h"
#include "journal/financialdetailform.h"
#include "journal/financiallogform.h"
#include "journal/financialprintmoreform.h"
#include "journal/journalcaptions.h"
#include "journal/ledgercheck.h"
#include "journal/ledgercheckform.h"
#include "journal/mergeform.h"
#include "journal/preceptsearch.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercaptions.h"
#include "ledger/precepttypeform.h"
#include "posting/autoconter.h"
#include "posting/financialiniform.h"
#include "posting/postingcaptions.h"
#include "posting/postingmodules.h"
#include "reports/forms/financialbalanceform.h"

namespace fin {

namespace {

// A screen of the list that frees itself when it closes; an error while it opens is shown,
// and then there is none.
template <typename TForm>
TForm* NewOwnForm(TFinancialDM& dm, QWidget* parent) {
    try {
        return new TForm(dm, parent);
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return nullptr;
    }
}

// Automatic posting by module and document kind: the module kind goes in the action's
// data and the kind letter in its tool tip, so one handler serves a whole column.
struct TAutoCommand {
    const char* one;
    const char* all;  // hidden twin posting every pending document, or null
    const char* caption;
    int kind;
    const char* letter;
    int key;  // Ctrl+Shift+key posts one, Ctrl+Alt+key all
    int allKey;
    bool separatorBefore;
};

constexpr int kDocuments = 100, kProduction = 75, kBank = 50, kFixedAssets = 10;

const TAutoCommand kDocumentCommands[] = {
    {"AutoContingOneDocuments", "AutoContingDocuments", "Svi", kDocuments, "", Qt::Key_D, Qt::Key_D,
     false},
    {"AutoContingOneDocumentsReceipt", "AutoContingDocumentsReceipt", "Kalkulacija", kDocuments,
     "K", Qt::Key_K, Qt::Key_K, true},
    {"AutoContingOneDocumentsInternalTransfer", "AutoContingDocumentsInternalTransfer",
     "Interni prenos", kDocuments, "I", Qt::Key_I, Qt::Key_I, false},
    {"AutoContingOneDocumentsInvoice", "AutoContingDocumentsInvoice", "Račun", kDocuments, "R",
     Qt::Key_R, Qt::Key_R, false},
    {"AutoContingOneDocumentsRetail", "AutoContingDocumentsRetail", "Maloprodaja", kDocuments, "M",
     Qt::Key_M, Qt::Key_M, false},
    {"AutoContingOneDocumentsReverse", nullptr, "Revers", kDocuments, "S", Qt::Key_S, 0, false},
    {"AutoContingOneDocumentsInInvoice", "AutoContingDocumentsInInvoice", "Ulazni račun",
     kDocuments, "U", Qt::Key_U, Qt::Key_U, true},
    {"AutoContingOneDocumentsCharge", "AutoContingDocumentsCharge", "Zaduženje", kDocuments, "Z",
     Qt::Key_Z, Qt::Key_Z, false},
    {"AutoContingOneDocumentsAdvanceInvoice", nullptr, "Avansni račun", kDocuments, "A", Qt::Key_Y,
     0, false},
    {"AutoContingOneDocumentsInAdvanceInvoice", nullptr, "Ulazni avansni račun", kDocuments, "Q",
     Qt::Key_Q, 0, false},
    {"AutoContingOneDocumentsPriceChange", "AutoContingDocumentsPriceChange", "Nivelacija",
     kDocuments, "N", Qt::Key_N, Qt::Key_N, true},
    {"AutoContingOneDocumentsExcess", nullptr, "Višak", kDocuments, "V", Qt::Key_V, 0, true},
    {"AutoContingOneDocumentsLack", nullptr, "Manjak", kDocuments, "L", Qt::Key_L, 0, false},
    {"AutoContingOneDocumentsWriteOff", "AutoContingDocumentsWriteOff", "Otpis", kDocuments, "F",
     Qt::Key_H, Qt::Key_H, false},
    {"AutoContingOneDocumentsProductionOut", "AutoContingDocumentsProductionOut",
     "Ulaz gotovih proizvoda", kDocuments, "G", Qt::Key_G, Qt::Key_G, true},
    {"AutoContingOneDocumentsProductionIn", "AutoContingDocumentsProductionIn", "Trebovanje",
     kDocuments, "T", Qt::Key_T, Qt::Key_T, false},
    {"AutoContingOneDocumentsCommissionIn", "AutoContingDocumentsCommissionIn",
     "Ulaz robe u komision", kDocuments, "C", Qt::Key_C, Qt::Key_C, true},
    {"AutoContingOneDocumentsCommissionOut", nullptr, "Odjava robe", kDocuments, "W", Qt::Key_W, 0,
     false},
};

const TAutoCommand kBankCommands[] = {
    {"AutoContingOneBank", nullptr, "Svi", kBank, "", Qt::Key_B, 0, false},
    {"AutoContingOneBankStatement", "AutoContingBankStatement", "Izvod iz banke", kBank, "I",
     Qt::Key_E, Qt::Key_E, true},
    {"AutoContingOneBankCashBook", "AutoContingBankCashBook", "Dnevnik blagajne", kBank, "B",
     Qt::Key_J, Qt::Key_J, false},
};

struct TRegisterCommand {
    const char* name;
    const char* caption;
    int typeId;
    bool separatorBefore;
};

const TRegisterCommand kRegisterCommands[] = {
    {"AutoRegisterAll", "Svi", 0, false},
    {"AutoRegisterReceipt", "Kalkulacija", 2, true},
    {"AutoRegisterInternalTransfer", "Interni prenos", 8, false},
    {"AutoRegisterInvoice", "Račun", 3, false},
    {"AutoRegisterRetail", "Maloprodaja", 7, false},
    {"AutoRegisterAdvanceInvoice", "Avansni račun", 18, true},
    {"AutoRegisterPriceChange", "Nivelacija", 4, true},
    {"AutoRegisterWriteOff", "Otpis", 21, true},
    {"AutoRegisterProductionIn", "Trebovanje", 9, true},
    {"AutoRegisterCommissionIn", "Ulaz robe u komision", 20, true},
    {"AutoRegisterCommissionOut", "Odjava robe", 22, false},
};

// The user picks a source module, then one of its documents through the module's own
// picker; false when either is declined.
bool PickSourceDocument(TFinancialDM& dm, QString& module, qint64& id, QString& description) {
    QStringList modules;
    dm.GetModuleNames(modules);
    int index = 0;
    if (modules.isEmpty() || !Ui().PickFromList(res::REL_CAPT, modules, index, res::REL_PROMPT) ||
        index < 0 || index >= modules.size())
        return false;
    module = modules[index];
    return dm.GetEntityID(module, id, description);
}

}  // namespace

TFinancialViewerForm::TFinancialViewerForm(TFinancialDM& dm, QWidget* parent)
    : TCustomViewerForm(parent), dm_(dm) {
    setObjectName(QStringLiteral("FinancialViewerForm"));
    model_ = new TDataSetModel(dm_.PreceptZQ(), this);
    model_->SetColumns({QStringLiteral("PreceptType"), QStringLiteral("number"),
                        QStringLiteral("preceptdate"), QStringLiteral("registerdate"),
                        QStringLiteral("status"), QStringLiteral("description")});
    // Vouchers merged into a group voucher are drawn on silver.
    model_->RowStyle = [this](int recNo, int role) -> QVariant {
        if (role != Qt::BackgroundRole)
            return {};
        const TField* parent = dm_.PreceptZQ().FindField(QStringLiteral("parentid"));
        if (!parent || dm_.PreceptZQ().RecordValue(recNo, parent->Index()).isNull())
            return {};
        return QColor(192, 192, 192);
    };
    DBG->setModel(model_);
    TGridSorter::AddGrid(DBG);
    for (auto [column, width] : {std::pair{0, 80}, {1, 76}, {4, 72}, {5, 280}})
        DBG->setColumnWidth(column, width);
    DBG->horizontalHeader()->setStretchLastSection(true);
    connect(DBG, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            dm_.PreceptZQ().SetRecNo(index.row() + 1);
            PreceptEditExecute();
        }
    });
    connect(DBG->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && dm_.PreceptZQ().Active() && !dm_.PreceptZQ().Editing())
                    dm_.PreceptZQ().SetRecNo(current.row() + 1);
            });

    PreceptAdd = NewCommand("PreceptAdd", "Dodaj", QKeySequence(Qt::CTRL | Qt::Key_Insert));
    PreceptEdit = NewCommand("PreceptEdit", "Uredi", QKeySequence(Qt::CTRL | Qt::Key_Return));
    PreceptDelete = NewCommand("PreceptDelete", "Izbriši", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    AccountAdmin = NewCommand("AccountAdmin", "Konta", QKeySequence(Qt::CTRL | Qt::Key_G));
    PreceptTypeAdmin =
        NewCommand("PreceptTypeAdmin", "Tipovi naloga", QKeySequence(Qt::CTRL | Qt::Key_T));
    AutoConting = NewCommand("AutoConting", "Auto", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_A));
    AutoConting->setVisible(false);
    AutoContingOne =
        NewCommand("AutoContingOne", "Auto", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    AutoContingSetToDateAction =
        NewCommand("AutoContingSetToDateAction", "Postavi Do datuma kontiranja");
    AutoContingChooseRelatedEntity =
        NewCommand("AutoContingChooseRelatedEntity", "Kontiraj izabranu temeljnicu");
    AutoClose5 = NewCommand("AutoClose5", "Zatvaranje klase \"5\"");
    AutoClose6 = NewCommand("AutoClose6", "Zatvaranje klase \"6\"");
    AutoClose7 = NewCommand("AutoClose7", "Zatvaranje klase \"7\"");
    AutoCloseYear = NewCommand("AutoCloseYear", "Zatvaranje godine");
    AutoOpenYear = NewCommand("AutoOpenYear", "Otvaranje godine");
    AutoCloseOpenAction = NewCommand("AutoCloseOpenAction", "Auto zatvaranje i otvaranje");
    AutoCloseOpenAction->setVisible(false);
    AutoRoundAll = NewCommand("AutoRoundAll", "Svi");
    PrintMore = NewCommand("PrintMore", "Štampaj više", QKeySequence(Qt::CTRL | Qt::Key_P));
    ExportExcel = NewCommand("ExportExcel", "Izvoz u Excel");
    MergePerceptsAction =
        NewCommand("MergePerceptsAction", "Spajanje", QKeySequence(Qt::CTRL | Qt::Key_S));
    FinancialLogAction =
        NewCommand("FinancialLogAction", "Dnevnik", QKeySequence(Qt::CTRL | Qt::Key_D));
    FinancialBalanceAction =
        NewCommand("FinancialBalanceAction", "Bilansi", QKeySequence(Qt::CTRL | Qt::Key_B));
    LedgerCheckAction = NewCommand("LedgerCheckAction", "Provera knjiga");
    FinancialAccountingNew = NewCommand("FinancialAccountingNew", "Novi kontni plan");
    // Offered only while the company moves to the new chart; the snap-in decides once the
    // options are loaded.
    FinancialAccountingNew->setVisible(false);
    FinancialAccountingNew->setEnabled(false);
    ContingOptions =
        NewCommand("ContingOptions", "Opcije kontiranja", QKeySequence(Qt::CTRL | Qt::Key_O));
    ContingOptions->setIconText(QStringLiteral("Opcije"));
    BuildAutoPosting();

    // The toolkit takes a hidden action's shortcut away with it; "Auto" over everything
    // stays hidden and still answers its keys.
    auto* autoKeys = new QShortcut(AutoConting->shortcut(), this);
    autoKeys->setContext(Qt::WidgetWithChildrenShortcut);
    connect(autoKeys, &QShortcut::activated, AutoConting, &QAction::trigger);

    ActionTB->clear();
    for (QAction* a : {PreceptAdd, PreceptEdit, PreceptDelete, static_cast<QAction*>(nullptr),
                       AccountAdmin, PreceptTypeAdmin, static_cast<QAction*>(nullptr), AutoConting,
                       AutoContingOne, PrintMore, ExportExcel, MergePerceptsAction,
                       static_cast<QAction*>(nullptr), FinancialLogAction, FinancialBalanceAction,
                       FinancialAccountingNew, static_cast<QAction*>(nullptr), ContingOptions}) {
        if (!a) {
            ActionTB->addSeparator();
            continue;
        }
        ActionTB->addAction(a);
    }
    if (auto* button = qobject_cast<QToolButton*>(ActionTB->widgetForAction(AutoContingOne))) {
        button->setMenu(AutoContingMenu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    DBG->removeAction(ColumnsVisibility);
    auto separator = [this] {
        auto* s = new QAction(this);
        s->setSeparator(true);
        return s;
    };
    for (QAction* a : {PreceptAdd,          PreceptEdit,
                       PreceptDelete,       separator(),
                       AccountAdmin,        PreceptTypeAdmin,
                       separator(),         AutoConting,
                       AutoContingOne,      AutoClose5,
                       AutoClose6,          AutoClose7,
                       AutoCloseYear,       AutoOpenYear,
                       AutoCloseOpenAction, separator(),
                       PrintMore,           ExportExcel,
                       MergePerceptsAction, separator(),
                       FinancialLogAction,  FinancialBalanceAction,
                       LedgerCheckAction,   separator(),
                       ContingOptions,      separator(),
                       ColumnsVisibility})
        DBG->addAction(a);

    connect(PreceptAdd, &QAction::triggered, this, &TFinancialViewerForm::PreceptAddExecute);
    connect(PreceptEdit, &QAction::triggered, this, &TFinancialViewerForm::PreceptEditExecute);
    connect(PreceptDelete, &QAction::triggered, this, &TFinancialViewerForm::PreceptDeleteExecute);
    connect(AccountAdmin, &QAction::triggered, this, &TFinancialViewerForm::AccountAdminExecute);
    connect(PreceptTypeAdmin, &QAction::triggered, this,
            &TFinancialViewerForm::PreceptTypeAdminExecute);
    connect(AutoContingSetToDateAction, &QAction::triggered, this,
            &TFinancialViewerForm::AutoContingSetToDateExecute);
    connect(AutoConting, &QAction::triggered, this, &TFinancialViewerForm::AutoContingExecute);
    connect(AutoContingOne, &QAction::triggered, this,
            &TFinancialViewerForm::AutoContingOneExecute);
    connect(AutoContingChooseRelatedEntity, &QAction::triggered, this,
            &TFinancialViewerForm::AutoContingChooseRelatedEntityExecute);
    connect(ContingOptions, &QAction::triggered, this,
            &TFinancialViewerForm::ContingOptionsExecute);
    for (auto [command, job] : {std::pair{AutoClose5, TClosingJob::Class5},
                                {AutoClose6, TClosingJob::Class6},
                                {AutoClose7, TClosingJob::Class7},
                                {AutoCloseYear, TClosingJob::CloseYear},
                                {AutoOpenYear, TClosingJob::OpenYear}})
        connect(command, &QAction::triggered, this, [this, job] { AutoCloseExecute(job); });
    connect(AutoCloseOpenAction, &QAction::triggered, this,
            &TFinancialViewerForm::AutoCloseOpenExecute);
    connect(FinancialBalanceAction, &QAction::triggered, this,
            &TFinancialViewerForm::FinancialBalanceExecute);
    connect(AutoRoundAll, &QAction::triggered, this, &TFinancialViewerForm::AutoRoundAllExecute);
    connect(MergePerceptsAction, &QAction::triggered, this,
            &TFinancialViewerForm::MergePerceptsExecute);
    connect(PrintMore, &QAction::triggered, this, &TFinancialViewerForm::PrintMoreExecute);
    connect(ExportExcel, &QAction::triggered, this, &TFinancialViewerForm::ExportExcelExecute);
    connect(FinancialLogAction, &QAction::triggered, this,
            &TFinancialViewerForm::FinancialLogExecute);
    connect(LedgerCheckAction, &QAction::triggered, this,
            &TFinancialViewerForm::LedgerCheckExecute);
    connect(FinancialAccountingNew, &QAction::triggered, this,
            &TFinancialViewerForm::FinancialAccountingNewExecute);
}

QAction* TFinancialViewerForm::NewCommand(const char* name, const QString& caption,
                                          const QKeySequence& key) {
    return AddCommand(QString::fromLatin1(name), caption, key, false, false);
}

void TFinancialViewerForm::BuildAutoPosting() {
    AutoContingMenu = new QMenu(this);
    AutoContingMenu->addAction(AutoContingSetToDateAction);
    auto addKinds = [this](QMenu* menu, const auto& commands) {
        for (const TAutoCommand& c : commands) {
            if (c.separatorBefore)
                menu->addSeparator();
            const bool wholeModule = *c.letter == '\0';
            QAction* one = NewCommand(c.one, QString::fromUtf8(c.caption),
                                      QKeySequence(Qt::CTRL | Qt::SHIFT | c.key));
            one->setData(c.kind);
            one->setToolTip(QString::fromLatin1(c.letter));
            connect(one, &QAction::triggered, this, [this, one, wholeModule] {
                wholeModule ? AutoContingOneModuleExecute(one) : AutoContingOneKindExecute(one);
            });
            menu->addAction(one);
            if (c.all) {
                QAction* all = NewCommand(c.all, QString::fromUtf8(c.caption),
                                          QKeySequence(Qt::CTRL | Qt::ALT | c.allKey));
                all->setData(c.kind);
                all->setToolTip(QString::fromLatin1(c.letter));
                connect(all, &QAction::triggered, this, [this, all, wholeModule] {
                    wholeModule ? AutoContingAllModuleExecute(all) : AutoContingAllKindExecute(all);
                });
            }
        }
    };
    addKinds(AutoContingMenu->addMenu(QStringLiteral("Modul Dokumenti")), kDocumentCommands);
    QAction* production =
        NewCommand("AutoContingOneProduction", QStringLiteral("Modul Proizvodnja"),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    production->setData(kProduction);
    connect(production, &QAction::triggered, this,
            [this, production] { AutoContingOneModuleExecute(production); });
    AutoContingMenu->addAction(production);
    addKinds(AutoContingMenu->addMenu(QStringLiteral("Modul Banka")), kBankCommands);
    QAction* assets =
        NewCommand("AutoContingOneFixedAssets", QStringLiteral("Modul Osnovna sredstva"),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    assets->setData(kFixedAssets);
    connect(assets, &QAction::triggered, this,
            [this, assets] { AutoContingOneModuleExecute(assets); });
    AutoContingMenu->addAction(assets);
    AutoContingMenu->addAction(AutoContingChooseRelatedEntity);
    AutoContingMenu->addSeparator();
    for (QAction* a : {AutoClose5, AutoClose6, AutoClose7, AutoCloseYear, AutoOpenYear})
        AutoContingMenu->addAction(a);
    AutoContingMenu->addSeparator();
    QMenu* registering = AutoContingMenu->addMenu(QStringLiteral("Proknjiži uravnotežene naloge"));
    for (const TRegisterCommand& r : kRegisterCommands) {
        if (r.separatorBefore)
            registering->addSeparator();
        QAction* a = NewCommand(r.name, QString::fromUtf8(r.caption));
        a->setData(r.typeId);
        connect(a, &QAction::triggered, this, [this, a] { AutoRegisterExecute(a); });
        registering->addAction(a);
    }
    QMenu* rounding = AutoContingMenu->addMenu(QStringLiteral("Zaokruži neuravnotežene naloge"));
    rounding->addAction(AutoRoundAll);
    AutoContingMenu->addSeparator()->setVisible(false);
    AutoContingMenu->addAction(AutoCloseOpenAction);
}

bool TFinancialViewerForm::FilterGuard() {
    if (!dm_.PreceptZQ().Filtered())
        return true;
    Ui().ShowMessage(TMessageType::Warning, res::AUTO_CONTER_FILTER_WRN);
    return false;
}

void TFinancialViewerForm::AutoContingRun(bool single, int kind, const QString& entityType,
                                          qint64 entityID) {
    // The progress lets events through between documents; a posting command among them
    // does not start a run inside this one.
    if (posting_ || !autoConter_)
        return;
    {
        const QScopedValueRollback<bool> running(posting_, true);
        try {
            autoConter_->Execute(single, kind, entityType, entityID);
        } catch (const TAbort&) {
        } catch (const TError& e) {
            Ui().ShowMessage(TMessageType::Error, e.Message());
        } catch (const std::exception& e) {
            Ui().ShowMessage(TMessageType::Error, QString::fromUtf8(e.what()));
        }
    }
    // The vouchers made are the list's last rows; the grid shows the last one current.
    ShowCurrentRecord();
}

void TFinancialViewerForm::ShowCurrentRecord() {
    const TQuery& list = dm_.PreceptZQ();
    if (list.Active() && !list.IsEmpty() && !list.Editing())
        DBG->setCurrentIndex(model_->index(list.RecNo() - 1, 0));
}

void TFinancialViewerForm::AutoCloseExecute(TClosingJob job) {
    if (!FilterGuard())
        return;
    TYearClosing(dm_).Run(job);
    ShowCurrentRecord();
}

void TFinancialViewerForm::AutoCloseOpenExecute() {
    if (!FilterGuard())
        return;
    TYearClosing(dm_).RunAll();
    ShowCurrentRecord();
}

void TFinancialViewerForm::AutoContingExecute() {
    if (FilterGuard())
        AutoContingRun(false, 0, {}, 0);
}

void TFinancialViewerForm::AutoContingOneExecute() {
    if (FilterGuard())
        AutoContingRun(true, 0, {}, 0);
}

void TFinancialViewerForm::AutoContingOneModuleExecute(const QAction* command) {
    if (FilterGuard())
        AutoContingRun(true, command->data().toInt(), {}, 0);
}

void TFinancialViewerForm::AutoContingOneKindExecute(const QAction* command) {
    if (FilterGuard())
        AutoContingRun(true, command->data().toInt(), command->toolTip(), 0);
}

void TFinancialViewerForm::AutoContingAllModuleExecute(const QAction* command) {
    if (FilterGuard())
        AutoContingRun(false, command->data().toInt(), {}, 0);
}

void TFinancialViewerForm::AutoContingAllKindExecute(const QAction* command) {
    if (FilterGuard())
        AutoContingRun(false, command->data().toInt(), command->toolTip(), 0);
}

void TFinancialViewerForm::AutoContingChooseRelatedEntityExecute() {
    if (!FilterGuard())
        return;
    QString module, description;
    qint64 id = 0;
    if (!PickSourceDocument(dm_, module, id, description))
        return;
    // Another module name posts nothing.
    if (const TPostingModule* source = FindPostingModule(module))
        AutoContingRun(true, source->kind, {}, id);
}

void TFinancialViewerForm::RunBulkJob(const std::function<void(TBulkJobs&)>& job) {
    try {
        TBulkJobs jobs(dm_);
        job(jobs);
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TFinancialViewerForm::AutoRegisterExecute(const QAction* command) {
    const qint64 type = command->data().toLongLong();
    RunBulkJob([type](TBulkJobs& jobs) { jobs.AutoRegister(type); });
}

void TFinancialViewerForm::AutoRoundAllExecute() {
    RunBulkJob([](TBulkJobs& jobs) { jobs.AutoRound(0); });
}

void TFinancialViewerForm::MergePerceptsExecute() {
    if (!MergePercepts(dm_))
        return;
    const TQuery& list = dm_.PreceptZQ();
    if (list.Active() && !list.IsEmpty())
        DBG->setCurrentIndex(model_->index(list.RecNo() - 1, 0));
    PreceptEditExecute();
}

void TFinancialViewerForm::PreceptAddExecute() {
    try {
        TQuery& list = dm_.PreceptZQ();
        if (!list.Active())
            list.Open();
        list.Append();
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return;
    }
    PreceptEditExecute();
}

void TFinancialViewerForm::PreceptEditExecute() {
    if (dm_.PreceptOpen) {
        Ui().ShowMessage(TMessageType::Error, res::PRECEPT_OPEN_ERR);
        return;
    }
    TQuery& list = dm_.PreceptZQ();
    if (!list.Active() || (list.IsEmpty() && !list.Editing()))
        return;
    TFinancialDetailForm* form = nullptr;
    try {
        form = new TFinancialDetailForm(dm_, this);
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return;
    }
    ShowModal(*form);
}

void TFinancialViewerForm::PreceptDeleteExecute() {
    TQuery& list = dm_.PreceptZQ();
    if (!list.Active() || list.IsEmpty())
        return;
    if (list.FieldByName(QStringLiteral("status")).AsString() == QLatin1String("p")) {
        Ui().ShowMessage(TMessageType::Warning, res::PRE_CANT_DEL_REG_WRN);
        return;
    }
    try {
        if (dm_.CheckPreceptStatus())
            list.Delete();
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TFinancialViewerForm::PreceptTypeAdminExecute() {
    // The form frees itself when it closes.
    auto* form = new TPreceptTypeForm(dm_, this);
    ShowModal(*form);
}

void TFinancialViewerForm::ContingOptionsExecute() {
    TFinancialIniForm* form = nullptr;
    try {
        // The form frees itself when it closes.
        form = new TFinancialIniForm(dm_, autoConter_, this);
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return;
    }
    ShowModal(*form);
}

void TFinancialViewerForm::FinancialBalanceExecute() {
    if (auto* form = NewOwnForm<TFinancialBalanceForm>(dm_, this))
        ShowModal(*form);
}

void TFinancialViewerForm::ExportExcelExecute() {
    TQuery& list = dm_.PreceptZQ();
    if (!list.Active() || list.Editing())
        return;
    ExportToExcel(QStringLiteral("Nalozi"), [&](TReportEngine& engine) {
        engine.ExecutePreceptListReport(list, {}, ListConditions(dm_));
    });
}

void TFinancialViewerForm::PrintMoreExecute() {
    if (auto* form = NewOwnForm<TFinancialPrintMoreForm>(dm_, this))
        ShowModal(*form);
}

void TFinancialViewerForm::FinancialLogExecute() {
    if (auto* form = NewOwnForm<TFinancialLogForm>(dm_, this))
        ShowModal(*form);
}

void TFinancialViewerForm::LedgerCheckExecute() {
    TCheckResult result;
    try {
        TLedgerCheck check(dm_.Db());
        check.Year = dm_.Options().FinancialYear;
        result = check.Run();
    } catch (const TAbort&) {
        return;
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return;
    }
    if (result.Clean()) {
        Ui().ShowMessage(TMessageType::Information,
                         QStringLiteral("Knjige su u redu: nijedna greška nije nađena."));
        return;
    }
    auto* form = new TLedgerCheckForm(
        dm_, std::move(result),
        [this](qint64 preceptId) {
            // The voucher alone in the list, then "Uredi" on it.
            if (dm_.PreceptOpen) {
                Ui().ShowMessage(TMessageType::Error, res::PRECEPT_OPEN_ERR);
                return;
            }
            try {
                if (!LoadPrecept(dm_, preceptId))
                    return;
            } catch (const TError& e) {
                Ui().ShowMessage(TMessageType::Error, e.Message());
                return;
            }
            PreceptEditExecute();
        },
        this);
    ShowModal(*form);
}

void TFinancialViewerForm::AccountAdminExecute() {
    auto* form = new TAccountForm(dm_, this);
    ShowModal(*form);
}

void TFinancialViewerForm::FinancialAccountingNewExecute() {
    if (auto* form = NewOwnForm<TNewAccountingChartForm>(dm_, this))
        ShowModal(*form);
}

void TFinancialViewerForm::AutoContingSetToDateExecute() {
    QDate date = dm_.AutoToDate.isValid() ? dm_.AutoToDate : dm_.Today();
    if (!Ui().GetDate(date, QStringLiteral("Do datuma kontiranja")))
        return;
    const int year = dm_.Options().FinancialYear;
    dm_.AutoToDate = date.year() == year ? date : QDate(year, 12, 31);
}

TFinancialNavigatorForm::TFinancialNavigatorForm(TFinancialDM& dm, QWidget* parent)
    : TCustomNavigatorForm(parent), dm_(dm) {
    setObjectName(QStringLiteral("FinancialNavigatorForm"));
    SearchVLE->setColumnCount(3);
    SearchVLE->setHorizontalHeaderLabels(
        {QStringLiteral("Polje"), QStringLiteral("Vrednost"), QString()});
    SearchVLE->horizontalHeader()->setStretchLastSection(false);
    SearchVLE->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    SearchVLE->setColumnWidth(2, 28);
}

void TFinancialNavigatorForm::FillSearchFields() {
    SearchVLE->setRowCount(0);
    const QStringList keys{"precepttype", "number",      "datefrom",     "dateto",
                           "status",      "description", "groupprecept", "relatedentity"};
    const QStringList captions{"Tip",    "Broj", "Od datuma",    "Do datuma",
                               "Status", "Opis", "Grupni nalog", "Temeljnica"};
    for (int i = 0; i < keys.size(); ++i)
        AddSearchField(keys[i], captions[i]);
    auto pick = [this](int row, const QStringList& items, bool editable) {
        auto* combo = new QComboBox(SearchVLE);
        combo->setEditable(editable);
        combo->setMaxVisibleItems(25);
        combo->addItem(QString());
        combo->addItems(items);
        connect(combo, &QComboBox::currentTextChanged, this,
                [this, row](const QString& text) { SearchVLE->item(row, 1)->setText(text); });
        SearchVLE->setCellWidget(row, 1, combo);
    };
    QStringList types;
    if (dm_.Connected()) {
        try {
            const TResultSet r =
                dm_.Require().Select(QStringLiteral("SELECT name FROM precepttype ORDER BY name"));
            for (const auto& row : r.rows)
                types << row[0].toString();
        } catch (const TError&) {
        }
    }
    pick(0, types, true);
    pick(4, {res::DOC_REG_STATUS_CAPTION, res::DOC_NOT_REG_STATUS_CAPTION}, false);
    pick(6, {PRE_GROUP_PRECEPT_Y, PRE_GROUP_PRECEPT_N}, false);
    auto ellipsis = [this](int row, std::function<void()> run) {
        auto* button = new QToolButton(SearchVLE);
        button->setText(QStringLiteral("..."));
        connect(button, &QToolButton::clicked, this, run);
        SearchVLE->setCellWidget(row, 2, button);
    };
    ellipsis(2, [this] { PickDate(QStringLiteral("datefrom")); });
    ellipsis(3, [this] { PickDate(QStringLiteral("dateto")); });
    ellipsis(7, [this] { PickRelatedEntity(); });
    // The source document is only picked, never typed.
    SearchVLE->item(7, 1)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

TPreceptSearch TFinancialNavigatorForm::Search() const {
    TPreceptSearch s;
    s.precepttype = SearchValue(QStringLiteral("precepttype"));
    s.number = SearchValue(QStringLiteral("number"));
    s.datefrom = SearchValue(QStringLiteral("datefrom"));
    s.dateto = SearchValue(QStringLiteral("dateto"));
    s.status = SearchValue(QStringLiteral("status"));
    s.description = SearchValue(QStringLiteral("description"));
    s.groupprecept = SearchValue(QStringLiteral("groupprecept"));
    s.relatedentity = SearchValue(QStringLiteral("relatedentity"));
    s.foreignTable = foreignTable_;
    s.foreignId = foreignId_;
    return s;
}

void TFinancialNavigatorForm::PickDate(const QString& key) {
    const QDate today = dm_.Today();
    const int year = dm_.Options().FinancialYear;
    QDate date = today.year() == year
                     ? today
                     : QDate(year, today.month(),
                             qMin(today.day(), QDate(year, today.month(), 1).daysInMonth()));
    if (Ui().GetDate(date, QStringLiteral("Izaberite datum")))
        SetSearchValue(key, DateToSql(date));
}

void TFinancialNavigatorForm::PickRelatedEntity() {
    const QString key = QStringLiteral("relatedentity");
    const QString chosen = SearchValue(key);
    if (!chosen.isEmpty()) {
        int choice = 0;
        if (!Ui().PickFromList(QStringLiteral("Temeljnica"),
                               {QStringLiteral("Izaberi drugu temeljnicu"),
                                QStringLiteral("Ukloni temeljnicu iz pretrage")},
                               choice, chosen))
            return;
        if (choice == 1) {
            SetSearchValue(key, QString());
            foreignTable_.clear();
            foreignId_ = 0;
            return;
        }
        if (choice != 0)
            return;
    }
    QString module, description;
    qint64 id = 0;
    if (!PickSourceDocument(dm_, module, id, description))
        return;
    foreignId_ = id;
    foreignTable_ = dm_.GetTableNameByModuleName(module);
    SetSearchValue(key, module + QLatin1Char(' ') + description);
}

void TFinancialNavigatorForm::Find() {
    try {
        FindPrecepts(dm_, Search());
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

}  // namespace fin
