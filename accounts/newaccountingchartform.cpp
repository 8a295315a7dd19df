#include "accounts/newaccountingchartform.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScopedValueRollback>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "accounts/accountscaptions.h"
#include "host/data/query.h"
#include "host/forms/datanavigator.h"
#include "host/forms/datasetmodel.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "reports/accountdetailform.h"

namespace fin {

namespace {

QTableView* MakeGrid(QWidget* parent, const QString& name) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    return grid;
}

QLineEdit* Box(QWidget* parent, QVBoxLayout* layout, const QString& name, const QString& caption) {
    layout->addWidget(new QLabel(caption, parent));
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    layout->addWidget(edit);
    return edit;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TNewAccountingChartForm::TNewAccountingChartForm(TFinancialDM& dm, QWidget* parent)
    : TCustomDetailForm(parent), dm_(dm), transfer_(dm) {
    setObjectName(QStringLiteral("NewAccountingChartForm"));
    setWindowTitle(res::NEW_CHART_CAPTION);
    resize(1100, 640);

    auto* layout = new QVBoxLayout(this);
    auto* lists = new QHBoxLayout;
    layout->addLayout(lists, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(
        new QLabel(QStringLiteral("<b>Stari konti sa stavkama %1. godine bez novog konta</b>")
                       .arg(dm_.Options().FinancialYear),
                   this));
    ContoEdit = Box(this, left, QStringLiteral("ContoEdit"), QStringLiteral("Konto (Račun)"));
    ContoNameEdit =
        Box(this, left, QStringLiteral("ContoNameEdit"), QStringLiteral("Naziv konta (računa)"));
    OldSearchButton = Button(this, QStringLiteral("OldSearchButton"), QStringLiteral("Pretraga"));
    left->addWidget(OldSearchButton);
    OldGrid = MakeGrid(this, QStringLiteral("OldGrid"));
    left->addWidget(OldGrid, 1);
    lists->addLayout(left, 1);

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    RecommendedButton =
        Button(this, QStringLiteral("RecommendedButton"), res::NEW_RECOMMENDED_CAPTION);
    SingleButton = Button(this, QStringLiteral("SingleButton"), res::NEW_SINGLE_CAPTION);
    HelpButton = Button(this, QStringLiteral("HelpButton"), QStringLiteral("Preporuke..."));
    HelpButton->setToolTip(QStringLiteral("Tabela preporučenog prenosa: stari i novi konto"));
    for (QPushButton* b : {RecommendedButton, SingleButton, HelpButton})
        middle->addWidget(b);
    middle->addStretch(1);
    lists->addLayout(middle);

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("<b>Novi kontni plan</b>"), this));
    NewContoEdit =
        Box(this, right, QStringLiteral("NewContoEdit"), QStringLiteral("Konto (Račun)"));
    NewContoNameEdit = Box(this, right, QStringLiteral("NewContoNameEdit"),
                           QStringLiteral("Naziv konta (računa)"));
    NewSearchButton = Button(this, QStringLiteral("NewSearchButton"), QStringLiteral("Pretraga"));
    right->addWidget(NewSearchButton);
    NewGrid = MakeGrid(this, QStringLiteral("NewGrid"));
    right->addWidget(NewGrid, 1);
    lists->addLayout(right, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    CloseButton = Button(this, QStringLiteral("CloseButton"), QStringLiteral("&Zatvori"));
    bottom->addWidget(CloseButton);
    layout->addLayout(bottom);

    oldModel_ = new TDataSetModel(transfer_.OldAccounts(), this);
    oldModel_->SetColumns({QStringLiteral("code"), QStringLiteral("name"), QStringLiteral("type"),
                           QStringLiteral("balance")});
    OldGrid->setModel(oldModel_);
    TGridSorter::AddGrid(OldGrid);
    new TGridLink(OldGrid, oldModel_);
    newModel_ = new TDataSetModel(transfer_.NewAccounts(), this);
    newModel_->SetColumns({QStringLiteral("code"), QStringLiteral("name"), QStringLiteral("type")});
    NewGrid->setModel(newModel_);
    new TGridLink(NewGrid, newModel_);
    for (QTableView* grid : {OldGrid, NewGrid}) {
        for (int column = 0; column < grid->model()->columnCount(); ++column)
            grid->horizontalHeader()->setSectionResizeMode(
                column, column == 1 ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
        grid->viewport()->installEventFilter(this);
    }

    connect(OldSearchButton, &QPushButton::clicked, this, &TNewAccountingChartForm::OldSearchClick);
    connect(ContoEdit, &QLineEdit::returnPressed, this, &TNewAccountingChartForm::OldSearchClick);
    connect(ContoNameEdit, &QLineEdit::returnPressed, this,
            &TNewAccountingChartForm::OldSearchClick);
    connect(NewSearchButton, &QPushButton::clicked, this, &TNewAccountingChartForm::NewSearchClick);
    connect(NewContoEdit, &QLineEdit::returnPressed, this,
            &TNewAccountingChartForm::NewSearchClick);
    connect(NewContoNameEdit, &QLineEdit::returnPressed, this,
            &TNewAccountingChartForm::NewSearchClick);
    connect(SingleButton, &QPushButton::clicked, this, &TNewAccountingChartForm::SingleClick);
    connect(RecommendedButton, &QPushButton::clicked, this,
            &TNewAccountingChartForm::RecommendedClick);
    connect(HelpButton, &QPushButton::clicked, this, &TNewAccountingChartForm::HelpClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(OldGrid, &QTableView::doubleClicked, this, &TNewAccountingChartForm::OpenOldCard);
    connect(NewGrid, &QTableView::doubleClicked, this, &TNewAccountingChartForm::OpenNewCard);

    // A failure here is the caller's to show: without its lists the screen has no use.
    transfer_.Open();
}

TNewAccountingChartForm::~TNewAccountingChartForm() {
    dm_.UseNewChart = true;
}

void TNewAccountingChartForm::Guarded(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TNewAccountingChartForm::OldSearchClick() {
    Guarded([this] {
        transfer_.LocateOld(ContoEdit->text().trimmed(), ContoNameEdit->text().trimmed());
    });
}

void TNewAccountingChartForm::NewSearchClick() {
    Guarded([this] {
        transfer_.SearchNew(NewContoEdit->text().trimmed(), NewContoNameEdit->text().trimmed());
    });
}

void TNewAccountingChartForm::SingleClick() {
    Guarded([this] { transfer_.Transfer(transfer_.CurrentOld(), transfer_.CurrentNew()); });
}

void TNewAccountingChartForm::RecommendedClick() {
    Guarded([this] { transfer_.TransferRecommended(); });
}

void TNewAccountingChartForm::HelpClick() {
    Guarded([this] {
        auto* form = new TNewRecommendedTransferForm(this);
        ShowModal(*form);
    });
}

void TNewAccountingChartForm::OpenOldCard() {
    Guarded([this] {
        const TChartAccount old = transfer_.CurrentOld();
        if (old.id <= 0 || !transfer_.SelectOldAccount(old.id))
            return;
        // The card reads the chart from the data module; the new chart comes back after it.
        const QScopedValueRollback<bool> oldChart(dm_.UseNewChart, false);
        TAccountDesc desc;
        desc.AccountID = qint32(old.id);
        OpenAccountCard(dm_, desc, false, this);
        dm_.AccountZQAfterScroll();
    });
}

void TNewAccountingChartForm::OpenNewCard() {
    Guarded([this] {
        const TChartAccount account = transfer_.CurrentNew();
        if (account.id <= 0)
            return;
        dm_.UseNewChart = true;
        TAccountDesc desc;
        desc.AccountNewID = qint32(account.id);
        OpenAccountCard(dm_, desc, true, this);
        dm_.AccountNewZQAfterScroll();
    });
}

bool TNewAccountingChartForm::eventFilter(QObject* watched, QEvent* event) {
    // The wheel walks the list under it a row at a time, as the arrow keys do.
    if (event->type() == QEvent::Wheel) {
        TDataSet& rows = watched == OldGrid->viewport()
                             ? static_cast<TDataSet&>(transfer_.OldAccounts())
                             : transfer_.NewAccounts();
        if (rows.Active()) {
            if (static_cast<QWheelEvent*>(event)->angleDelta().y() < 1)
                rows.Next();
            else
                rows.Prior();
        }
        return true;
    }
    return TCustomDetailForm::eventFilter(watched, event);
}

TNewRecommendedTransferForm::TNewRecommendedTransferForm(QWidget* parent)
    : TCustomDetailForm(parent) {
    setObjectName(QStringLiteral("NewRecommendedTransferForm"));
    setWindowTitle(res::NEW_RECOMMENDED_CAPTION);
    resize(360, 520);
    auto* layout = new QVBoxLayout(this);
    const QVector<TChartPair>& pairs = RecommendedChartPairs();
    PairsGrid = new QTableWidget(int(pairs.size()), 2, this);
    PairsGrid->setObjectName(QStringLiteral("PairsGrid"));
    PairsGrid->setHorizontalHeaderLabels({res::NEW_ACC_TITLE1, res::NEW_ACC_TITLE2});
    PairsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PairsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    PairsGrid->verticalHeader()->hide();
    PairsGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int row = 0; row < pairs.size(); ++row) {
        PairsGrid->setItem(row, 0, new QTableWidgetItem(pairs[row].oldCode));
        PairsGrid->setItem(row, 1, new QTableWidgetItem(pairs[row].newCode));
    }
    layout->addWidget(PairsGrid, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    CloseButton = new QPushButton(QStringLiteral("&Zatvori"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    bottom->addWidget(CloseButton);
    layout->addLayout(bottom);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace fin
