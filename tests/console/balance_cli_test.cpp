#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "host/common/textformat.h"
#include "host/data/dbinifile.h"
#include "ledger/financialoptions.h"
#include "ledger/ledgercaptions.h"
#include "reports/balanceplan.h"
#include "tests/console/clirun.h"
#include "tests/host/report/xlsxread.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

// A first quarter on both charts: an opening voucher, a sale to a partner, its payment and
// the cost of the goods (on the new chart only), and what lies outside: a voucher not
// registered and one after the quarter.
class BalanceCli : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
        TDBIniFile(&Db()).WriteString(kFinancialSection, "FinancialYear", "2024");
        const qint64 opening = AddType(kOpeningTypeNumber, "Početno stanje");
        const qint64 buyers = NewAccount("2040", "Kupci u zemlji", "partner");
        const qint64 cash = NewAccount("2410", "Tekući račun");
        const qint64 equity = NewAccount("3000", "Akcijski kapital");
        const qint64 costs = NewAccount("5010", "Nabavna vrednost robe");
        const qint64 sales = NewAccount("6040", "Prihodi od prodaje robe");
        const qint64 offBalance = NewAccount("9000", "Vanbilansna aktiva");
        const qint64 oldBuyers = OldAccount("2020", "Kupci u zemlji");
        const qint64 oldCash = OldAccount("2410", "Tekući račun");
        const qint64 oldEquity = OldAccount("3000", "Akcijski kapital");
        const qint64 oldSales = OldAccount("6020", "Prihodi od prodaje robe");
        Db().Execute("INSERT INTO partner (name) VALUES ('Alfa')");
        alfa = Db().LastInsertId();

        const qint64 open = Voucher(QDate(2024, 1, 2), "p", opening);
        Line(open, cash, 1000, 0, {}, oldCash);
        Line(open, equity, 0, 1000, {}, oldEquity);
        const qint64 sale = Voucher(QDate(2024, 2, 10));
        Line(sale, buyers, 1234.5, 0, alfa, oldBuyers);
        Line(sale, sales, 0, 1234.5, {}, oldSales);
        const qint64 paid = Voucher(QDate(2024, 2, 20));
        Line(paid, cash, 300, 0, {}, oldCash);
        Line(paid, buyers, 0, 300, alfa, oldBuyers);
        const qint64 cost = Voucher(QDate(2024, 3, 5));
        Line(cost, costs, 700, 0);
        Line(cost, cash, 0, 700);
        Line(cost, offBalance, 50, 50);
        Line(Voucher(QDate(2024, 3, 6), "n"), buyers, 9999, 0, alfa);
        const qint64 later = Voucher(QDate(2024, 5, 20));
        Line(later, cash, 200, 0, {}, oldCash);
        Line(later, sales, 0, 200, {}, oldSales);
    }

    QJsonArray Json(const QStringList& args) {
        EXPECT_EQ(run(args), 0) << run.err.toStdString();
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
        return doc.array();
    }
    static QStringList Numbers(const QJsonArray& rows) {
        QStringList numbers;
        for (const QJsonValue& r : rows)
            numbers << r["number"].toString();
        return numbers;
    }
    static QJsonObject Row(const QJsonArray& rows, const QString& number) {
        for (const QJsonValue& r : rows)
            if (r["number"].toString() == number)
                return r.toObject();
        return {};
    }

    const QStringList quarter{"--from", "2024-01-01", "--to", "31.3.2024."};
    TCliRun run;
    qint64 alfa = 0;
};

