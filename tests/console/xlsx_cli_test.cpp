#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "host/data/dbinifile.h"
#include "ledger/financialoptions.h"
#include "tests/console/clirun.h"
#include "tests/host/report/xlsxread.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

// The serial number a spreadsheet keeps for a day.
QString Serial(const QDate& date) {
    return QString::number(QDate(1899, 12, 30).daysTo(date));
}

// The first row from the top whose cell in the column holds the text; 0 when none does.
int RowOf(const TXlsxSheet& sheet, const QString& column, const QString& text) {
    for (int row = 1; row < 500; ++row)
        if (sheet.At(column + QString::number(row)).text == text)
            return row;
    return 0;
}

QString Cell(const QString& column, int row) {
    return column + QString::number(row);
}

const QString kLongText = QStringLiteral("Uplata kupca po avansnom računu za robu iz februara");

// A quarter of a small company: an opening voucher, a sale to a partner and its payment,
// and a voucher not registered.
class XlsxCli : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
        TDBIniFile(&Db()).WriteString(kFinancialSection, "FinancialYear", "2024");
        const qint64 buyers = NewAccount("2040", "Kupci u zemlji", "partner");
        const qint64 cash = NewAccount("2410", "Tekući (poslovni) računi u dinarima");
        const qint64 equity = NewAccount("3000", "Akcijski kapital");
        const qint64 sales = NewAccount("6040", "Prihodi od prodaje robe");
        Db().Execute("INSERT INTO partner (name) VALUES ('Alfa')");
        const qint64 alfa = Db().LastInsertId();
        const qint64 open = Voucher(QDate(2024, 1, 2));
        Line(open, cash, 1000, 0);
        Line(open, equity, 0, 1000);
        const qint64 sale = Voucher(QDate(2024, 2, 10));
        Line(sale, buyers, 1234.5, 0, alfa);
        Line(sale, sales, 0, 1234.5);
        const qint64 paid = Voucher(QDate(2024, 2, 20));
        Line(paid, cash, 300, 0, {}, 0, kLongText);
        Line(paid, buyers, 0, 300, alfa);
        Db().Execute("UPDATE precept SET description = ? WHERE preceptid = ?", {kLongText, paid});
        Line(Voucher(QDate(2024, 3, 6), "n"), buyers, 9999, 0, alfa);
    }

    TXlsxSheet Written(const QStringList& args) {
        const QString path = dir.filePath("izvoz.xlsx");
        QFile::remove(path);
        EXPECT_EQ(run(args + QStringList{"--format", "xlsx", "--output", path}), 0)
            << args.join(' ').toStdString() << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.endsWith(" sačuvan u " + path + "\n") ||
                    run.out.endsWith(" sačuvana u " + path + "\n"))
            << run.out.toStdString();
        return ReadXlsx(path);
    }

    QTemporaryDir dir;
    TCliRun run;
};

