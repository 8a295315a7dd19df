#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "console/demo/demo.h"
#include "journal/ledgercheck.h"
#include "ledger/financialoptions.h"
#include "tests/console/clirun.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

class CheckCli : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
        TDemoOptions options;
        options.vouchers = 100;
        MakeDemoCompany(Db(), options);
    }
    void TearDown() override {
        qunsetenv("FINANSIJE_DB_NAME");
        TReportsTest::TearDown();
    }
    TCliRun cli;
};

TEST_F(CheckCli, CleanDemoPlantedFaultAndBadYear) {
    ASSERT_EQ(cli({"check"}), 0) << cli.out.toStdString() << cli.err.toStdString();
    EXPECT_EQ(cli.out, "Knjige su u redu: nijedna greška nije nađena.\n");

    // A registered voucher of the demo year whose line was changed by hand.
    const qint64 voucher =
        Db().SelectValue(
                "SELECT MIN(p.preceptid) FROM precept AS p INNER JOIN preceptitem AS i "
                "ON i.preceptid = p.preceptid WHERE p.status = 'p' AND "
                "YEAR(p.preceptdate) = 2024 AND i.debit > 1")
            .toLongLong();
    ASSERT_GT(voucher, 0);
    Db().Execute(
        "UPDATE preceptitem SET debit = debit + 1 WHERE preceptid = ? AND debit > 1 "
        "ORDER BY preceptitemid LIMIT 1",
        {voucher});

    ASSERT_EQ(cli({"check", "--json"}), 1) << cli.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(cli.out.toUtf8()).object();
    EXPECT_EQ(o["clean"].toBool(), false);
    EXPECT_EQ(o["count"].toInt(), 1);
    const QJsonObject kinds = o["kinds"].toObject();
    EXPECT_EQ(kinds.size(), CheckKinds().size());
    for (const TCheckKindInfo& info : CheckKinds()) {
        const QJsonObject kind = kinds[info.key].toObject();
        EXPECT_EQ(kind["caption"].toString(), info.caption);
        const bool unbalanced = info.kind == TCheckKind::Unbalanced;
        EXPECT_EQ(kind["count"].toInt(), unbalanced ? 1 : 0) << info.key.toStdString();
        EXPECT_EQ(kind["ids"].toArray(), unbalanced ? QJsonArray{voucher} : QJsonArray{})
            << info.key.toStdString();
    }

    // For people: a block with the caption and the count, then the voucher.
    EXPECT_EQ(cli({"check", "--year", "2024"}), 1);
    const QStringList lines = cli.out.split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "Nalozi kojima se duguje i potražuje ne slažu: 1");
    EXPECT_TRUE(lines[2].startsWith(QString::number(voucher) + '\t')) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].contains(QRegularExpression("\t\\d\\d\\.\\d\\d\\.2024\\.\t")))
        << lines[2].toStdString();  // dates as people write them

    // Another year does not see it.
    EXPECT_EQ(cli({"check", "--year", "2023"}), 0);

    // Closing the period from the command line records when.
    EXPECT_EQ(cli({"options", "UnregisterClosedPeriod", "2024-01-31"}), 0) << cli.err.toStdString();
    EXPECT_EQ(ReadClosedPeriod(Db()).date, QDate(2024, 1, 31));
    EXPECT_TRUE(ReadClosedPeriod(Db()).since.isValid());

    // A year that is none is refused as wrong usage.
    for (const char* year : {"dvadeset", "20240", "0"}) {
        EXPECT_EQ(cli({"check", "--year", year}), 2) << year;
        EXPECT_TRUE(cli.err.startsWith("Neispravna godina")) << cli.err.toStdString();
        EXPECT_TRUE(cli.out.isEmpty());
    }
}

}  // namespace
}  // namespace fin::test
