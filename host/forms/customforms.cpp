#include "host/forms/customforms.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "host/forms/datasetmodel.h"
#include "host/ui/uiservice.h"

namespace fin {

void TGridSorter::AddGrid(QTableView* grid) {
    // No column is chosen up front: the list keeps the order its query gave until a click.
    grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    grid->setSortingEnabled(true);
    grid->horizontalHeader()->setSortIndicatorShown(true);
}

TCustomViewerForm::TCustomViewerForm(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ActionTB = new QToolBar(this);
    ActionTB->setObjectName(QStringLiteral("ActionTB"));
    ActionTB->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(ActionTB);
    CenterPanel = new QWidget(this);
    CenterPanel->setObjectName(QStringLiteral("CenterPanel"));
    auto* center = new QVBoxLayout(CenterPanel);
    center->setContentsMargins(0, 0, 0, 0);
    DBG = new QTableView(CenterPanel);
    DBG->setObjectName(QStringLiteral("DBG"));
    DBG->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBG->setSelectionMode(QAbstractItemView::SingleSelection);
    DBG->setContextMenuPolicy(Qt::ActionsContextMenu);
    DBG->verticalHeader()->setDefaultSectionSize(DBG->fontMetrics().height() + 6);
    center->addWidget(DBG);
    layout->addWidget(CenterPanel, 1);
    ColumnsVisibility = AddCommand(QStringLiteral("ColumnsVisibility"),
                                   QStringLiteral("Vidljivost kolona"), {}, false, true);
    connect(ColumnsVisibility, &QAction::triggered, this, &TCustomViewerForm::ChooseColumns);
}

QAction* TCustomViewerForm::AddCommand(const QString& name, const QString& caption,
                                       const QKeySequence& shortcut, bool onToolbar,
                                       bool inContextMenu) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);
    if (onToolbar)
        ActionTB->addAction(action);
    if (inContextMenu)
        DBG->addAction(action);
    return action;
}

QAction* TCustomViewerForm::Command(const QString& name) const {
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

void TCustomViewerForm::ChooseColumns() {
    auto* model = qobject_cast<TDataSetModel*>(DBG->model());
    if (!model)
        return;
    QStringList titles;
    for (int c = 0; c < model->columnCount(); ++c)
        titles << model->headerData(c, Qt::Horizontal).toString() +
                      (DBG->isColumnHidden(c) ? QStringLiteral(" (skrivena)") : QString());
    int index = 0;
    if (!Ui().PickFromList(QStringLiteral("Prikaži ili sakrij kolonu"), titles, index))
        return;
    DBG->setColumnHidden(index, !DBG->isColumnHidden(index));
}

TCustomNavigatorForm::TCustomNavigatorForm(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    SearchVLE = new QTableWidget(0, 2, this);
    SearchVLE->setObjectName(QStringLiteral("SearchVLE"));
    SearchVLE->setHorizontalHeaderLabels({QStringLiteral("Polje"), QStringLiteral("Vrednost")});
    SearchVLE->horizontalHeader()->setStretchLastSection(true);
    SearchVLE->verticalHeader()->hide();
    layout->addWidget(SearchVLE, 1);
    FindButton = new QPushButton(QStringLiteral("&Pronađi"), this);
    FindButton->setObjectName(QStringLiteral("FindButton"));
    layout->addWidget(FindButton);
    connect(FindButton, &QPushButton::clicked, this, [this] { Find(); });
}

void TCustomNavigatorForm::AddSearchField(const QString& key, const QString& caption) {
    const int row = SearchVLE->rowCount();
    SearchVLE->insertRow(row);
    auto* name = new QTableWidgetItem(caption);
    name->setData(Qt::UserRole, key);
    name->setFlags(Qt::ItemIsEnabled);
    SearchVLE->setItem(row, 0, name);
    SearchVLE->setItem(row, 1, new QTableWidgetItem());
}

int TCustomNavigatorForm::RowOf(const QString& key) const {
    for (int r = 0; r < SearchVLE->rowCount(); ++r)
        if (SearchVLE->item(r, 0)->data(Qt::UserRole).toString() == key)
            return r;
    return -1;
}

QString TCustomNavigatorForm::SearchValue(const QString& key) const {
    const int row = RowOf(key);
    return row < 0 ? QString() : SearchVLE->item(row, 1)->text().trimmed();
}

void TCustomNavigatorForm::SetSearchValue(const QString& key, const QString& value) {
    const int row = RowOf(key);
    if (row >= 0)
        SearchVLE->item(row, 1)->setText(value);
}

QIcon EllipsisIcon(const QWidget& box) {
    QPixmap dots(16, 16);
    dots.fill(Qt::transparent);
    QPainter p(&dots);
    p.setPen(box.palette().color(QPalette::Text));
    p.drawText(dots.rect(), Qt::AlignCenter, QStringLiteral("..."));
    return QIcon(dots);
}

namespace {
std::function<int(QDialog&)>& ModalRunner() {
    static std::function<int(QDialog&)> runner;
    return runner;
}
}  // namespace

int ShowModal(QDialog& dialog) {
    if (ModalRunner())
        return ModalRunner()(dialog);
    return dialog.exec();
}

void SetModalRunner(std::function<int(QDialog&)> runner) {
    ModalRunner() = std::move(runner);
}

TCustomDetailForm::TCustomDetailForm(QWidget* parent) : QDialog(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

bool TCustomDetailForm::WheelStepsRows(QAbstractItemView* grid, QObject* watched, QEvent* event) {
    if (watched != grid->viewport() || event->type() != QEvent::Wheel)
        return false;
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    QKeyEvent key(QEvent::KeyPress, delta < 1 ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(grid, &key);
    return true;
}

void TCustomDetailForm::CenterOnScreen() {
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

}  // namespace fin
