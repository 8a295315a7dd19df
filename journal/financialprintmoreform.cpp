#include "journal/financialprintmoreform.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "host/common/captions.h"
#include "host/common/error.h"
#include "host/common/textformat.h"
#include "host/data/dataset.h"
#include "host/forms/datanavigator.h"
#include "host/forms/datasetmodel.h"
#include "host/ui/uiservice.h"
#include "journal/daybook.h"
#include "journal/journalcaptions.h"
#include "ledger/financialdm.h"

namespace fin {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// Columns the user only reads.
class TReadOnlyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return nullptr;
    }
};

// The tick is chosen from its two words.
class TTickDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* combo = new QComboBox(parent);
        combo->addItems({res::YES_CAP, res::NO_CAP});
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* combo = static_cast<QComboBox*>(editor);
        combo->setCurrentIndex(std::max(0, combo->findText(index.data().toString())));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
    }
};

}  // namespace

TFinancialPrintMoreForm::TFinancialPrintMoreForm(TFinancialDM& dm, QWidget* parent)
    : TCustomDetailForm(parent), dm_(dm), print_(dm), engine_(this) {
    setObjectName(QStringLiteral("FinancialPrintMoreForm"));
    setWindowTitle(QStringLiteral("Štampaj više"));
    resize(1000, 600);
    auto* layout = new QVBoxLayout(this);

    auto* filters = new QGridLayout;
    TypeCombo = new QComboBox(this);
    TypeCombo->setObjectName(QStringLiteral("TypeCombo"));
    TypeCombo->setMaxVisibleItems(30);
    FromEdit = new QLineEdit(this);
    FromEdit->setObjectName(QStringLiteral("FromEdit"));
    ToEdit = new QLineEdit(this);
    ToEdit->setObjectName(QStringLiteral("ToEdit"));
    FromButton = Button(this, "FromButton", QStringLiteral("..."));
    ToButton = Button(this, "ToButton", QStringLiteral("..."));
    for (QPushButton* b : {FromButton, ToButton})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
    DescriptionEdit = new QLineEdit(this);
    DescriptionEdit->setObjectName(QStringLiteral("DescriptionEdit"));
    ShowButton = Button(this, "ShowButton", QStringLiteral("&Prikaži"));
    ShowButton->setDefault(true);
    filters->addWidget(new QLabel(QStringLiteral("Tip naloga:"), this), 0, 0);
    filters->addWidget(TypeCombo, 0, 1, 1, 5);
    filters->addWidget(new QLabel(QStringLiteral("Od datuma:"), this), 1, 0);
    filters->addWidget(FromEdit, 1, 1);
    filters->addWidget(FromButton, 1, 2);
    filters->addWidget(new QLabel(QStringLiteral("Do datuma:"), this), 1, 3);
    filters->addWidget(ToEdit, 1, 4);
    filters->addWidget(ToButton, 1, 5);
    filters->addWidget(new QLabel(QStringLiteral("Deo opisa:"), this), 2, 0);
    filters->addWidget(DescriptionEdit, 2, 1, 1, 5);
    filters->addWidget(ShowButton, 2, 6);
    filters->setColumnStretch(7, 1);
    layout->addLayout(filters);

    TDataSet& list = print_.List();
    Navigator = new TDBNavigator(list, this);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    for (TDBNavigator::TButton hidden : {TDBNavigator::Insert, TDBNavigator::Delete})
        Navigator->Button(hidden)->setVisible(false);
    layout->addWidget(Navigator);

    model_ = new TDataSetModel(list, this);
    model_->SetColumns({QStringLiteral("PreceptType"), QStringLiteral("PreceptNumber"),
                        QStringLiteral("PreceptDate"), QStringLiteral("PreceptRegisterDate"),
                        QStringLiteral("PreceptStatus"), QStringLiteral("PreceptDescription"),
                        QStringLiteral("PreceptPrint")});
    model_->SetEditable(true);
    PrintGrid = new QTableView(this);
    PrintGrid->setObjectName(QStringLiteral("PrintGrid"));
    PrintGrid->setModel(model_);
    PrintGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    PrintGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    PrintGrid->verticalHeader()->setDefaultSectionSize(PrintGrid->fontMetrics().height() + 6);
    auto* readOnly = new TReadOnlyDelegate(PrintGrid);
    for (int column = 0; column < 6; ++column)
        PrintGrid->setItemDelegateForColumn(column, readOnly);
    PrintGrid->setItemDelegateForColumn(6, new TTickDelegate(PrintGrid));
    for (auto [column, width] : {std::pair{0, 80}, {1, 100}, {4, 72}, {5, 400}})
        PrintGrid->setColumnWidth(column, width);
    PrintGrid->viewport()->installEventFilter(this);
    new TGridLink(PrintGrid, model_);
    TGridSorter::AddGrid(PrintGrid);
    layout->addWidget(PrintGrid, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    PrintButton = Button(this, "PrintButton", QStringLiteral("Š&tampaj"));
    CloseButton = Button(this, "CloseButton", QStringLiteral("&Zatvori"));
    bottom->addWidget(PrintButton);
    bottom->addWidget(CloseButton);
    layout->addLayout(bottom);

    connect(ShowButton, &QPushButton::clicked, this, &TFinancialPrintMoreForm::ShowPrecepts);
    connect(FromButton, &QPushButton::clicked, this, [this] { PickDate(FromEdit); });
    connect(ToButton, &QPushButton::clicked, this, [this] { PickDate(ToEdit); });
    connect(PrintButton, &QPushButton::clicked, this, &TFinancialPrintMoreForm::PrintClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

    const QString today = DateToSql(dm_.Today());
    FromEdit->setText(today);
    ToEdit->setText(today);
    try {
        for (const auto& [id, text] : print_.Types())
            TypeCombo->addItem(text, id);
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
    TypeCombo->setCurrentIndex(0);
}

void TFinancialPrintMoreForm::ShowPrecepts() {
    if (TypeCombo->currentIndex() < 0)
        return;
    try {
        print_.ShowPrecepts(TypeCombo->currentData().toLongLong(), FromEdit->text(), ToEdit->text(),
                            DescriptionEdit->text());
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Warning, e.Message());
    }
}

bool TFinancialPrintMoreForm::ShowYear(qint64 typeId) {
    const int index = TypeCombo->findData(typeId);
    if (index < 0)
        return false;
    TypeCombo->setCurrentIndex(index);
    const int year = dm_.Options().FinancialYear;
    FromEdit->setText(DateToSql(QDate(year, 1, 1)));
    ToEdit->setText(DateToSql(QDate(year, 12, 31)));
    ShowPrecepts();
    return !print_.List().IsEmpty();
}

void TFinancialPrintMoreForm::PickDate(QLineEdit* box) {
    QString text = box->text();
    if (PickYearDate(dm_, text))
        box->setText(text);
}

void TFinancialPrintMoreForm::PrintClick() {
    try {
        print_.List().CheckBrowseMode();
        if (print_.TickedCount() == 0) {
            Ui().ShowMessage(TMessageType::Warning, res::PRINT_MORE_NONE_WRN);
            return;
        }
        print_.PrepareGroupPrecepts();
        engine_.ExecuteGroupPreceptReport(dm_.PrecepttypeZQ(), print_.Rows(), res::PRE_CAPTION);
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

bool TFinancialPrintMoreForm::eventFilter(QObject* watched, QEvent* event) {
    if (WheelStepsRows(PrintGrid, watched, event))
        return true;
    return TCustomDetailForm::eventFilter(watched, event);
}

void TFinancialPrintMoreForm::showEvent(QShowEvent* event) {
    TCustomDetailForm::showEvent(event);
    CenterOnScreen();
}

}  // namespace fin
