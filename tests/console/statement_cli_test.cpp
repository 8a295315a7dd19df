#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "host/data/dbinifile.h"
#include "ledger/financialoptions.h"
#include "reports/trialbalance.h"
#include "tests/console/clirun.h"
#include "tests/host/report/xlsxread.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

// A year on both charts: an opening voucher (the balance sheet's previous column), a sale
// and its cost, and a voucher after the year.
class StatementCli : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
        TDBIniFile(&Db()).WriteString(kFinancialSection, "FinancialYear", "2024");
        const qint64 opening = AddType(kOpeningTypeNumber, "Početno stanje");
        const qint64 cash = NewAccount("2410", "Tekući račun");
        const qint64 equity = NewAccount("3000", "Akcijski kapital");
        const qint64 costs = NewAccount("5010", "Nabavna vrednost robe");
        const qint64 sales = NewAccount("6040", "Prihodi od prodaje robe");
        const qint64 oldCash = OldAccount("2410", "Tekući račun");
        const qint64 oldEquity = OldAccount("3000", "Akcijski kapital");
        const qint64 open = Voucher(QDate(2024, 1, 1), "p", opening);
        Line(open, cash, 10000, 0, {}, oldCash);
        Line(open, equity, 0, 10000, {}, oldEquity);
        const qint64 sale = Voucher(QDate(2024, 3, 1));
        Line(sale, cash, 25500, 0, {}, oldCash);
        Line(sale, sales, 0, 25500);
        const qint64 cost = Voucher(QDate(2024, 3, 2));
        Line(cost, costs, 12000, 0);
        Line(cost, cash, 0, 12000, {}, oldCash);
        Line(Voucher(QDate(2025, 1, 5)), cash, 99000, 0);
    }

    QHash<int, QJsonObject> Json(const QStringList& args) {
        EXPECT_EQ(run(args), 0) << run.err.toStdString();
        QHash<int, QJsonObject> rows;
        for (const QJsonValue& r : QJsonDocument::fromJson(run.out.toUtf8()).array())
            rows.insert(r["Index"].toInt(), r.toObject());
        return rows;
    }

    TCliRun run;
};

TEST_F(StatementCli, EveryStatementInEveryFormatAndTheFilingXml) {
    const QStringList year{"--from", "2024-01-01", "--to", "2024-12-31"};
    auto bs = Json(QStringList{"statement", "balance-sheet", "--json"} + year);
    ASSERT_EQ(bs.size(), 137);
    // Cash of 23 500 is 23.5 thousand, which goes to the even 24.
    EXPECT_EQ(bs[68]["Value"].toInt(), 24) << "23 500 rounds half to even";
    EXPECT_EQ(bs[68]["PrevValue"].toInt(), 10);
    EXPECT_EQ(bs[402]["Value"].toInt(), 10);
    EXPECT_EQ(bs[68]["Description"].toString(), "VII GOTOVINSKI EKVIVALENTI I GOTOVINA");
    for (const char* key :
         {"Index", "Description", "AccountGroup", "Group", "Value", "PrevValue", "PrevStartValue"})
        EXPECT_TRUE(bs[1].contains(QLatin1String(key))) << key;
    EXPECT_EQ(bs[1]["Group"].toString(), "AKTIVA");

    bs = Json(QStringList{"statement", "balance-sheet", "--json", "--thousands", "no"} + year);
    EXPECT_EQ(bs[68]["Value"].toInt(), 23500);

    const auto is = Json(QStringList{"statement", "income-statement", "--format", "json"} + year);
    EXPECT_EQ(is[1019]["Value"].toInt(), 12);
    EXPECT_EQ(is[1030]["Value"].toInt(), 26 - 12);
    EXPECT_TRUE(is[1066]["Value"].isNull());

    const auto old =
        Json(QStringList{"statement", "balance-sheet", "--old-chart", "--json"} + year);
    EXPECT_EQ(old[19]["Value"].toInt(), 24);
    EXPECT_EQ(old[102]["Value"].toInt(), 10);
    EXPECT_EQ(Json(QStringList{"statement", "cash-flow", "--json"}).size(), 47);
    EXPECT_EQ(Json(QStringList{"statement", "annex", "--json"}).size(), 130);

    ASSERT_EQ(run(QStringList{"statement", "income-statement"} + year), 0);
    EXPECT_TRUE(run.out.contains("Bilans uspeha"));
    EXPECT_TRUE(run.out.contains("PRIHODI IZ REDOVNOG POSLOVANJA"));
    ASSERT_EQ(run(QStringList{"statement", "income-statement", "--format", "csv"} + year), 0);
    EXPECT_TRUE(run.out.contains("1003")) << run.out.toStdString();

    QTemporaryDir dir;
    const QString pdf = dir.filePath("bs.pdf"), xlsx = dir.filePath("bu.xlsx");
    // The tool itself prints PDF without a display.
    QProcess tool;
    tool.start(
        CLI_EXECUTABLE,
        QStringList{"statement", "balance-sheet", "--format", "pdf", "--output", pdf} + year);
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected : {"Bilans stanja", "AKTIVA", "PASIVA", "0068", "Iznos"})
        EXPECT_TRUE(printed.contains(QString::fromUtf8(expected))) << expected;
    ASSERT_EQ(
        run(QStringList{"statement", "income-statement", "--format", "xlsx", "--output", xlsx} +
            year),
        0)
        << run.err.toStdString();
    const TXlsxSheet sheet = ReadXlsx(xlsx);
    ASSERT_TRUE(sheet.read);
    bool found = false;
    for (const TXlsxCell& c : sheet.cells)
        found = found || (c.number && c.text == "14");
    EXPECT_TRUE(found) << "1030 as a number cell";

    const QString xml = dir.filePath("aprBS.xml");
    ASSERT_EQ(run(QStringList{"statement", "balance-sheet", "--xml", xml} + year), 0)
        << run.err.toStdString();
    QFile file(xml);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader reader(&file);
    int fields = 0;
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() == QLatin1String("NumerickoPolje"))
            ++fields;
    EXPECT_FALSE(reader.hasError());
    EXPECT_EQ(fields, 137 * 3);

    // Refusals: a clear message, nothing written.
    EXPECT_EQ(run(QStringList{"statement", "balance-sheet", "--xml", dir.path()} + year), 1);
    EXPECT_TRUE(run.err.contains("fascikla")) << run.err.toStdString();
    EXPECT_EQ(run({"statement", "balance-sheet", "--from", "2024-06-01", "--to", "2025-02-01"}), 1);
    EXPECT_TRUE(run.err.contains("godinu")) << run.err.toStdString();
    EXPECT_EQ(run({"statement", "balance-sheet", "--from", "32.13.2024"}), 1);
    EXPECT_EQ(run({"statement", "cash-flow", "--old-chart"}), 2);
    EXPECT_EQ(run({"statement", "cash-flow", "--xml", xml}), 2);
    EXPECT_EQ(run({"statement", "balance-sheet", "--thousands", "možda"}), 2);
    EXPECT_EQ(run({"statement", "bilans"}), 2);
    EXPECT_EQ(run({"statement", "balance-sheet", "--xml", xml, "--json"}), 2);
}

}  // namespace
}  // namespace fin::test
