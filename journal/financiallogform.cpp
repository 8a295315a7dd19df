#include "journal/financiallogform.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "host/common/error.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "host/forms/datasetmodel.h"
#include "host/ui/uiservice.h"
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

}  // namespace

TFinancialLogForm::TFinancialLogForm(TFinancialDM& dm, QWidget* parent)
    : TCustomDetailForm(parent), dm_(dm), book_(dm), engine_(this) {
    setObjectName(QStringLiteral("FinancialLogForm"));
    setWindowTitle(res::LOG_CAPTION);
    resize(1080, 600);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    FromEdit = new QLineEdit(this);
    FromEdit->setObjectName(QStringLiteral("FromEdit"));
    ToEdit = new QLineEdit(this);
    ToEdit->setObjectName(QStringLiteral("ToEdit"));
    FromButton = Button(this, "FromButton", QStringLiteral("..."));
    ToButton = Button(this, "ToButton", QStringLiteral("..."));
    for (QPushButton* b : {FromButton, ToButton})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
    FindButton = Button(this, "FindButton", QStringLiteral("&Prikaži"));
    top->addWidget(new QLabel(QStringLiteral("Od datuma:"), this));
    top->addWidget(FromEdit);
    top->addWidget(FromButton);
    top->addWidget(new QLabel(QStringLiteral("Do datuma:"), this));
    top->addWidget(ToEdit);
    top->addWidget(ToButton);
    top->addWidget(FindButton);
    top->addStretch(1);
    layout->addLayout(top);

    model_ = new TDataSetModel(book_.Lines(), this);
    model_->SetColumns({QStringLiteral("preceptdate"), QStringLiteral("registerdate"),
                        QStringLiteral("number"), QStringLiteral("accountcode"),
                        QStringLiteral("accountnewcode"), QStringLiteral("description"),
                        QStringLiteral("debit"), QStringLiteral("credit")});
    LogGrid = new QTableView(this);
    LogGrid->setObjectName(QStringLiteral("LogGrid"));
    LogGrid->setModel(model_);
    LogGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    LogGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    LogGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LogGrid->verticalHeader()->setDefaultSectionSize(LogGrid->fontMetrics().height() + 6);
    // At least as wide as the numbers they hold: voucher numbers with their type, amounts in
    // the hundreds of millions.
    const QFontMetrics metrics = LogGrid->fontMetrics();
    const int number = std::max(70, metrics.horizontalAdvance(QStringLiteral("00000/00-00")) + 12);
    const int amount =
        std::max(80, metrics.horizontalAdvance(QStringLiteral("999.999.999,99")) + 12);
    for (auto [column, width] : {std::pair{2, number}, {5, 260}, {6, amount}, {7, amount}})
        LogGrid->setColumnWidth(column, width);
    LogGrid->viewport()->installEventFilter(this);
    TGridSorter::AddGrid(LogGrid);
    layout->addWidget(LogGrid, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    PrintButton = Button(this, "PrintButton", QStringLiteral("Š&tampaj"));
    ExcelButton = Button(this, "ExcelButton", QStringLiteral("Izvoz u E&xcel"));
    CloseButton = Button(this, "CloseButton", QStringLiteral("&Zatvori"));
    bottom->addWidget(PrintButton);
    bottom->addWidget(ExcelButton);
    bottom->addWidget(CloseButton);
    layout->addLayout(bottom);

    connect(FindButton, &QPushButton::clicked, this, &TFinancialLogForm::OpenLog);
    connect(FromButton, &QPushButton::clicked, this, [this] { PickDate(FromEdit); });
    connect(ToButton, &QPushButton::clicked, this, [this] { PickDate(ToEdit); });
    connect(PrintButton, &QPushButton::clicked, this, &TFinancialLogForm::Print);
    connect(ExcelButton, &QPushButton::clicked, this, &TFinancialLogForm::ExportExcel);
    // Escape closes the form as the close button does.
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

    FromEdit->setText(book_.From);
    ToEdit->setText(book_.To);
    OpenLog();
}

void TFinancialLogForm::OpenLog() {
    try {
        book_.OpenLog(FromEdit->text(), ToEdit->text());
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Warning, e.Message());
        return;
    }
    FromEdit->setText(book_.From);
    ToEdit->setText(book_.To);
}

void TFinancialLogForm::PickDate(QLineEdit* box) {
    QString text = box->text();
    if (PickYearDate(dm_, text))
        box->setText(text);
}

void TFinancialLogForm::PrintTo(TReportEngine& engine) {
    // The book keeps its bounds as the database writes them; the print, as people do.
    auto shown = [](const QString& sql) {
        const auto date = MyDateStrToDate(sql);
        return date ? DateToText(*date) : sql;
    };
    engine.ExecuteLogReport(book_.Lines(), res::LOG_CAPTION, shown(book_.From), shown(book_.To));
}

void TFinancialLogForm::Print() {
    if (!book_.Lines().Active())
        return;
    try {
        PrintTo(engine_);
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TFinancialLogForm::ExportExcel() {
    if (book_.Lines().Active())
        ExportToExcel(res::LOG_CAPTION, [this](TReportEngine& engine) { PrintTo(engine); });
}

bool TFinancialLogForm::eventFilter(QObject* watched, QEvent* event) {
    if (WheelStepsRows(LogGrid, watched, event))
        return true;
    return TCustomDetailForm::eventFilter(watched, event);
}

void TFinancialLogForm::showEvent(QShowEvent* event) {
    TCustomDetailForm::showEvent(event);
    CenterOnScreen();
}

}  // namespace fin