TEST_F(XlsxCli, VoucherListCardAndChartAreWorkbooksOfTheirRows) {
    // The voucher list, through the tool itself: the search's conditions under the title,
    // dates as dates, the status in words.
    const QString listPath = dir.filePath("nalozi.xlsx");
    QProcess tool;
    tool.start(CLI_EXECUTABLE, {"voucher", "list", "--from", "2024-01-01", "--to", "31.3.2024.",
                                "--status", "p", "--format", "xlsx", "--output", listPath});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const TXlsxSheet list = ReadXlsx(listPath);
    ASSERT_TRUE(list.read);
    EXPECT_EQ(list.At("A1").text, "Nalozi za knjiženje");
    EXPECT_EQ(list.At("A2").text, "Period: 01.01.2024. - 31.03.2024.");
    EXPECT_EQ(list.At("A3").text, "Status: Proknjižen");
    EXPECT_EQ(list.At("A5").text, "Broj");
    EXPECT_EQ(list.At("D5").text, "Datum knjiženja");
    EXPECT_EQ(list.frozenAt, "A6");
    // Newest first: the payment, the sale, the opening; the unregistered one is left out.
    EXPECT_EQ(list.At("A6").text, "N3");
    EXPECT_FALSE(list.At("A6").number);
    EXPECT_EQ(list.At("B6").text, "Temeljnica");
    EXPECT_TRUE(list.At("C6").number);
    EXPECT_EQ(list.At("C6").text, Serial(QDate(2024, 2, 20)));
    EXPECT_EQ(list.At("C6").format, "dd.mm.yyyy.");
    EXPECT_TRUE(list.At("D8").number);
    EXPECT_EQ(list.At("D8").format, "dd.mm.yyyy.");
    EXPECT_EQ(list.At("E6").text, "Proknjižen");
    EXPECT_EQ(list.At("F6").text, kLongText);
    EXPECT_EQ(list.At("A8").text, "N1");
    EXPECT_TRUE(list.At("A9").text.isEmpty());
    EXPECT_GT(list.Width(6), kLongText.size());  // the description fits
    EXPECT_GE(list.Width(3), 11);                // and so does a date

    // The same list as CSV and as text; --json stays what it was.
    ASSERT_EQ(run({"voucher", "list", "--status", "n", "--format", "csv"}), 0)
        << run.err.toStdString();
    EXPECT_EQ(run.out.split("\r\n").value(0), "Broj;Tip;Datum;Datum knjiženja;Status;Opis");
    EXPECT_TRUE(run.out.split("\r\n").value(1).startsWith("N4;Temeljnica;2024-03-06;2024-03-06;"))
        << run.out.toStdString();
    ASSERT_EQ(run({"voucher", "list", "--status", "n", "--json"}), 0);
    EXPECT_TRUE(run.out.contains("\"number\": \"N4\"")) << run.out.toStdString();

    // The card: the account's record over its lines, the closing balance in the totals.
    const TXlsxSheet card = Written({"card", "2410"});
    ASSERT_TRUE(card.read);
    EXPECT_EQ(card.At("A1").text, "Kartica konta");
    const int head = RowOf(card, "A", "Datum");
    ASSERT_GT(head, 3);
    EXPECT_EQ(card.At(Cell("F", head)).text, "Saldo");
    EXPECT_EQ(card.frozenAt, Cell("A", head + 1));
    const TXlsxCell date = card.At(Cell("A", head + 1)), debit = card.At(Cell("D", head + 1));
    EXPECT_TRUE(date.number);
    EXPECT_EQ(date.text, Serial(QDate(2024, 1, 2)));
    EXPECT_EQ(date.format, "dd.mm.yyyy.");
    EXPECT_TRUE(debit.number);
    EXPECT_EQ(debit.text, "1000");
    EXPECT_EQ(debit.format, "#,##0.00");
    EXPECT_EQ(card.At(Cell("C", head + 2)).text, kLongText);
    EXPECT_EQ(card.At(Cell("A", head + 3)).text, "Ukupno");
    const TXlsxCell balance = card.At(Cell("F", head + 3));
    EXPECT_TRUE(balance.number && balance.bold);
    EXPECT_EQ(balance.text, "1300");
    EXPECT_GT(card.Width(3), kLongText.size());

    // Without --output the file is named after the account.
    const QString here = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const int rc = run({"card", "2410", "--format", "xlsx"});
    QDir::setCurrent(here);
    ASSERT_EQ(rc, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Kartica je sačuvana u " + dir.filePath("kartica-2410.xlsx") + "\n");

    // The chart with its values: codes stay text, the type in words, amounts numbers.
    const TXlsxSheet chart = Written({"accounts", "--values"});
    ASSERT_TRUE(chart.read);
    EXPECT_EQ(chart.At("A1").text, "Kontni plan");
    EXPECT_EQ(chart.At("A2").text, "Promet i saldo proknjiženih naloga 2024. godine");
    EXPECT_EQ(chart.At("A4").text, "Konto");
    EXPECT_EQ(chart.At("F4").text, "Saldo");
    EXPECT_EQ(chart.frozenAt, "A5");
    EXPECT_EQ(chart.At("A5").text, "2040");
    EXPECT_FALSE(chart.At("A5").number);
    EXPECT_EQ(chart.At("C5").text, dm->GetTypeCaption("partner"));
    EXPECT_NE(chart.At("C5").text, "partner");
    const TXlsxCell turnover = chart.At("D5");
    EXPECT_TRUE(turnover.number);
    EXPECT_EQ(turnover.text, "1234.5");
    EXPECT_EQ(turnover.format, "#,##0.00");
    EXPECT_EQ(chart.At("F6").text, "1300");
    EXPECT_GT(chart.Width(2), QString("Tekući (poslovni) računi u dinarima").size());
    // Without the values the chart has three columns.
    const TXlsxSheet plain = Written({"accounts", "--prefix", "24"});
    EXPECT_EQ(plain.At("A2").text, "Konta koja počinju sa 24");
    EXPECT_EQ(plain.At("C4").text, "Tip");
    EXPECT_TRUE(plain.At("D4").text.isEmpty());
    EXPECT_EQ(plain.At("A5").text, "2410");

    // The chart and the voucher list print as PDF too, through the tool itself.
    for (const QStringList& args :
         {QStringList{"accounts", "--values"}, QStringList{"voucher", "list"}}) {
        const QString pdf = dir.filePath("izvoz.pdf");
        QFile::remove(pdf);
        QProcess printer;
        printer.start(CLI_EXECUTABLE, args + QStringList{"--format", "pdf", "--output", pdf});
        ASSERT_TRUE(printer.waitForFinished(60000));
        EXPECT_EQ(printer.exitCode(), 0) << printer.readAllStandardError().toStdString();
        EXPECT_GT(QFileInfo(pdf).size(), 0) << args.join(' ').toStdString();
    }

    // Wrong usage is refused and writes nothing.
    for (const QStringList& args : {QStringList{"accounts", "--output", "plan.txt"},
                                    QStringList{"accounts", "--format", "xls"},
                                    QStringList{"voucher", "list", "--format", "xml"},
                                    QStringList{"voucher", "list", "--output", "nalozi.txt"},
                                    QStringList{"card", "2410", "--format", "xls"}}) {
        EXPECT_EQ(run(args), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << args.join(' ').toStdString();
    }
    ASSERT_EQ(run({"voucher", "list", "--help"}), 0);
    EXPECT_TRUE(run.out.contains("xlsx")) << run.out.toStdString();
    ASSERT_EQ(run({"accounts", "--help"}), 0);
    EXPECT_TRUE(run.out.contains("xlsx")) << run.out.toStdString();
}

TEST_F(XlsxCli, BalanceStatementAndDayBookAreWorkbooksOfTheirPrints) {
    const QStringList quarter{"--from", "2024-01-01", "--to", "2024-03-31"};

    // A trial balance: two header rows frozen, amounts as numbers, names that fit.
    const TXlsxSheet balance = Written(QStringList{"balance", "--kind", "analytic"} + quarter);
    ASSERT_TRUE(balance.read);
    EXPECT_EQ(balance.frozenAt, "A6");
    const int bank = RowOf(balance, "A", "2410");
    ASSERT_GT(bank, 6);
    const TXlsxCell total = balance.At(Cell("K", bank));
    EXPECT_TRUE(total.number);
    EXPECT_EQ(total.text, "1300");
    EXPECT_EQ(total.format, "#,##0.00");
    EXPECT_GT(balance.Width(2), QString("Tekući (poslovni) računi u dinarima").size());

    // A statement: values and positions as numbers in their own formats.
    const TXlsxSheet statement =
        Written({"statement", "income-statement", "--from", "2024-01-01", "--to", "2024-03-31"});
    ASSERT_TRUE(statement.read);
    bool position = false, value = false;
    for (const TXlsxCell& c : statement.cells) {
        position = position || (c.number && c.format == "0000");
        value = value || (c.number && c.format == "#,##0");
    }
    EXPECT_TRUE(position) << "the positions' numbers";
    EXPECT_TRUE(value) << "the values in thousands";
    EXPECT_FALSE(statement.frozenAt.isEmpty());

    // The day book, written row by row: dates and amounts, the header frozen.
    const TXlsxSheet book = Written(QStringList{"daybook"} + quarter);
    ASSERT_TRUE(book.read);
    EXPECT_EQ(book.At("A4").text, "Datum");
    EXPECT_EQ(book.frozenAt, "A5");
    EXPECT_TRUE(book.At("A5").number);
    EXPECT_EQ(book.At("A5").text, Serial(QDate(2024, 1, 2)));
    EXPECT_EQ(book.At("A5").format, "dd.mm.yyyy.");
    EXPECT_TRUE(book.At("B5").number);
    EXPECT_EQ(book.At("B5").format, "dd.mm.yyyy.");
    EXPECT_TRUE(book.At("G5").number);
    EXPECT_EQ(book.At("G5").format, "#,##0.00");
    const int last = RowOf(book, "A", "Ukupno");
    ASSERT_GT(last, 5);
    EXPECT_EQ(book.At(Cell("G", last)).text, "2534.5");
    EXPECT_TRUE(book.At(Cell("G", last)).bold);
    EXPECT_GT(book.Width(6), TXlsxSheet::kDefaultWidth);
}

}  // namespace
}  // namespace fin::test
