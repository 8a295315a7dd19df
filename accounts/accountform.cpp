#include "accounts/accountform.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "host/data/query.h"
#include "host/forms/datanavigator.h"
#include "host/forms/datasetmodel.h"
#include "host/report/reportengine.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercaptions.h"
#include "reports/accountdetailform.h"

namespace fin {

namespace {

const QStringList kValueColumns{QStringLiteral("debit"), QStringLiteral("credit"),
                                QStringLiteral("balance")};

QTableView* MakeGrid(QWidget* parent, const QString& name) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    return grid;
}

void ShowValues(QTableView* grid, bool visible) {
    for (int c = 2; c < 5; ++c)
        grid->setColumnHidden(c, !visible);
    grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
}

QToolButton* MenuButton(QToolBar* bar, const QString& caption, const QList<QAction*>& actions) {
    auto* button = new QToolButton(bar);
    button->setText(caption);
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    menu->addActions(actions);
    button->setMenu(menu);
    bar->addWidget(button);
    return button;
}

}  // namespace

TAccountForm::TAccountForm(TFinancialDM& dm, QWidget* parent)
    : TCustomDetailForm(parent), dm_(dm), browser_(dm) {
    Build();
}

TAccountForm::TAccountForm(TFinancialDM& dm, bool newChart, QWidget* parent)
    : TCustomDetailForm(parent), IsDialog(true), dm_(dm), browser_(dm) {
    dm_.UseNewChart = newChart;
    Build();
    NewAccountingChartCB->setChecked(newChart);
    NewAccountingChartCB->setEnabled(false);
}

TAccountForm::~TAccountForm() {
    dm_.UseNewChart = true;
}