TEST_F(BalanceCli, JsonHasTheFieldsOfEachKindAndTheAmountsOfThePeriod) {
    const QJsonArray synthetic = Json(QStringList{"balance", "--format", "json"} + quarter);
    EXPECT_EQ(Numbers(synthetic),
              QStringList({"204", "241", "300", "501", "604", "2", "3", "5", "6"}));
    const QJsonObject bank = Row(synthetic, "241");
    EXPECT_EQ(bank.keys(),
              QStringList({"groupdescription", "itemid", "name", "number", "startbalance",
                           "startcredit", "startdebit", "totalbalance", "totalcredit", "totaldebit",
                           "yearbalance", "yearcredit", "yeardebit"}));
    EXPECT_EQ(bank["name"].toString(), "Tekući (poslovni) računi");  // the frame's description
    EXPECT_EQ(bank["groupdescription"].toString(), "Sintetička konta");
    EXPECT_EQ(bank["itemid"].toInt(), 2);
    EXPECT_DOUBLE_EQ(bank["startdebit"].toDouble(), 1000);
    EXPECT_DOUBLE_EQ(bank["yeardebit"].toDouble(), 300);
    EXPECT_DOUBLE_EQ(bank["yearcredit"].toDouble(), 700);
    EXPECT_DOUBLE_EQ(bank["yearbalance"].toDouble(), -400);
    EXPECT_DOUBLE_EQ(bank["totalbalance"].toDouble(), 600);
    const QJsonObject class2 = Row(synthetic, "2");
    EXPECT_EQ(class2["name"].toString(), "Klasa 2");
    EXPECT_EQ(class2["groupdescription"].toString(), "Rekapitulacija klasa");
    EXPECT_DOUBLE_EQ(class2["totaldebit"].toDouble(), 2534.5);
    EXPECT_DOUBLE_EQ(class2["totalbalance"].toDouble(), 1534.5);
    EXPECT_TRUE(synthetic[0]["startdebit"].isDouble());

    // Accounts instead of frames; the off-balance class only when asked for.
    const QJsonArray analytic =
        Json(QStringList{"balance", "--kind", "analytic", "--format", "json"} + quarter);
    EXPECT_EQ(Numbers(analytic),
              QStringList({"2040", "2410", "3000", "5010", "6040", "2", "3", "5", "6"}));
    EXPECT_EQ(Json(QStringList{"balance", "--kind", "analytic", "--json"} + quarter), analytic);
    EXPECT_EQ(Row(analytic, "2040")["name"].toString(), "Kupci u zemlji");
    EXPECT_EQ(Row(analytic, "2040")["groupdescription"].toString(), "Analitička konta");
    EXPECT_DOUBLE_EQ(Row(analytic, "2040")["totalbalance"].toDouble(), 934.5);
    EXPECT_EQ(
        Numbers(Json(
            QStringList{"balance", "--kind", "analytic", "--format", "json", "--classes", "all"} +
            quarter)),
        QStringList({"2040", "2410", "3000", "5010", "6040", "9000", "2", "3", "5", "6", "9"}));
    EXPECT_EQ(
        Numbers(Json(QStringList{"balance", "--format", "json", "--classes", "5,6"} + quarter)),
        QStringList({"501", "604", "5", "6"}));

    // The closing sheet: detail first, the balance on its side, the classes and the total.
    const QJsonArray closing =
        Json(QStringList{"balance", "--kind", "closing", "--format", "json"} + quarter);
    EXPECT_EQ(Numbers(closing), QStringList({"204", "20", "241", "24", "2", "300", "30", "3", "501",
                                             "50", "5", "604", "60", "6", "2", "3", "5", "6", ""}));
    EXPECT_EQ(closing[0].toObject().keys(),
              QStringList({"groupdescription", "itemid", "name", "number", "startcredit",
                           "startdebit", "totalbalancecredit", "totalbalancedebit", "totalcredit",
                           "totaldebit", "yearcredit", "yeardebit"}));
    const QJsonObject total = closing.last().toObject();
    EXPECT_EQ(total["name"].toString(), "UKUPNO");
    EXPECT_DOUBLE_EQ(total["startdebit"].toDouble(), 1000);
    EXPECT_DOUBLE_EQ(total["totaldebit"].toDouble(), 3234.5);
    EXPECT_DOUBLE_EQ(total["totalbalancedebit"].toDouble(), 2234.5);
    EXPECT_DOUBLE_EQ(total["totalbalancecredit"].toDouble(), 2234.5);
    EXPECT_DOUBLE_EQ(Row(closing, "300")["totalbalancecredit"].toDouble(), 1000);
    EXPECT_DOUBLE_EQ(Row(closing, "300")["totalbalancedebit"].toDouble(), 0);

    // The partner under its account, the account under its frame.
    const QJsonArray detailed = Json(
        QStringList{"balance", "--kind", "closing-analytic", "--format", "json", "--classes", "2"} +
        quarter);
    const QString partner = QStringLiteral("2040-%1").arg(alfa);
    EXPECT_EQ(Numbers(detailed),
              QStringList({partner, "2040", "204", "20", "2410", "241", "24", "2", "2", ""}));
    EXPECT_EQ(Row(detailed, partner)["name"].toString(), "Alfa");
    EXPECT_DOUBLE_EQ(Row(detailed, partner)["totalbalancedebit"].toDouble(), 934.5);

    // The old chart: the sale and the payment have old accounts, the cost has none.
    const QJsonArray old =
        Json(QStringList{"balance", "--old-chart", "--format", "json"} + quarter);
    EXPECT_EQ(Numbers(old), QStringList({"202", "241", "300", "602", "2", "3", "6"}));
    EXPECT_EQ(Row(old, "202")["name"].toString(), "Kupci u zemlji");
    EXPECT_DOUBLE_EQ(Row(old, "241")["totalbalance"].toDouble(), 1300);
}

