#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "console/demo/demo.h"
#include "host/common/textformat.h"
#include "host/forms/datasetmodel.h"
#include "ledger/financialoptions.h"
#include "reports/accountdetailform.h"
#include "reports/forms/financialbalanceform.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

using R = TBalanceReport;

class BalanceForm : public TReportsTest {
protected:
    void TearDown() override {
        SetModalRunner(nullptr);
        TReportsTest::TearDown();
    }
    // A screen that stays when closed, so the test can look at it afterwards.
    std::unique_ptr<TFinancialBalanceForm> Open(int year) {
        dm->Options().FinancialYear = year;
        auto form = std::make_unique<TFinancialBalanceForm>(*dm);
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        return form;
    }
};

QStringList ShownTabs(const TFinancialBalanceForm& form) {
    QStringList tabs;
    for (int i = 0; i < form.PageControl->count(); ++i)
        if (form.PageControl->isTabVisible(i))
            tabs << form.PageControl->tabText(i);
    return tabs;
}

// What a grid shows, one line per row, cells separated by "|".
QStringList GridText(QTableView* grid) {
    QStringList lines;
    const QAbstractItemModel* m = grid->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->index(r, c).data().toString();
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

// The same lines written straight from the computed rows: the trial balances' eleven
// columns or the closing sheets' ten.
QStringList RowsText(const TBalanceRows& rows, bool closing) {
    auto amount = [](double v) { return FormatFloat(QStringLiteral("#,##0.00"), v); };
    QStringList lines;
    for (const TBalanceRow& r : rows) {
        QStringList cells{r.number, r.name, amount(r.startdebit), amount(r.startcredit)};
        if (!closing)
            cells << amount(r.startbalance);
        cells << amount(r.yeardebit) << amount(r.yearcredit);
        if (!closing)
            cells << amount(r.yearbalance);
        cells << amount(r.totaldebit) << amount(r.totalcredit);
        if (closing)
            cells << amount(r.totalbalancedebit) << amount(r.totalbalancecredit);
        else
            cells << amount(r.totalbalance);
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

TEST_F(BalanceForm, TabsBoxesAndMenuFollowTheFinancialYear) {
    TDBIniFile(&Db()).WriteBool(kFinancialSection, "AutoCalculateIncomeTax", true);
    dm->Today = [] { return QDate(2026, 2, 10); };
    const QStringList newTabs{"Bruto bilans", "Bruto bilans (analitički)", "Zaključni list",
                              "Bilans uspeha", "Bilans stanja"};
    const QStringList always{"Statistički aneks", "Tok gotovine"};
    const QStringList oldTabs{"Bruto bilans - stari", "Bruto bilans (analitički) - stari",
                              "Zaključni list - stari"};

    auto form = Open(2014);
    EXPECT_EQ(form->windowTitle(), "Bilansi");
    EXPECT_TRUE(form->AutoCalculateIncomeTax);
    EXPECT_FALSE(form->ShowBalance721);
    // Today moved into the financial year.
    EXPECT_EQ(form->StartDTP->date(), QDate(2014, 1, 1));
    EXPECT_EQ(form->EndDTP->date(), QDate(2014, 2, 10));
    EXPECT_TRUE(form->BalanceRound1000CB->isChecked());
    EXPECT_FALSE(form->AllClassesCB->isChecked());
    for (int c = 0; c < 10; ++c)
        EXPECT_EQ(form->ClassCB[c]->isChecked(), c < 9) << c;
    EXPECT_EQ(form->ClassCB[9]->objectName(), "Class9CB");
    EXPECT_TRUE(form->ShowButton->isDefault());

    // 2014 shows both charts' trial balances and closing sheets, the new statements only.
    EXPECT_EQ(ShownTabs(*form), newTabs + always + oldTabs);
    EXPECT_TRUE(form->ShowClosingSheetAnalyticalCB->isVisibleTo(form.get()));
    form->ShowClosingSheetAnalyticalCB->setChecked(true);
    EXPECT_EQ(ShownTabs(*form), QStringList{"Zaključni list (analitički)"} + always);
    EXPECT_EQ(form->PageControl->currentWidget(), form->Page(R::AnalyticClosingSheet));
    form->ShowClosingSheetAnalyticalCB->setChecked(false);
    EXPECT_EQ(ShownTabs(*form), newTabs + always + oldTabs);

    // "Sve klase" takes the boxes out of play, and gives them back.
    form->AllClassesCB->click();
    for (QCheckBox* box : form->ClassCB)
        EXPECT_FALSE(box->isEnabled());
    EXPECT_TRUE(form->Classes().all);
    form->AllClassesCB->click();
    for (QCheckBox* box : form->ClassCB)
        EXPECT_TRUE(box->isEnabled());

    // The print menu under its button: every report, the old ones in their own menu; the
    // statements print once they have rows.
    ASSERT_EQ(form->PrintButton->menu(), form->PrintMenu);
    QStringList entries;
    for (QAction* a : form->PrintMenu->actions())
        entries << a->text();
    EXPECT_EQ(entries, QStringList({"Bruto bilans", "Bruto bilans (analitički)", "Zaključni list",
                                    "Zaključni list (analitički)", "Bilans uspeha", "Bilans stanja",
                                    "Statistički aneks", "Tok gotovine", "Stari bilansi"}));
    QStringList old;
    for (QAction* a : form->OldBalancesMenu->actions())
        old << a->text();
    EXPECT_EQ(old, QStringList({"Bruto bilans", "Bruto bilans (analitički)", "Zaključni list",
                                "Bilans uspeha", "Bilans stanja"}));
    EXPECT_TRUE(form->PrintAction(R::OldClosingSheet)->isEnabled());
    EXPECT_TRUE(form->PrintAction(R::CashFlow)->isEnabled());
    EXPECT_TRUE(form->Page(R::BalanceSheet)->findChild<QPushButton*>("BalanceSheetExportButton"));

    // From 2016 the old chart is gone; before 2014 the new one and the analytic box.
    dm->Today = [] { return QDate(2016, 5, 31); };
    auto later = Open(2016);
    EXPECT_EQ(ShownTabs(*later), newTabs + always);
    EXPECT_EQ(later->EndDTP->date(), QDate(2016, 5, 31));
    later->ShowClosingSheetAnalyticalCB->setChecked(true);
    EXPECT_EQ(ShownTabs(*later), QStringList{"Zaključni list (analitički)"} + always);
    auto earlier = Open(2013);
    EXPECT_EQ(ShownTabs(*earlier),
              always + oldTabs + QStringList({"Bilans uspeha", "Bilans stanja"}));
    EXPECT_FALSE(earlier->ShowClosingSheetAnalyticalCB->isVisibleTo(earlier.get()));
}

TEST_F(BalanceForm, ShowFillsTheGridsAsTheReportsComputeThemAndPrintsThem) {
    // 2014: the demo's lines carry both charts' accounts.
    TDemoOptions options;
    options.year = 2014;
    options.vouchers = 150;
    MakeDemoCompany(Db(), options);
    const QDate from(2014, 1, 1), to(2014, 12, 31);
    dm->Today = [] { return QDate(2014, 12, 31); };
    auto form = Open(2014);
    form->ShowButton->click();
    EXPECT_TRUE(ui.Unexpected().isEmpty());
    EXPECT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();
    EXPECT_GE(ui.ProgressSteps(), 6);  // the six tables of both charts

    const struct {
        R report;
        TChart chart;
    } filled[] = {{R::TrialBalance, TChart::New},
                  {R::AnalyticTrialBalance, TChart::New},
                  {R::ClosingSheet, TChart::New},
                  {R::OldTrialBalance, TChart::Old},
                  {R::OldAnalyticTrialBalance, TChart::Old},
                  {R::OldClosingSheet, TChart::Old}};
    std::map<R, QStringList> shown;
    for (const auto& [report, chart] : filled) {
        TBalanceReports reports(*dm, chart, from, to, {});
        const TBalanceRows rows =
            report == R::TrialBalance || report == R::OldTrialBalance
                ? reports.SyntheticTrialBalance()
            : report == R::AnalyticTrialBalance || report == R::OldAnalyticTrialBalance
                ? reports.AnalyticTrialBalance()
                : reports.ClosingSheet();
        ASSERT_GT(rows.size(), 5) << BalanceReportCaption(report).toStdString();
        shown[report] = GridText(form->Grid(report));
        EXPECT_EQ(shown[report],
                  RowsText(rows, report == R::ClosingSheet || report == R::OldClosingSheet))
            << BalanceReportCaption(report).toStdString();
    }
    EXPECT_EQ(form->Grid(R::TrialBalance)->model()->headerData(2, Qt::Horizontal).toString(),
              "Poč. stanje duguje");
    EXPECT_EQ(form->Table(R::AnalyticClosingSheet)->RecordCount(), 0);

    // The rows print with the period they were computed for.
    form->Engine().SetOutput(TReportOutput::Document);
    form->PrintAction(R::TrialBalance)->trigger();
    QString printed = form->Engine().LastDocument().ToPlainText();
    EXPECT_TRUE(printed.contains("01.01.2014. - 31.12.2014.")) << printed.toStdString();
    const TBalanceRow first =
        TBalanceReports(*dm, TChart::New, from, to, {}).SyntheticTrialBalance().first();
    EXPECT_TRUE(printed.contains(first.name)) << first.name.toStdString();
    form->PrintAction(R::OldClosingSheet)->trigger();
    printed = form->Engine().LastDocument().ToPlainText();
    const TBalanceRow oldFirst =
        TBalanceReports(*dm, TChart::Old, from, to, {}).ClosingSheet().first();
    EXPECT_TRUE(printed.contains(oldFirst.name)) << oldFirst.name.toStdString();

    // A period that ends before it starts is refused and the grids keep their rows.
    form->EndDTP->setDate(QDate(2013, 12, 31));
    form->ShowButton->click();
    EXPECT_EQ(ui.LastText(), CheckBalancePeriod(from, QDate(2013, 12, 31)));
    for (const auto& [report, chart] : filled)
        EXPECT_EQ(GridText(form->Grid(report)), shown[report]);
    form->EndDTP->setDate(to);

    // No class ticked: nothing is taken.
    for (QCheckBox* box : form->ClassCB)
        box->setChecked(false);
    form->ShowButton->click();
    for (const auto& [report, chart] : filled)
        EXPECT_EQ(form->Table(report)->RecordCount(), 0)
            << BalanceReportCaption(report).toStdString();
    for (int c = 0; c < 9; ++c)
        form->ClassCB[c]->setChecked(true);

    // The analytic closing sheet stands in for the new reports, which are emptied; the old
    // ones are filled as before.
    form->ShowClosingSheetAnalyticalCB->setChecked(true);
    form->ShowButton->click();
    EXPECT_EQ(
        GridText(form->Grid(R::AnalyticClosingSheet)),
        RowsText(TBalanceReports(*dm, TChart::New, from, to, {}).AnalyticClosingSheet(), true));
    EXPECT_GT(form->Table(R::AnalyticClosingSheet)->RecordCount(), shown[R::ClosingSheet].size());
    for (R r : {R::TrialBalance, R::AnalyticTrialBalance, R::ClosingSheet})
        EXPECT_EQ(form->Table(r)->RecordCount(), 0) << BalanceReportCaption(r).toStdString();
    EXPECT_EQ(GridText(form->Grid(R::OldTrialBalance)), shown[R::OldTrialBalance]);
    // An emptied table prints an empty report.
    form->PrintAction(R::TrialBalance)->trigger();
    ASSERT_EQ(form->Engine().LastDocument().tables.size(), 1);
    EXPECT_TRUE(form->Engine().LastDocument().tables[0].rows.isEmpty());

    // The user stops after the first table: the others hold no numbers of another period.
    form->ShowClosingSheetAnalyticalCB->setChecked(false);
    ui.StopProgressAt(2);
    form->ShowButton->click();
    EXPECT_EQ(GridText(form->Grid(R::TrialBalance)), shown[R::TrialBalance]);
    EXPECT_EQ(form->Table(R::AnalyticTrialBalance)->RecordCount(), 0);
    EXPECT_EQ(form->Table(R::OldClosingSheet)->RecordCount(), 0);
}

TEST_F(BalanceForm, DoubleClickOnAnAccountRowOpensItsCard) {
    const qint64 buyers = NewAccount("2040", "Kupci u zemlji");
    const qint64 buyersAbroad = NewAccount("20401", "Kupci - podgrupa");
    const qint64 bank = NewAccount("2410", "Tekući račun");
    const qint64 oldBuyers = OldAccount("202", "Kupci - stari");
    const qint64 oldBank = OldAccount("241", "Banka - stari");
    const qint64 v = Voucher(QDate(2014, 3, 1));
    Line(v, buyersAbroad, 50, 0, {}, oldBuyers);
    Line(v, buyers, 100, 0, {}, oldBuyers);
    Line(v, bank, 0, 150, {}, oldBank);

    auto form = Open(2014);
    form->StartDTP->setDate(QDate(2014, 1, 1));
    form->EndDTP->setDate(QDate(2014, 12, 31));
    form->show();
    form->ShowButton->click();

    QString openedCode;
    bool openedNew = false;
    int cards = 0;
    SetModalRunner([&](QDialog& dialog) {
        auto& card = dynamic_cast<TAccountDetailForm&>(dialog);
        openedCode = card.Card().AccountCode();
        openedNew = dm->UseNewChart;
        ++cards;
        dialog.reject();
        return 0;
    });
    auto doubleClick = [&](R report, const QString& number) {
        QTableView* grid = form->Grid(report);
        form->PageControl->setCurrentWidget(form->Page(report));
        QApplication::processEvents();
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            if (grid->model()->index(row, 0).data().toString() == number) {
                const QModelIndex cell = grid->model()->index(row, 1);
                grid->scrollTo(cell);
                // A click first, as a user's double click begins.
                const QPoint at = grid->visualRect(cell).center();
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
                return true;
            }
        return false;
    };
    // The account itself, not the first of the codes that begin with its own.
    ASSERT_TRUE(doubleClick(R::AnalyticTrialBalance, "2040"));
    EXPECT_EQ(cards, 1);
    EXPECT_EQ(openedCode, "2040");
    EXPECT_TRUE(openedNew);
    ASSERT_TRUE(doubleClick(R::OldAnalyticTrialBalance, "202"));
    EXPECT_EQ(cards, 2);
    EXPECT_EQ(openedCode, "202");
    EXPECT_FALSE(openedNew);
    EXPECT_FALSE(dm->UseNewChart);
    // A class recapitulation is no account.
    ASSERT_TRUE(doubleClick(R::AnalyticTrialBalance, "2"));
    EXPECT_EQ(cards, 2);
    EXPECT_TRUE(ui.Unexpected().isEmpty());
}

TEST_F(BalanceForm, StatementsFillTheirTabsPrintAndExportTheFilingXml) {
    TDemoOptions options;
    options.year = 2014;
    options.vouchers = 150;
    MakeDemoCompany(Db(), options);
    TDBIniFile(&Db()).WriteBool(kFinancialSection, "AutoCalculateIncomeTax", true);
    const QDate from(2014, 1, 1), to(2014, 12, 31);
    dm->Today = [] { return QDate(2014, 12, 31); };
    auto form = Open(2014);
    form->ShowButton->click();
    EXPECT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();

    TStatementOptions o;
    o.autoCalculateIncomeTax = true;
    o.financialYear = 2014;
    TStatements statements(Db(), from, to, o);
    auto values = [](const TStatementRows& rows) {
        QStringList v;
        for (const TStatementRow& r : rows)
            v << (r.value ? QString::number(*r.value) : QString());
        return v;
    };
    auto column = [&](R report) {
        QStringList v;
        TDataSet& t = *form->Table(report);
        for (t.First(); !t.Eof(); t.Next())
            v << (t.FieldByName("Value").IsNull()
                      ? QString()
                      : QString::number(t.FieldByName("Value").AsInteger()));
        return v;
    };
    EXPECT_EQ(column(R::BalanceSheet), values(statements.BalanceSheet()));
    EXPECT_EQ(column(R::IncomeStatement), values(statements.IncomeStatement()));
    EXPECT_EQ(column(R::OldBalanceSheet), values(statements.OldBalanceSheet()));
    EXPECT_EQ(column(R::OldIncomeStatement), values(statements.OldIncomeStatement()));
    EXPECT_EQ(form->Table(R::CashFlow)->RecordCount(), 47);
    EXPECT_EQ(form->Table(R::StatisticalAnnex)->RecordCount(), 130);
    EXPECT_EQ(form->AnnexMonthsLabel->text(), "Broj meseci poslovanja: 12");
    EXPECT_EQ(form->Grid(R::BalanceSheet)->model()->index(0, 0).data().toString(), "0001");

    form->Engine().SetOutput(TReportOutput::Document);
    form->PrintAction(R::BalanceSheet)->trigger();
    const QString printed = form->Engine().LastDocument().ToPlainText();
    for (const char* expected : {"Bilans stanja", "AKTIVA", "PASIVA", "0071", "01.01.2014"})
        EXPECT_TRUE(printed.contains(QString::fromUtf8(expected))) << expected;

    // "Izvoz": the name the user chose gets the document; a cancel writes nothing.
    QTemporaryDir dir;
    const QString path = dir.filePath("aprBS.xml");
    ui.AnswerText(path);
    form->BalanceSheetExportButton->click();
    QFile xml(path);
    ASSERT_TRUE(xml.open(QIODevice::ReadOnly)) << ui.LastText().toStdString();
    EXPECT_TRUE(xml.readAll().startsWith("<FiForma"));
    ui.CancelNext();
    form->IncomeStatementExportButton->click();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(ui.AllAnswered());

    // Without thousands the same statement is in dinars.
    const qint64 total = form->Table(R::BalanceSheet)->Locate("Index", 71)
                             ? form->Table(R::BalanceSheet)->FieldByName("Value").AsInteger()
                             : -1;
    form->BalanceRound1000CB->setChecked(false);
    form->ShowButton->click();
    ASSERT_TRUE(form->Table(R::BalanceSheet)->Locate("Index", 71));
    const qint64 dinars = form->Table(R::BalanceSheet)->FieldByName("Value").AsInteger();
    EXPECT_NEAR(double(dinars) / 1000, double(total), 100);

    // A period that crosses into another year: the trial balances fill, the statements
    // say why they do not.
    form->EndDTP->setDate(QDate(2015, 1, 31));
    form->ShowButton->click();
    EXPECT_EQ(ui.LastText(), CheckStatementPeriod(from, QDate(2015, 1, 31)));
    EXPECT_EQ(form->Table(R::BalanceSheet)->RecordCount(), 0);
    EXPECT_GT(form->Table(R::TrialBalance)->RecordCount(), 0);
    ui.AnswerText(path);
    form->BalanceSheetExportButton->click();
    EXPECT_FALSE(ui.AllAnswered()) << "nothing to export asks for no file";
}

}  // namespace
}  // namespace fin::test