void TAccountForm::Build() {
    setObjectName(QStringLiteral("AccountForm"));
    setWindowTitle(QStringLiteral("Konta"));
    resize(980, 640);

    auto action = [this](const QString& name, const QString& caption, const QKeySequence& key) {
        auto* a = new QAction(caption, this);
        a->setObjectName(name);
        a->setShortcut(key);
        addAction(a);
        return a;
    };
    SearchAction = action("SearchAction", "Pretraga", QKeySequence(Qt::Key_Return));
    AccountNext = action("AccountNext", {}, QKeySequence(Qt::Key_Down));
    AccountPrevious = action("AccountPrevious", {}, QKeySequence(Qt::Key_Up));
    SubaccountNext = action("SubaccountNext", {}, QKeySequence(Qt::CTRL | Qt::Key_Down));
    SubaccountPrevious = action("SubaccountPrevious", {}, QKeySequence(Qt::CTRL | Qt::Key_Up));
    SelectAccount = action("SelectAccount", "Izaberi konto", {});
    SelectSubaccount = action("SelectSubaccount", "Izaberi analitiku", {});
    AccountOpen = action("AccountOpen", "Konto", QKeySequence(Qt::CTRL | Qt::Key_Return));
    SubaccountOpen =
        action("SubaccountOpen", "Analitika", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Return));
    AccountAdd = action("AccountAdd", "Konto", QKeySequence(Qt::CTRL | Qt::Key_Insert));
    SubaccountAdd =
        action("SubaccountAdd", "Analitika", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Insert));
    AccountDelete = action("AccountDelete", "Konto", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    SubaccountDelete = action("SubaccountDelete", "Analitika",
                              QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Delete));
    GroupOpen = action("GroupOpen", "Grupa...", QKeySequence(Qt::CTRL | Qt::Key_G));
    AccountRangeOpen =
        action("AccountRangeOpen", "Opseg računa...", QKeySequence(Qt::CTRL | Qt::Key_O));
    SearchNextAction = action("SearchNextAction", "Sledeća analitika >", QKeySequence(Qt::Key_F3));
    SubaccountShowValues = action("SubaccountShowValues", "Prikaži vrednosti", {});
    SubaccountShowValues->setCheckable(true);
    ExportExcel = action("ExportExcel", "Izvoz u Excel", {});

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    NewAccountingChartCB = new QCheckBox(QStringLiteral("Novi kontni plan"), this);
    NewAccountingChartCB->setObjectName("NewAccountingChartCB");
    NewAccountingChartCB->setChecked(dm_.UseNewChart);
    left->addWidget(NewAccountingChartCB);
    auto box = [&](const QString& name, const QString& caption) {
        left->addWidget(new QLabel(caption, this));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        left->addWidget(edit);
        return edit;
    };
    ContoEdit = box("ContoEdit", "Konto (Račun)");
    ContoNameEdit = box("ContoNameEdit", "Naziv konta (računa)");
    SubaccountEdit = box("SubaccountEdit", "Kod analitike");
    SubaccountNameEdit = box("SubaccountNameEdit", "Naziv analitike");
    auto* searchButton = new QPushButton(SearchAction->text(), this);
    searchButton->setDefault(true);
    connect(searchButton, &QPushButton::clicked, SearchAction, &QAction::trigger);
    left->addWidget(searchButton);
    left->addStretch(1);
    auto* nextButton = new QPushButton(SearchNextAction->text(), this);
    nextButton->setAutoDefault(false);
    connect(nextButton, &QPushButton::clicked, SearchNextAction, &QAction::trigger);
    left->addWidget(nextButton);
    layout->addLayout(left);

    auto* right = new QVBoxLayout;
    auto* bar = new QToolBar(this);
    MenuButton(bar, QStringLiteral("Dodaj"), {AccountAdd, SubaccountAdd});
    MenuButton(bar, QStringLiteral("Uredi"),
               {AccountOpen, SubaccountOpen, GroupOpen, AccountRangeOpen});
    MenuButton(bar, QStringLiteral("Izbriši"), {AccountDelete, SubaccountDelete});
    bar->addSeparator();
    bar->addAction(ExportExcel);
    right->addWidget(bar);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* top = new QWidget(splitter);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    auto* accountHeader = new QHBoxLayout;
    accountHeader->addWidget(new QLabel(QStringLiteral("<b>Konto</b>"), top));
    accountHeader->addStretch(1);
    AccountValuesShowCB = new QCheckBox(QStringLiteral("Prikaži vrednosti"), top);
    AccountValuesShowCB->setObjectName("AccountValuesShowCB");
    AccountValuesShowCB->setChecked(dm_.Options().AccountShowValues);
    accountHeader->addWidget(AccountValuesShowCB);
    topLayout->addLayout(accountHeader);
    AccountGrid = MakeGrid(top, "AccountGrid");
    topLayout->addWidget(AccountGrid);
    auto* bottom = new QWidget(splitter);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    auto* subHeader = new QHBoxLayout;
    subHeader->addWidget(new QLabel(QStringLiteral("<b>Analitika</b>"), bottom));
    subHeader->addStretch(1);
    SubaccountValuesShowCB = new QCheckBox(SubaccountShowValues->text(), bottom);
    SubaccountValuesShowCB->setObjectName("SubaccountValuesShowCB");
    subHeader->addWidget(SubaccountValuesShowCB);
    bottomLayout->addLayout(subHeader);
    SubaccountGrid = MakeGrid(bottom, "SubaccountGrid");
    bottomLayout->addWidget(SubaccountGrid);
    right->addWidget(splitter, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    SelectSubaccountButton = new QPushButton(QStringLiteral("Izaberi &analitiku"), this);
    SelectAccountButton = new QPushButton(QStringLiteral("Izaberi &konto"), this);
    CancelButton =
        new QPushButton(IsDialog ? QStringLiteral("&Otkaži") : QStringLiteral("&Zatvori"), this);
    for (QPushButton* b : {SelectSubaccountButton, SelectAccountButton, CancelButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    SelectSubaccountButton->setVisible(IsDialog);
    SelectAccountButton->setVisible(IsDialog);
    right->addLayout(buttons);
    layout->addLayout(right, 1);

    AccountGrid->addAction(AccountAdd);
    AccountGrid->addAction(AccountOpen);
    AccountGrid->addAction(AccountDelete);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    AccountGrid->addAction(separator);
    AccountGrid->addAction(GroupOpen);
    SubaccountGrid->addAction(SubaccountAdd);
    SubaccountGrid->addAction(SubaccountOpen);
    SubaccountGrid->addAction(SubaccountDelete);

    subaccountModel_ = new TDataSetModel(dm_.SubaccountZQ(), this);
    subaccountModel_->SetColumns({QStringLiteral("Code"), QStringLiteral("name"),
                                  QStringLiteral("debit"), QStringLiteral("credit"),
                                  QStringLiteral("balance")});
    SubaccountGrid->setModel(subaccountModel_);
    TGridSorter::AddGrid(SubaccountGrid);
    new TGridLink(SubaccountGrid, subaccountModel_);
    // Checked when the user interface is idle again, as a search computes the values of
    // the list it has just reloaded.
    connect(subaccountModel_, &QAbstractItemModel::modelReset, this,
            &TAccountForm::SubaccountsChanged, Qt::QueuedConnection);
    BindAccountGrid();

    auto step = [this](TDataSet& ds, bool forward) {
        Guarded([&] {
            if (!ds.Active())
                return;
            if (forward && ds.RecNo() < ds.RecordCount())
                ds.Next();
            else if (!forward && ds.RecNo() > 1)
                ds.Prior();
        });
    };
    connect(SearchAction, &QAction::triggered, this, &TAccountForm::Search);
    connect(AccountNext, &QAction::triggered, this, [=, this] { step(browser_.Accounts(), true); });
    connect(AccountPrevious, &QAction::triggered, this,
            [=, this] { step(browser_.Accounts(), false); });
    connect(SubaccountNext, &QAction::triggered, this,
            [=, this] { step(browser_.Subaccounts(), true); });
    connect(SubaccountPrevious, &QAction::triggered, this,
            [=, this] { step(browser_.Subaccounts(), false); });
    connect(SelectAccount, &QAction::triggered, this, [this] {
        TQuery& accounts = browser_.Accounts();
        if (accounts.Active() && accounts.RecordCount() >= 1) {
            SelectResult = TAccountResult::arAccount;
            accept();
        }
    });
    connect(SelectSubaccount, &QAction::triggered, this, [this] {
        TQuery& subs = browser_.Subaccounts();
        if (!subs.Active()) {
            Ui().ShowMessage(TMessageType::Warning, res::SUB_ACC_MIS_ERR);
            return;
        }
        if (subs.RecordCount() >= 1) {
            SelectResult = TAccountResult::arSubaccount;
            accept();
        }
    });
    connect(SelectAccountButton, &QPushButton::clicked, SelectAccount, &QAction::trigger);
    connect(SelectSubaccountButton, &QPushButton::clicked, SelectSubaccount, &QAction::trigger);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(AccountOpen, &QAction::triggered, this, &TAccountForm::OpenCurrentAccount);
    connect(SubaccountOpen, &QAction::triggered, this, &TAccountForm::OpenCurrentSubaccount);
    connect(GroupOpen, &QAction::triggered, this, &TAccountForm::OpenGroupCard);
    connect(AccountRangeOpen, &QAction::triggered, this, &TAccountForm::OpenRangeCard);
    connect(ExportExcel, &QAction::triggered, this, &TAccountForm::ExportChart);
    connect(AccountAdd, &QAction::triggered, this, &TAccountForm::AddAccount);
    connect(SubaccountAdd, &QAction::triggered, this, &TAccountForm::AddSubaccount);
    connect(AccountDelete, &QAction::triggered, this, &TAccountForm::DeleteAccount);
    connect(SubaccountDelete, &QAction::triggered, this, &TAccountForm::DeleteSubaccount);
    connect(SearchNextAction, &QAction::triggered, this, [this] {
        ToBrowser();
        Guarded([this] { browser_.SearchNext(); });
    });
    connect(NewAccountingChartCB, &QCheckBox::toggled, this, &TAccountForm::ChartSwitched);
    connect(AccountValuesShowCB, &QCheckBox::toggled, this, &TAccountForm::AccountValuesToggled);
    connect(SubaccountValuesShowCB, &QCheckBox::toggled, SubaccountShowValues,
            &QAction::setChecked);
    connect(SubaccountShowValues, &QAction::toggled, this, [this](bool on) {
        if (SubaccountValuesShowCB->isChecked() != on)
            SubaccountValuesShowCB->setChecked(on);
        SubaccountValuesToggled();
    });
    connect(SubaccountGrid, &QTableView::doubleClicked, this,
            [this] { (IsDialog ? SelectSubaccount : SubaccountOpen)->trigger(); });

    installEventFilter(this);
    for (QTableView* grid : {AccountGrid, SubaccountGrid})
        grid->viewport()->installEventFilter(this);
    ShowValues(AccountGrid, false);
    ShowValues(SubaccountGrid, false);
    UpdateActions();
}

void TAccountForm::BindAccountGrid() {
    TDataSetModel* previous = accountModel_;
    accountModel_ = new TDataSetModel(browser_.Accounts(), this);
    accountModel_->SetColumns({QStringLiteral("code"), QStringLiteral("name"),
                               QStringLiteral("debit"), QStringLiteral("credit"),
                               QStringLiteral("balance")});
    AccountGrid->setModel(accountModel_);
    // The grid lets go of the old chart's model first; its row link goes with it.
    delete previous;
    new TGridLink(AccountGrid, accountModel_);
    connect(accountModel_, &TDataSetModel::CurrentRowChanged, this, &TAccountForm::UpdateActions);
    connect(accountModel_, &QAbstractItemModel::modelReset, this, &TAccountForm::UpdateActions);
    disconnect(AccountGrid, &QTableView::doubleClicked, nullptr, nullptr);
    connect(AccountGrid, &QTableView::doubleClicked, this,
            [this] { (IsDialog ? SelectAccount : AccountOpen)->trigger(); });
    ShowValues(AccountGrid, browser_.AccountValuesShow);
}

void TAccountForm::Guarded(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
    UpdateActions();
}

void TAccountForm::ToBrowser() {
    browser_.ContoText = ContoEdit->text().trimmed();
    browser_.ContoNameText = ContoNameEdit->text().trimmed();
    browser_.SubaccountText = SubaccountEdit->text().trimmed();
    browser_.SubaccountNameText = SubaccountNameEdit->text().trimmed();
    browser_.AccountValuesShow = AccountValuesShowCB->isChecked();
}

void TAccountForm::Search() {
    ToBrowser();
    Guarded([this] { browser_.Search(); });
    ShowValues(AccountGrid, browser_.AccountValuesShow);
    ShowValues(SubaccountGrid, browser_.ShowSubaccountValues);
}

void TAccountForm::ChartSwitched(bool newChart) {
    Guarded([&] { browser_.SwitchChart(newChart); });
    BindAccountGrid();
}

void TAccountForm::AccountValuesToggled() {
    browser_.AccountValuesShow = AccountValuesShowCB->isChecked();
    Guarded([this] { browser_.ComputeAccountValues(); });
    ShowValues(AccountGrid, browser_.AccountValuesShow);
}

void TAccountForm::SubaccountValuesToggled() {
    dm_.SubaccountsReloaded = false;
    browser_.ShowSubaccountValues = SubaccountShowValues->isChecked();
    Guarded([this] { browser_.ComputeSubaccountValues(); });
    ShowValues(SubaccountGrid, browser_.ShowSubaccountValues);
}

// A reloaded list never shows values computed for another account, nor does a list that
// went away because the next account has no sub-accounts.
void TAccountForm::SubaccountsChanged() {
    const bool replaced = dm_.SubaccountsReloaded || !dm_.SubaccountZQ().Active();
    if (replaced && browser_.ShowSubaccountValues) {
        browser_.ShowSubaccountValues = false;
        const QSignalBlocker blockAction(SubaccountShowValues);
        const QSignalBlocker blockBox(SubaccountValuesShowCB);
        SubaccountShowValues->setChecked(false);
        SubaccountValuesShowCB->setChecked(false);
    }
    ShowValues(SubaccountGrid, browser_.ShowSubaccountValues);
    UpdateActions();
}

bool TAccountForm::CurrentTypeIsUser() const {
    TQuery& accounts = browser_.Accounts();
    return accounts.Active() && !accounts.IsEmpty() &&
           accounts.FieldByName(QStringLiteral("type"))
               .AsString()
               .contains(QStringLiteral("subaccount"));
}

void TAccountForm::ExportChart() {
    TQuery& accounts = browser_.Accounts();
    if (!accounts.Active() || accounts.Editing())
        return;
    ExportToExcel(QStringLiteral("Kontni plan"), [&](TReportEngine& engine) {
        engine.ExecuteChartReport(accounts, {}, browser_.PrintSubtitles());
    });
}

void TAccountForm::UpdateActions() {
    TQuery& accounts = browser_.Accounts();
    TQuery& subs = browser_.Subaccounts();
    const bool hasAccounts = accounts.Active() && !accounts.IsEmpty();
    const bool hasSubs = subs.Active() && !subs.IsEmpty();
    SelectAccount->setEnabled(hasAccounts && AccountGrid->isEnabled());
    SelectAccountButton->setEnabled(SelectAccount->isEnabled());
    AccountOpen->setEnabled(hasAccounts);
    SubaccountOpen->setEnabled(hasSubs);
    AccountDelete->setEnabled(hasAccounts);
    ExportExcel->setEnabled(hasAccounts);
    // The active chart's type decides, in both charts.
    SubaccountAdd->setEnabled(CurrentTypeIsUser());
    SubaccountDelete->setEnabled(hasSubs && CurrentTypeIsUser());
}

void TAccountForm::Prepare(const TAccountDesc& desc) {
    ContoEdit->setText(dm_.UseNewChart ? desc.CodeNew : desc.Code);
    SubaccountEdit->setText(desc.SubaccountCode);
    Search();
    const bool known = dm_.UseNewChart ? desc.AccountNewID >= 1 : desc.AccountID > 0;
    if (known) {
        SelectAccount->setEnabled(false);
        ContoEdit->setEnabled(false);
        ContoNameEdit->setEnabled(false);
        AccountGrid->setEnabled(false);
    }
    UpdateActions();
}

void TAccountForm::TakeResult(TAccountDesc& desc) {
    if (SelectResult == TAccountResult::arNone)
        return;
    const TAccountDesc chosen = browser_.Current(SelectResult == TAccountResult::arSubaccount);
    if (SelectResult == TAccountResult::arSubaccount) {
        desc.SubaccountCode = chosen.SubaccountCode;
        desc.SubaccountName = chosen.SubaccountName;
    }
    if (dm_.UseNewChart) {
        desc.CodeNew = chosen.CodeNew;
        desc.AccountNewID = chosen.AccountNewID;
    } else {
        desc.Code = chosen.Code;
        desc.AccountID = chosen.AccountID;
    }
    desc.Name = chosen.Name;
    desc.AccountType = chosen.AccountType;
}

bool TAccountForm::eventFilter(QObject* watched, QEvent* event) {
    // The wheel walks the account list, as the arrow keys do.
    if (event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        (delta < 1 ? AccountNext : AccountPrevious)->trigger();
        return true;
    }
    return TCustomDetailForm::eventFilter(watched, event);
}

void TAccountForm::AfterCard() {
    Guarded([this] {
        if (dm_.UseNewChart)
            dm_.AccountNewZQAfterScroll();
        else
            dm_.AccountZQAfterScroll();
    });
}

void TAccountForm::OpenCurrentAccount() {
    TQuery& accounts = browser_.Accounts();
    if (!accounts.Active() || accounts.IsEmpty())
        return;
    const TAccountDesc current = browser_.Current(false);
    TAccountDesc desc;
    desc.AccountID = current.AccountID;
    desc.AccountNewID = current.AccountNewID;
    Guarded([&] { OpenAccountCard(dm_, desc, dm_.UseNewChart, this); });
    AfterCard();
}

void TAccountForm::OpenCurrentSubaccount() {
    TQuery& subs = browser_.Subaccounts();
    if (!subs.Active() || subs.IsEmpty())
        return;
    const TAccountDesc current = browser_.Current(true);
    TAccountDesc desc;
    desc.AccountID = current.AccountID;
    desc.AccountNewID = current.AccountNewID;
    desc.SubaccountCode = current.SubaccountCode;
    desc.SubaccountName = current.SubaccountName;
    Guarded([&] { OpenAccountCard(dm_, desc, dm_.UseNewChart, this); });
}

namespace {
QString CurrentCode(TAccountBrowser& browser) {
    TQuery& accounts = browser.Accounts();
    return accounts.Active() && !accounts.IsEmpty()
               ? accounts.FieldByName(QStringLiteral("code")).AsString()
               : QString();
}
}  // namespace

void TAccountForm::OpenGroupCard() {
    QString prefix = CurrentCode(browser_);
    if (!Ui().InputText(res::GR_CAPTION, res::GR_PROMPT, prefix))
        return;
    Guarded([&] { OpenGroupCardForm(dm_, prefix, {}, dm_.UseNewChart, this); });
}

void TAccountForm::OpenRangeCard() {
    QString from = CurrentCode(browser_);
    QString to = from;
    if (!Ui().InputText(res::GR_CAPTION, res::GR_PREFIX_PROMPT, from))
        return;
    if (!Ui().InputText(res::GR_CAPTION, res::GR_SUFFIX_PROMPT, to))
        return;
    Guarded([&] { OpenGroupCardForm(dm_, from, to, dm_.UseNewChart, this); });
}

void TAccountForm::AddAccount() {
    Guarded([this] {
        TQuery& accounts = browser_.Accounts();
        if (!accounts.Active())
            accounts.Open();
        accounts.Append();
        TAccountDetailForm editor(dm_, this);
        editor.setAttribute(Qt::WA_DeleteOnClose, false);
        editor.UseAsEditor(false);
        ShowModal(editor);
    });
    AfterCard();
}

void TAccountForm::AddSubaccount() {
    if (!CurrentTypeIsUser())
        return;
    Guarded([this] {
        TQuery& subs = browser_.Subaccounts();
        if (!subs.Active())
            subs.Open();
        dm_.SubaccountsReloaded = true;
        subs.Append();
        TAccountDetailForm editor(dm_, this);
        editor.setAttribute(Qt::WA_DeleteOnClose, false);
        editor.UseAsEditor(true);
        ShowModal(editor);
    });
}

void TAccountForm::DeleteAccount() {
    Guarded([this] {
        TQuery& accounts = browser_.Accounts();
        if (accounts.Active() && !accounts.IsEmpty())
            accounts.Delete();
    });
}

void TAccountForm::DeleteSubaccount() {
    if (!CurrentTypeIsUser())
        return;
    Guarded([this] {
        TQuery& subs = browser_.Subaccounts();
        if (subs.Active() && !subs.IsEmpty())
            subs.Delete();
    });
}

bool GetAccount(TFinancialDM& dm, TAccountDesc& desc, bool newChart, QWidget* parent) {
    TAccountForm form(dm, newChart, parent);
    form.setAttribute(Qt::WA_DeleteOnClose, false);
    form.Prepare(desc);
    ShowModal(form);
    form.TakeResult(desc);
    return form.SelectResult != TAccountResult::arNone;
}

}  // namespace fin
