#include "reports/forms/financialbalanceform.h"

#include <QDateTime>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScopedValueRollback>
#include <QVBoxLayout>
#include <optional>
#include <tuple>

#include "accounts/accountbrowser.h"
#include "host/common/textformat.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "host/forms/datasetmodel.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "reports/accountdetailform.h"

namespace fin {

namespace {

using R = TBalanceReport;

struct TPageInfo {
    R report;
    const char* name;          // of the page, its grid and its print entry
    const char* printCaption;  // in the print menu ("Stari bilansi" for the old ones)
};

const TPageInfo kPages[kBalanceReportCount] = {
    {R::TrialBalance, "TrialBalance", "Bruto bilans"},
    {R::AnalyticTrialBalance, "AnalyticTrialBalance", "Bruto bilans (analitički)"},
    {R::ClosingSheet, "ClosingSheet", "Zaključni list"},
    {R::AnalyticClosingSheet, "AnalyticClosingSheet", "Zaključni list (analitički)"},
    {R::IncomeStatement, "IncomeStatement", "Bilans uspeha"},
    {R::BalanceSheet, "BalanceSheet", "Bilans stanja"},
    {R::StatisticalAnnex, "StatisticalAnnex", "Statistički aneks"},
    {R::CashFlow, "CashFlow", "Tok gotovine"},
    {R::OldTrialBalance, "OldTrialBalance", "Bruto bilans"},
    {R::OldAnalyticTrialBalance, "OldAnalyticTrialBalance", "Bruto bilans (analitički)"},
    {R::OldClosingSheet, "OldClosingSheet", "Zaključni list"},
    {R::OldIncomeStatement, "OldIncomeStatement", "Bilans uspeha"},
    {R::OldBalanceSheet, "OldBalanceSheet", "Bilans stanja"},
};

bool IsTrialBalance(R r) {
    return r == R::TrialBalance || r == R::AnalyticTrialBalance || r == R::OldTrialBalance ||
           r == R::OldAnalyticTrialBalance;
}

bool IsClosingSheet(R r) {
    return r == R::ClosingSheet || r == R::AnalyticClosingSheet || r == R::OldClosingSheet;
}

// The statutory form of a statement's tab; none for the trial balances and closing sheets.
std::optional<TStatementForm> FormOf(R r) {
    switch (r) {
        case R::IncomeStatement:
            return TStatementForm::IncomeStatement;
        case R::BalanceSheet:
            return TStatementForm::BalanceSheet;
        case R::StatisticalAnnex:
            return TStatementForm::StatisticalAnnex;
        case R::CashFlow:
            return TStatementForm::CashFlow;
        case R::OldIncomeStatement:
            return TStatementForm::OldIncomeStatement;
        case R::OldBalanceSheet:
            return TStatementForm::OldBalanceSheet;
        default:
            return std::nullopt;
    }
}

bool IsAnalyticTrialBalance(R r) {
    return r == R::AnalyticTrialBalance || r == R::OldAnalyticTrialBalance;
}

TBalanceRows Compute(TBalanceReports& reports, R r) {
    switch (r) {
        case R::TrialBalance:
        case R::OldTrialBalance:
            return reports.SyntheticTrialBalance();
        case R::AnalyticTrialBalance:
        case R::OldAnalyticTrialBalance:
            return reports.AnalyticTrialBalance();
        case R::ClosingSheet:
        case R::OldClosingSheet:
            return reports.ClosingSheet();
        case R::AnalyticClosingSheet:
            return reports.AnalyticClosingSheet();
        default:
            return {};
    }
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QCheckBox* Box(QWidget* parent, const QString& name, const QString& caption, bool checked) {
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(name);
    b->setChecked(checked);
    return b;
}

QDateEdit* DatePicker(QWidget* parent, const char* name, const QDate& date) {
    auto* d = new QDateEdit(date, parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy."));
    return d;
}

}  // namespace

TFinancialBalanceForm::TFinancialBalanceForm(TFinancialDM& dm, QWidget* parent)
    : TCustomDetailForm(parent),
      dm_(dm),
      year_(dm.Options().FinancialYear),
      layout_(TBalanceLayout::ForYear(year_)),
      engine_(this) {
    setObjectName(QStringLiteral("FinancialBalanceForm"));
    setWindowTitle(QStringLiteral("Bilansi"));
    resize(1360, 760);
    {
        const TDBIniFile ini(&dm_.Require());
        AutoCalculateIncomeTax =
            ini.ReadBool(kFinancialSection, QStringLiteral("AutoCalculateIncomeTax"), false);
        ShowBalance721 = ini.ReadBool(kFinancialSection, QStringLiteral("ShowBalance721"), false);
    }
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;

    const auto [from, to] = BalancePeriod(year_, dm_.Today());
    auto* period = new QGroupBox(QStringLiteral("Period"), this);
    auto* periodLayout = new QGridLayout(period);
    StartDTP = DatePicker(period, "StartDTP", from);
    EndDTP = DatePicker(period, "EndDTP", to);
    periodLayout->addWidget(new QLabel(QStringLiteral("Od datuma:")), 0, 0);
    periodLayout->addWidget(StartDTP, 0, 1);
    periodLayout->addWidget(new QLabel(QStringLiteral("Do datuma:")), 1, 0);
    periodLayout->addWidget(EndDTP, 1, 1);
    top->addWidget(period);

    auto* classes = new QGroupBox(QStringLiteral("Klase"), this);
    auto* classLayout = new QGridLayout(classes);
    AllClassesCB = Box(classes, QStringLiteral("AllClassesCB"), QStringLiteral("Sve klase"), false);
    classLayout->addWidget(AllClassesCB, 0, 0, 1, 5);
    for (int c = 0; c < 10; ++c) {
        ClassCB[c] = Box(classes, QStringLiteral("Class%1CB").arg(c), QString::number(c), c < 9);
        classLayout->addWidget(ClassCB[c], 1 + c / 5, c % 5);
    }
    top->addWidget(classes);

    auto* options = new QVBoxLayout;
    BalanceRound1000CB =
        Box(this, QStringLiteral("BalanceRound1000CB"),
            QStringLiteral("Zaokruži na hiljade u Bilansu uspeha i Bilansu stanja"), true);
    ShowClosingSheetAnalyticalCB = Box(this, QStringLiteral("ShowClosingSheetAnalyticalCB"),
                                       QStringLiteral("Prikaži analitički Zaključni list"), false);
    options->addWidget(BalanceRound1000CB);
    options->addWidget(ShowClosingSheetAnalyticalCB);
    options->addStretch(1);
    top->addLayout(options, 1);
    layout->addLayout(top);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    for (const TPageInfo& info : kPages)
        PageControl->addTab(BuildPage(info.report), BalanceReportCaption(info.report));
    layout->addWidget(PageControl, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ShowButton = Button(this, "ShowButton", QStringLiteral("&Prikaži"));
    ShowButton->setDefault(true);
    PrintButton = Button(this, "PrintButton", QStringLiteral("Š&tampaj"));
    ExcelButton = Button(this, "ExcelButton", QStringLiteral("Izvoz u E&xcel"));
    CloseButton = Button(this, "CloseButton", QStringLiteral("&Zatvori"));
    for (QPushButton* b : {ShowButton, PrintButton, ExcelButton, CloseButton})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    BuildPrintMenu();

    connect(ShowButton, &QPushButton::clicked, this, &TFinancialBalanceForm::ShowButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &TFinancialBalanceForm::reject);
    connect(AllClassesCB, &QCheckBox::toggled, this, &TFinancialBalanceForm::AllClassesCBClick);
    connect(ShowClosingSheetAnalyticalCB, &QCheckBox::toggled, this,
            &TFinancialBalanceForm::ShowClosingSheetAnalyticalCBClick);
    ApplyLayout();
}

TFinancialBalanceForm::~TFinancialBalanceForm() {
    // The models watch the tables, which this object's members free before Qt frees the
    // children.
    for (TDataSetModel*& model : models_) {
        delete model;
        model = nullptr;
    }
}

QWidget* TFinancialBalanceForm::BuildPage(TBalanceReport report) {
    const TPageInfo& info = kPages[At(report)];
    const QString name = QString::fromLatin1(info.name);
    auto* page = new QWidget(PageControl);
    page->setObjectName(name + QStringLiteral("TS"));
    auto* pageLayout = new QVBoxLayout(page);
    auto* grid = new QTableView(page);
    grid->setObjectName(name + QStringLiteral("Grid"));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->setVisible(false);
    // Titles of two words a line keep eleven columns on a screen.
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter |
                                                  Qt::Alignment(Qt::TextWordWrap));
    grid->horizontalHeader()->setMinimumHeight(2 * grid->fontMetrics().lineSpacing() + 10);
    pageLayout->addWidget(grid, 1);
    pages_[At(report)] = page;
    grids_[At(report)] = grid;

    if (IsTrialBalance(report) || IsClosingSheet(report)) {
        auto table = std::make_unique<TDataSet>();
        if (IsClosingSheet(report))
            DeclareClosingSheetTable(*table);
        else
            DeclareTrialBalanceTable(*table, !IsAnalyticTrialBalance(report));
        table->Open();
        auto* model = new TDataSetModel(*table, this);
        // Class recapitulations and the total stand out from the accounts above them.
        const int group = table->FieldByName(QStringLiteral("groupdescription")).Index();
        TDataSet* rows = table.get();
        model->RowStyle = [rows, group](int recNo, int role) -> QVariant {
            if (role != Qt::FontRole ||
                rows->RecordValue(recNo, group).toString() != kClassGroupCaption)
                return {};
            QFont bold;
            bold.setBold(true);
            return bold;
        };
        grid->setModel(model);
        grid->setColumnWidth(0, 80);
        grid->setColumnWidth(1, 240);
        for (int c = 2; c < model->columnCount(); ++c)
            grid->setColumnWidth(c, 108);
        tables_[At(report)] = std::move(table);
        models_[At(report)] = model;
    }
    if (const auto form = FormOf(report)) {
        auto table = std::make_unique<TDataSet>();
        DeclareStatementTable(*table, *form);
        table->Open();
        auto* model = new TDataSetModel(*table, this);
        // The headline positions, which the forms write in capitals, stand out.
        const int description = table->FieldByName(QStringLiteral("Description")).Index();
        TDataSet* rows = table.get();
        model->RowStyle = [rows, description](int recNo, int role) -> QVariant {
            const QString text = rows->RecordValue(recNo, description).toString();
            if (role != Qt::FontRole || text.isEmpty() || text != text.toUpper())
                return {};
            QFont bold;
            bold.setBold(true);
            return bold;
        };
        grid->setModel(model);
        for (int c = 0; c < table->FieldCount(); ++c) {
            const QString name = table->Fields(c).FieldName();
            const int column = model->ColumnOf(name);
            if (column < 0)
                continue;  // hidden
            grid->setColumnWidth(column, name == QLatin1String("Description")    ? 560
                                         : name == QLatin1String("AccountGroup") ? 150
                                         : name == QLatin1String("Index")        ? 60
                                                                                 : 150);
        }
        tables_[At(report)] = std::move(table);
        models_[At(report)] = model;
        if (report == R::StatisticalAnnex) {
            AnnexMonthsLabel = new QLabel(page);
            AnnexMonthsLabel->setObjectName(QStringLiteral("AnnexMonthsLabel"));
            pageLayout->insertWidget(0, AnnexMonthsLabel);
        }
    }
    if (IsAnalyticTrialBalance(report))
        connect(grid, &QTableView::doubleClicked, this, [this, report](const QModelIndex& index) {
            if (index.isValid())
                OpenRowAccount(report, index.row());
        });
    // The statements' exports come with their rows.
    if (report == R::IncomeStatement || report == R::BalanceSheet) {
        auto* exportRow = new QHBoxLayout;
        exportRow->addStretch(1);
        QPushButton* exportButton =
            Button(page,
                   report == R::IncomeStatement ? "IncomeStatementExportButton"
                                                : "BalanceSheetExportButton",
                   QStringLiteral("Izvoz"));
        connect(exportButton, &QPushButton::clicked, this,
                [this, report] { ExportStatement(report); });
        exportRow->addWidget(exportButton);
        pageLayout->addLayout(exportRow);
        (report == R::IncomeStatement ? IncomeStatementExportButton : BalanceSheetExportButton) =
            exportButton;
    }
    return page;
}

void TFinancialBalanceForm::BuildPrintMenu() {
    // The same entries under both buttons: each print also goes into a workbook.
    auto build = [this](QPushButton* button, const QString& name, bool excel) {
        auto* menu = new QMenu(button);
        menu->setObjectName(name + QStringLiteral("Menu"));
        auto* old = new QMenu(QStringLiteral("Stari bilansi"), menu);
        old->setObjectName(excel ? QStringLiteral("OldExcelMenu")
                                 : QStringLiteral("OldBalancesMenu"));
        for (const TPageInfo& info : kPages) {
            QAction* action = (IsOldChartReport(info.report) ? old : menu)
                                  ->addAction(QString::fromUtf8(info.printCaption));
            action->setObjectName(
                QStringLiteral("%1%2Action").arg(name, QString::fromLatin1(info.name)));
            const R report = info.report;
            if (excel)
                connect(action, &QAction::triggered, this, [this, report] { ExportExcel(report); });
            else
                connect(action, &QAction::triggered, this, [this, report] { Print(report); });
            (excel ? excelActions_ : printActions_)[At(report)] = action;
        }
        menu->addMenu(old);
        // The menu drops down under the button.
        button->setMenu(menu);
        return std::pair{menu, old};
    };
    std::tie(PrintMenu, OldBalancesMenu) = build(PrintButton, QStringLiteral("Print"), false);
    std::tie(ExcelMenu, std::ignore) = build(ExcelButton, QStringLiteral("Excel"), true);
}

void TFinancialBalanceForm::ApplyLayout() {
    for (int i = 0; i < kBalanceReportCount; ++i)
        PageControl->setTabVisible(i, layout_.visible[i]);
    ShowClosingSheetAnalyticalCB->setVisible(layout_.analyticClosingBox);
}

void TFinancialBalanceForm::Guarded(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

TClassFilter TFinancialBalanceForm::Classes() const {
    TClassFilter f;
    f.all = AllClassesCB->isChecked();
    for (int c = 0; c < 10; ++c)
        f.classes[c] = ClassCB[c]->isChecked();
    return f;
}

void TFinancialBalanceForm::AllClassesCBClick() {
    for (QCheckBox* box : ClassCB)
        box->setEnabled(!AllClassesCB->isChecked());
}

void TFinancialBalanceForm::ShowClosingSheetAnalyticalCBClick() {
    const bool ticked = ShowClosingSheetAnalyticalCB->isChecked();
    layout_.SetAnalyticClosing(year_, ticked);
    ApplyLayout();
    if (ticked)
        PageControl->setCurrentWidget(Page(R::AnalyticClosingSheet));
}

void TFinancialBalanceForm::ShowButtonClick() {
    // The progress lets events through; a second click does not start a fill inside this one.
    if (filling_)
        return;
    const QScopedValueRollback<bool> running(filling_, true);
    const QDate from = StartDTP->date(), to = EndDTP->date();
    if (const QString wrong = CheckBalancePeriod(from, to); !wrong.isEmpty()) {
        Ui().ShowMessage(TMessageType::Warning, wrong);
        return;
    }
    const TClassFilter classes = Classes();
    const TBalanceReportSet plan =
        BalanceFillPlan(year_, ShowClosingSheetAnalyticalCB->isChecked(), classes);
    int total = 0;
    for (int i = 0; i < kBalanceReportCount; ++i)
        if (plan[i] && tables_[i])
            ++total;
    // Every table ends up with this period's rows or none: one the plan leaves out, one
    // an error or the user's stop does not reach, is emptied.
    std::array<bool, kBalanceReportCount> filled{};
    QString failure;
    const QString statementPeriodError = CheckStatementPeriod(from, to);
    bool statementsPlanned = false;
    for (int i = 0; i < kBalanceReportCount; ++i)
        statementsPlanned =
            statementsPlanned || (plan[i] && FormOf(static_cast<TBalanceReport>(i)).has_value());
    {
        const TBusyCursor busy;
        TProgress progress(QStringLiteral("Bilansi"), total);
        // One per chart, so the reports of a chart share its pass over the period's lines.
        std::optional<TBalanceReports> newChart, oldChart;
        std::optional<TStatements> statements;  // both charts' statements share their passes
        TStatementOptions statementOptions;
        statementOptions.thousands = BalanceRound1000CB->isChecked();
        statementOptions.showBalance721 = ShowBalance721;
        statementOptions.autoCalculateIncomeTax = AutoCalculateIncomeTax;
        statementOptions.financialYear = year_;
        int step = 0;
        try {
            for (const TPageInfo& info : kPages) {
                const int i = At(info.report);
                if (!plan[i] || !tables_[i])
                    continue;
                if (!progress.Step(step++, BalanceReportCaption(info.report)))
                    break;
                if (const auto form = FormOf(info.report)) {
                    // A statement covers one business year; the other reports still fill.
                    if (!statementPeriodError.isEmpty())
                        continue;
                    if (!statements)
                        statements.emplace(dm_.Require(), from, to, statementOptions);
                    statements_[i] = statements->Of(*form);
                    FillStatementTable(*tables_[i], statements_[i]);
                    filled[i] = true;
                    continue;
                }
                const bool old = IsOldChartReport(info.report);
                std::optional<TBalanceReports>& reports = old ? oldChart : newChart;
                if (!reports)
                    reports.emplace(dm_, old ? TChart::Old : TChart::New, from, to, classes);
                FillBalanceTable(*tables_[i], Compute(*reports, info.report));
                filled[i] = true;
            }
            progress.Step(step);
        } catch (const TAbort&) {
        } catch (const TError& e) {
            failure = e.Message();
        }
    }
    for (int i = 0; i < kBalanceReportCount; ++i) {
        if (!tables_[i] || filled[i])
            continue;
        statements_[i].clear();
        if (FormOf(static_cast<TBalanceReport>(i)))
            FillStatementTable(*tables_[i], {});
        else
            FillBalanceTable(*tables_[i], {});
    }
    AnnexMonthsLabel->setText(
        filled[At(R::StatisticalAnnex)]
            ? QStringLiteral("Broj meseci poslovanja: %1").arg(AnnexMonths(from, to))
            : QString());
    // Shown once the progress is gone.
    if (!failure.isEmpty())
        Ui().ShowMessage(TMessageType::Error, failure);
    else if (statementsPlanned && !statementPeriodError.isEmpty())
        Ui().ShowMessage(TMessageType::Warning, statementPeriodError);
    shownFrom_ = from;
    shownTo_ = to;
}

bool TFinancialBalanceForm::PrintTo(TBalanceReport report, TReportEngine& engine) {
    TDataSet* rows = Table(report);
    if (!rows)
        return false;
    // The period of the rows; before the first fill, the pickers' (an empty report).
    const QString start = DateToText(shownFrom_.isValid() ? shownFrom_ : StartDTP->date());
    const QString end = DateToText(shownTo_.isValid() ? shownTo_ : EndDTP->date());
    TDataSet& precepts = dm_.PreceptZQ();
    switch (report) {
        case R::IncomeStatement:
        case R::OldIncomeStatement:
            engine.ExecuteIncomeStatementReport(*rows, precepts, QString(), start, end);
            break;
        case R::BalanceSheet:
        case R::OldBalanceSheet:
            engine.ExecuteBalanceSheetReport(*rows, precepts, QString(), start, end);
            break;
        case R::CashFlow:
            engine.ExecuteCashFlowReport(*rows, precepts, QString(), start, end);
            break;
        case R::StatisticalAnnex:
            engine.ExecuteStatisticalAnnexReport(*rows, precepts, QString(), start, end);
            break;
        default:
            if (IsClosingSheet(report))
                engine.ExecuteClosingSheetReport(*rows, precepts, QString(), start, end);
            else
                engine.ExecuteTestBalanceReport(*rows, precepts, QString(), start, end);
            break;
    }
    return true;
}

void TFinancialBalanceForm::Print(TBalanceReport report) {
    Guarded([&] { PrintTo(report, engine_); });
}

void TFinancialBalanceForm::ExportExcel(TBalanceReport report) {
    if (Table(report))
        ExportToExcel(BalanceReportCaption(report),
                      [&](TReportEngine& engine) { PrintTo(report, engine); });
}

void TFinancialBalanceForm::ExportStatement(TBalanceReport report) {
    const TStatementForm form =
        report == R::BalanceSheet ? TStatementForm::BalanceSheet : TStatementForm::IncomeStatement;
    const TStatementRows& rows = statements_[At(report)];
    if (rows.isEmpty()) {
        Ui().ShowMessage(
            TMessageType::Information,
            QStringLiteral("Izveštaj nije prikazan: pritisnite „Prikaži“ pa izvezite."));
        return;
    }
    QString path = ProposedXmlFileName(form, QDateTime::currentDateTime());
    if (!Ui().SaveFileName(QStringLiteral("Izvezi XML datoteku"), QStringLiteral("XML (*.xml)"),
                           path))
        return;
    Guarded([&] {
        const QString error = WriteStatementXml(
            path,
            StatementXml(form, rows, TFilingNamespaces::FromSettings(TDBIniFile(&dm_.Require()))));
        if (!error.isEmpty())
            Ui().ShowMessage(TMessageType::Error, error);
    });
}

void TFinancialBalanceForm::OpenRowAccount(TBalanceReport report, int row) {
    TDataSet* rows = Table(report);
    if (!rows || !IsAnalyticTrialBalance(report) || row < 0 || row >= rows->RecordCount())
        return;
    const int recNo = row + 1;
    // Class recapitulations are no account.
    if (rows->RecordValue(recNo, rows->FieldByName(QStringLiteral("groupdescription")).Index())
            .toString() != kAnalyticGroupCaption)
        return;
    const QString code =
        rows->RecordValue(recNo, rows->FieldByName(QStringLiteral("number")).Index()).toString();
    const bool newChart = report == R::AnalyticTrialBalance;
    Guarded([&] {
        // The chart's account list holds the row's code and those under it; the card opens
        // on the first, the account itself.
        const bool chartBefore = dm_.UseNewChart;
        TAccountBrowser browser(dm_);
        browser.SwitchChart(newChart);
        browser.ContoText = code;
        browser.Search();
        if (browser.Accounts().IsEmpty()) {
            dm_.UseNewChart = chartBefore;
            return;
        }
        OpenAccountCard(dm_, browser.Current(false), newChart, this);
        // The card may have moved the list; its sub-accounts follow it again.
        if (newChart)
            dm_.AccountNewZQAfterScroll();
        else
            dm_.AccountZQAfterScroll();
    });
}

}  // namespace fin
