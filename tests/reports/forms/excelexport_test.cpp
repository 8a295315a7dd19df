#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "host/data/query.h"
#include "reports/accountdetailform.h"
#include "reports/forms/financialbalanceform.h"
#include "tests/host/report/xlsxread.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

using R = TBalanceReport;

// The non-empty texts of a column from a row down, in order.
QStringList Column(const TXlsxSheet& sheet, const QString& column, int from) {
    QStringList texts;
    for (int row = from; row < from + 500; ++row)
        if (const QString t = sheet.At(column + QString::number(row)).text; !t.isEmpty())
            texts << t;
    return texts;
}

// The non-empty system texts of a printed table's column, the totals last.
QStringList Printed(const TReportTable& table, int column) {
    QStringList texts;
    for (const QStringList& row : table.rawRows)
        if (!row.value(column).isEmpty())
            texts << row.value(column);
    if (!table.rawTotals.value(column).isEmpty())
        texts << table.rawTotals.value(column);
    return texts;
}

// A quarter with a partner's sale and its payment on the new chart.
class ExcelExport : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        dm->Options().FinancialYear = 2024;
        dm->Today = [] { return QDate(2024, 3, 31); };
        buyers = NewAccount("2040", "Kupci u zemlji", "partner");
        cash = NewAccount("2410", "Tekući (poslovni) računi u dinarima");
        const qint64 sales = NewAccount("6040", "Prihodi od prodaje robe");
        Db().Execute("INSERT INTO partner (name) VALUES ('Alfa')");
        const qint64 alfa = Db().LastInsertId();
        const qint64 sale = Voucher(QDate(2024, 2, 10));
        Line(sale, buyers, 1234.5, 0, alfa);
        Line(sale, sales, 0, 1234.5);
        const qint64 paid = Voucher(QDate(2024, 2, 20));
        Line(paid, cash, 300, 0, {}, 0, "Uplata kupca Alfa po računu broj 17 iz februara");
        Line(paid, buyers, 0, 300, alfa);
    }

    QString Path(const QString& name) const { return dir.filePath(name); }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files); }

    QTemporaryDir dir;
    qint64 buyers = 0, cash = 0;
};

TEST_F(ExcelExport, BalanceScreenExportsWhatItsPrintWouldPrint) {
    TFinancialBalanceForm form(*dm);
    form.StartDTP->setDate(QDate(2024, 1, 1));
    form.EndDTP->setDate(QDate(2024, 3, 31));
    form.ShowButton->click();
    ASSERT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();

    // The workbook menu offers what the print menu offers.
    QStringList prints, exports;
    for (QAction* a : form.PrintMenu->actions())
        prints << a->text();
    for (QAction* a : form.ExcelMenu->actions())
        exports << a->text();
    EXPECT_EQ(exports, prints);
    EXPECT_EQ(form.ExcelButton->menu(), form.ExcelMenu);

    // A name without the extension gets it; the rows and amounts are the print's.
    ui.AnswerText(Path("bilans"));
    form.ExcelAction(R::AnalyticTrialBalance)->trigger();
    EXPECT_TRUE(ui.AllAnswered());
    EXPECT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();
    ASSERT_EQ(Files(), QStringList{"bilans.xlsx"});
    const TXlsxSheet sheet = ReadXlsx(Path("bilans.xlsx"));
    form.Engine().SetOutput(TReportOutput::Document);
    form.Print(R::AnalyticTrialBalance);
    const TReportDocument& printed = form.Engine().LastDocument();
    ASSERT_EQ(printed.tables.size(), 1);
    EXPECT_EQ(sheet.At("A1").text, printed.title);
    EXPECT_EQ(sheet.At("A2").text, printed.subtitles.value(0));
    EXPECT_EQ(sheet.frozenAt, "A6");
    const QStringList codes = Printed(printed.tables[0], 0);
    ASSERT_GE(codes.size(), 4);
    // Column A holds the section captions too; the codes follow in the print's order.
    QStringList sheetCodes = Column(sheet, "A", 6);
    sheetCodes.removeIf([&](const QString& t) { return printed.tables[0].sections.contains(t); });
    EXPECT_EQ(sheetCodes, codes);
    EXPECT_EQ(Column(sheet, "K", 6), Printed(printed.tables[0], 10));
    const int bank = 6 + static_cast<int>(Column(sheet, "A", 6).indexOf("2410"));
    const TXlsxCell balance = sheet.At(QStringLiteral("K%1").arg(bank));
    EXPECT_TRUE(balance.number);
    EXPECT_EQ(balance.text, "300");
    EXPECT_EQ(balance.format, "#,##0.00");
    EXPECT_GT(sheet.Width(2), QString("Tekući (poslovni) računi u dinarima").size());

    // Cancel writes nothing; a place that cannot be written is told.
    ui.CancelNext();
    form.ExportExcel(R::ClosingSheet);
    EXPECT_EQ(Files(), QStringList{"bilans.xlsx"});
    ui.AnswerText(Path("nema/zakljucni.xlsx"));
    form.ExportExcel(R::ClosingSheet);
    ASSERT_FALSE(ui.Shown().empty());
    EXPECT_EQ(ui.Shown().back().type, TMessageType::Error);
    EXPECT_TRUE(ui.LastText().contains("zakljucni.xlsx")) << ui.LastText().toStdString();
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join(", ").toStdString();
}