TEST_F(BalanceCli, TextAndCsvAreThePrintsRows) {
    ASSERT_EQ(run(QStringList{"balance"} + quarter), 0) << run.err.toStdString();
    const QStringList text = run.out.split('\n');
    EXPECT_EQ(text.value(0), "Bruto bilans");
    EXPECT_EQ(text.value(1), "Period: 01.01.2024. - 31.03.2024.");
    EXPECT_TRUE(text.value(3).contains("Početno stanje")) << run.out.toStdString();
    EXPECT_TRUE(text.value(4).startsWith("Konto Ime")) << run.out.toStdString();
    EXPECT_TRUE(text.value(4).endsWith("Saldo"));
    EXPECT_EQ(text.value(5), "Sintetička konta");
    const QString bank = text.value(7);
    EXPECT_TRUE(bank.startsWith("241   Tekući (poslovni) računi")) << bank.toStdString();
    EXPECT_EQ(bank.split(' ', Qt::SkipEmptyParts).mid(4),
              QStringList({"1.000,00", "0,00", "1.000,00", "300,00", "700,00", "-400,00",
                           "1.300,00", "700,00", "600,00"}));
    EXPECT_EQ(bank.size(), text.value(4).size());
    EXPECT_EQ(text.value(11), "Rekapitulacija klasa");
    EXPECT_TRUE(text.value(12).startsWith("2     Klasa 2"));
    EXPECT_TRUE(text.value(12).endsWith("1.534,50"));

    // The default period: the screen's, in the financial year.
    ASSERT_EQ(run({"balance", "--kind", "closing"}), 0) << run.err.toStdString();
    const auto [from, to] = BalancePeriod(2024, QDate::currentDate());
    EXPECT_TRUE(run.out.startsWith(
        QStringLiteral("Zaključni list\nPeriod: %1 - %2\n").arg(DateToText(from), DateToText(to))))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Klasa 2\n")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(" UKUPNO ")) << run.out.toStdString();

    // CSV: the full column titles and system numbers, on standard output or into a file.
    ASSERT_EQ(run(QStringList{"balance", "--format", "csv"} + quarter), 0);
    const QStringList csv = run.out.split("\r\n");
    EXPECT_EQ(csv.value(0),
              "Konto;Ime;Poč. stanje duguje;Poč. stanje potražuje;Poč. stanje saldo;Promet "
              "duguje;Promet potražuje;Promet saldo;Ukupno duguje;Ukupno potražuje;Ukupno saldo");
    EXPECT_EQ(csv.value(2), "241;Tekući (poslovni) računi;1000;0;1000;300;700;-400;1300;700;600");
    EXPECT_EQ(csv.value(6), "2;Klasa 2;1000;0;1000;1534.5;1000;534.5;2534.5;1000;1534.5");
    EXPECT_EQ(csv.size(), 11);  // nine rows, the titles and the end of the last line
    const QString printed = run.out;
    QTemporaryDir dir;
    const QString path = dir.filePath("bilans.csv");
    ASSERT_EQ(run(QStringList{"balance", "--format", "csv", "--output", path} + quarter), 0);
    EXPECT_EQ(run.out, "Izveštaj je sačuvan u " + path + "\n");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), printed);
}

TEST_F(BalanceCli, XlsxAndPdfAreFilesOfThePrint) {
    QTemporaryDir dir;
    const QString path = dir.filePath("zakljucni.xlsx");
    ASSERT_EQ(
        run(QStringList{"balance", "--kind", "closing", "--format", "xlsx", "--output", path} +
            quarter),
        0)
        << run.err.toStdString();
    const TXlsxSheet sheet = ReadXlsx(path);
    ASSERT_TRUE(sheet.read);
    EXPECT_EQ(sheet.At("A1").text, "Zaključni list");
    EXPECT_EQ(sheet.At("A2").text, "Period: 01.01.2024. - 31.03.2024.");
    EXPECT_EQ(sheet.merged, QStringList({"A4:A5", "B4:B5", "C4:D4", "E4:F4", "G4:H4", "I4:J4"}));
    EXPECT_EQ(sheet.At("I4").text, "Saldo");
    EXPECT_EQ(sheet.frozenAt, "A6");
    EXPECT_EQ(sheet.At("A6").text, "Klasa 2");
    EXPECT_EQ(sheet.At("A7").text, "204");
    EXPECT_EQ(sheet.At("I7").text, "934.5");
    EXPECT_EQ(sheet.At("I7").format, "#,##0.00");
    EXPECT_FALSE(sheet.At("I7").bold);
    EXPECT_TRUE(sheet.At("B11").bold);  // the class frame "2" sums its groups
    // Each class under its caption, then the recapitulation of the four and the total.
    EXPECT_EQ(sheet.At("A24").text, "Rekapitulacija klasa");
    EXPECT_EQ(sheet.At("B29").text, "UKUPNO");
    EXPECT_TRUE(sheet.At("B29").bold);
    EXPECT_EQ(sheet.At("I29").text, "2234.5");
    EXPECT_TRUE(sheet.At("I29").number);
    EXPECT_EQ(sheet.orientation, "landscape");

    // Without --output the file is named after the report and its period, in the current
    // folder.
    const QString here = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const int rc = run(
        QStringList{"balance", "--kind", "analytic", "--old-chart", "--format", "xlsx"} + quarter);
    QDir::setCurrent(here);
    ASSERT_EQ(rc, 0) << run.err.toStdString();
    const QString named = dir.filePath("bruto-bilans-analiticki-stari_2024-01-01_2024-03-31.xlsx");
    EXPECT_EQ(run.out, "Izveštaj je sačuvan u " + named + "\n");
    EXPECT_EQ(ReadXlsx(named).At("A1").text, "Bruto bilans (analitički) - stari");

    // The tool itself prints PDF without a display.
    QProcess tool;
    const QString pdf = dir.filePath("bilans.pdf");
    tool.start(CLI_EXECUTABLE, QStringList{"balance", "--kind", "closing-analytic", "--format",
                                           "pdf", "--output", pdf} +
                                   quarter);
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString& expected :
         {QString("Zaključni list (analitički)"), QString("Početno stanje"), QString("Alfa"),
          QStringLiteral("2040-%1").arg(alfa), QString("Rekapitulacija klasa"), QString("UKUPNO"),
          QString("2.234,50")})
        EXPECT_TRUE(printed.contains(expected)) << expected.toStdString() << '\n'
                                                << printed.toStdString();
}

TEST_F(BalanceCli, WrongInputIsRefusedWithAReason) {
    struct TCase {
        QStringList args;
        int rc;
        QString message;  // a part of what standard error says
    };
    const TCase cases[] = {
        {{"--kind", "closing-analytic", "--old-chart"}, 2, "samo za novi kontni plan"},
        {{"--kind", "bilans"}, 2, "Nepoznata vrsta izveštaja: bilans"},
        {{"--classes", "x"}, 2, "Neispravan spisak klasa: \"x\""},
        {{"--classes", "3-1"}, 2, "Neispravan spisak klasa: \"3-1\""},
        {{"--format", "xml"}, 2, "Nepoznat format: xml"},
        {{"--json", "--format", "csv"}, 2, "--json"},
        {{"--output", "bilans.txt"}, 2, "--output"},
        {{"--format", "json", "--output", "bilans.json"}, 2, "--output"},
        {{"2024"}, 2, "Nepoznat argument: 2024"},
        {{"--from"}, 2, "Opciji --from nedostaje vrednost."},
        {{"--from", "2024-02-30"}, 1, res::CARD_DATE_ERR.arg("2024-02-30")},
        {{"--from", "2024-03-01", "--to", "2024-02-01"},
         1,
         CheckBalancePeriod(QDate(2024, 3, 1), QDate(2024, 2, 1))},
        {{"--from", "1899-12-31", "--to", "2024-02-01"},
         1,
         CheckBalancePeriod(QDate(1899, 12, 31), QDate(2024, 2, 1))},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(run(QStringList{"balance"} + c.args), c.rc) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.message))
            << c.args.join(' ').toStdString() << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << c.args.join(' ').toStdString();
    }
    EXPECT_FALSE(CheckBalancePeriod(QDate(1899, 12, 31), QDate(2024, 2, 1)).isEmpty());

    ASSERT_EQ(run({"balance", "--help"}), 0);
    EXPECT_TRUE(run.out.contains("closing-analytic")) << run.out.toStdString();
}

}  // namespace
}  // namespace fin::test