TEST_F(ExcelExport, CardScreenExportsItsPrints) {
    TQuery& accounts = dm->AccountNewZQ();
    accounts.SetSQL(
        "SELECT *, (accountnewid + 0.0) AS debit, (accountnewid + 0.0) AS "
        "credit, (accountnewid + 0.0) AS balance FROM accountnew ORDER BY code");
    accounts.Open();
    ASSERT_TRUE(accounts.Locate("code", QStringLiteral("2040")));
    TAccountDetailForm card(*dm);
    TAccountDesc desc;
    desc.AccountNewID = static_cast<qint32>(buyers);
    card.LoadAccount(desc);

    // The menu follows the print buttons: an account's card has no synthetic print.
    card.UpdateExcelMenu();
    EXPECT_TRUE(card.ExportCard->isVisible());
    EXPECT_TRUE(card.ExportAnalytical->isEnabled());
    EXPECT_FALSE(card.ExportSynthetic->isVisible());

    ui.AnswerText(Path("kartica.xlsx"));
    card.ExportCard->trigger();
    EXPECT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();
    const TXlsxSheet sheet = ReadXlsx(Path("kartica.xlsx"));
    ASSERT_TRUE(sheet.read);
    card.Engine().SetOutput(TReportOutput::Document);
    card.AccountPrint->click();
    const TReportDocument& printed = card.Engine().LastDocument();
    EXPECT_EQ(sheet.At("A1").text, printed.title);
    int head = 1;
    while (head < 30 && sheet.At(QStringLiteral("A%1").arg(head)).text != "Datum")
        ++head;
    ASSERT_LT(head, 30);
    EXPECT_EQ(sheet.frozenAt, QStringLiteral("A%1").arg(head + 1));
    const TXlsxCell date = sheet.At(QStringLiteral("A%1").arg(head + 1));
    EXPECT_TRUE(date.number);
    EXPECT_EQ(date.text, QString::number(QDate(1899, 12, 30).daysTo(QDate(2024, 2, 10))));
    EXPECT_EQ(date.format, "dd.mm.yyyy.");
    EXPECT_EQ(Column(sheet, "D", head + 1), Printed(printed.tables[0], 3));
    EXPECT_EQ(Column(sheet, "F", head + 1), Printed(printed.tables[0], 5));
    EXPECT_EQ(sheet.At(QStringLiteral("F%1").arg(head + 3)).text, "934.5");
    EXPECT_TRUE(sheet.At(QStringLiteral("F%1").arg(head + 3)).bold);

    // The sub-accounts' totals, as their print has them.
    ui.AnswerText(Path("analitike.xlsx"));
    card.ExportAnalytical->trigger();
    const TXlsxSheet analytic = ReadXlsx(Path("analitike.xlsx"));
    ASSERT_TRUE(analytic.read) << ui.LastText().toStdString();
    EXPECT_EQ(analytic.At("A1").text, "Analitike konta");
    bool alfa = false;
    for (const TXlsxCell& c : analytic.cells)
        alfa = alfa || c.text == "Alfa";
    EXPECT_TRUE(alfa);
    EXPECT_TRUE(ui.AllAnswered());
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join(", ").toStdString();
}

}  // namespace
}  // namespace fin::test
