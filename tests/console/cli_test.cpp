#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "host/data/dbinifile.h"
#include "journal/closingcaptions.h"
#include "tests/console/clirun.h"
#include "tests/host/testdatabase.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

TEST(CliProgress, RewritesOneLineOnATerminalAndWritesTenthsOtherwise) {
    QString out, err;
    QTextStream o(&out), e(&err);
    {
        TCliContext terminal{o, e, true};
        TCliProgress progress(terminal, QStringLiteral("Nalozi"));
        progress.Step(250, 300);
        progress.Step(300, 300, QStringLiteral("R 12"));
    }
    e.flush();
    EXPECT_EQ(err, "\rNalozi: 250 od 300\x1b[K\rNalozi: 300 od 300 (R 12)\x1b[K\n");

    err.clear();
    {
        TCliContext plain{o, e, false};
        TCliProgress progress(plain, QStringLiteral("Nalozi"));
        for (int done = 1; done <= 1000; ++done)
            progress.Step(done, 1000);
    }
    e.flush();
    const QStringList lines = err.split('\n');
    ASSERT_EQ(lines.size(), 11) << err.toStdString();  // ten tenths and the empty rest
    EXPECT_EQ(lines[0], "Nalozi: 100 od 1000");
    EXPECT_EQ(lines[9], "Nalozi: 1000 od 1000");
    EXPECT_TRUE(lines[10].isEmpty());
    EXPECT_FALSE(err.contains('\r'));
}

class Cli : public TDatabaseTest {};

TEST_F(Cli, DemoReportsProgressInLinesAndTextOutputHasHeaders) {
    qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
    TCliRun run;
    ASSERT_EQ(run({"db", "demo", "--vouchers", "600"}), 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith("Nalozi: 600 od 600\n")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains('\r'));
    EXPECT_TRUE(run.out.contains("za 2024. godinu")) << run.out.toStdString();

    ASSERT_EQ(run({"accounts", "--prefix", "241"}), 0);
    EXPECT_TRUE(run.out.startsWith("Konto ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.section('\n', 1, 1).startsWith("241 ")) << run.out.toStdString();
    ASSERT_EQ(run({"voucher", "list", "--number", "00001"}), 0);
    EXPECT_TRUE(run.out.startsWith("     Id  Broj")) << run.out.toStdString();
    ASSERT_EQ(run({"voucher", "show", "1"}), 0);
    EXPECT_TRUE(run.out.contains("R.b.  Konto")) << run.out.toStdString();
}

// The editor's copy, the card's transfer and the new account type, on the demo company.
TEST_F(Cli, CopyTransferAndAccountTypeDoWhatTheirScreensDo) {
    qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
    TCliRun run;
    ASSERT_EQ(run({"db", "demo"}), 0) << run.err.toStdString();
    auto lines = [&](const QString& where, const QVariantList& params) {
        return Db()
            .SelectValue(QStringLiteral("SELECT COUNT(*) FROM preceptitem AS pi JOIN precept AS "
                                        "p ON p.preceptid = pi.preceptid WHERE ") +
                             where,
                         params)
            .toInt();
    };

    // The copy: every line, unregistered, no source document.
    ASSERT_EQ(run({"voucher", "copy", "5", "--json"}), 0) << run.err.toStdString();
    const qint64 copy = QJsonDocument::fromJson(run.out.toUtf8())["preceptid"].toInteger();
    EXPECT_GT(copy, 300);
    EXPECT_EQ(lines("p.preceptid = ?", {copy}), lines("p.preceptid = 5", {}));
    EXPECT_EQ(Db().SelectValue("SELECT CONCAT(status, COALESCE(foreignid, '-')) FROM precept "
                               "WHERE preceptid = ?",
                               {copy})
                  .toString(),
              "n-");
    EXPECT_EQ(run({"voucher", "copy", "999999"}), 1);
    EXPECT_EQ(run.err, "Nalog 999999 ne postoji.\n");

    // The transfer refuses what the card and its pick list refuse, and moves nothing then.
    const QString partner3 = QStringLiteral(
        "p.status = 'p' AND pi.accountnewid = (SELECT accountnewid FROM "
        "accountnew WHERE code = '2040') AND pi.foreignid = ?");
    const int moving = lines(partner3, {3});
    ASSERT_GT(moving, 0);
    EXPECT_EQ(run({"card", "transfer", "2040:3"}), 2);
    EXPECT_EQ(run({"card", "transfer", "2040:x", "--target", "2040:4"}), 1);
    EXPECT_EQ(run.err, "Kod analitike mora biti broj.\n");
    EXPECT_EQ(run({"card", "transfer", "2040:3", "--target", "2040:99999"}), 1);
    EXPECT_EQ(run.err, "Konto 2040 nema analitiku 99999.\n");
    EXPECT_EQ(run({"card", "transfer", "2040:3", "--target", "2040:4", "--from", "2023-01-01"}), 1);
    EXPECT_TRUE(run.err.contains("van odabrane finansijske godine")) << run.err.toStdString();
    EXPECT_EQ(lines(partner3, {3}), moving);
    const int before4 = lines(partner3, {4});
    ASSERT_EQ(run({"card", "transfer", "2040:3", "--target", "2040:4"}), 0)
        << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Prenetih stavki: %1.").arg(moving)))
        << run.out.toStdString();
    EXPECT_EQ(lines(partner3, {3}), 0);
    EXPECT_EQ(lines(partner3, {4}), before4 + moving);

    // A user account type gets a table of its own, once.
    ASSERT_EQ(run({"subaccount-type", "add", "Projekti"}), 0) << run.err.toStdString();
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM information_schema.TABLES WHERE "
                               "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'subaccount_Projekti'")
                  .toInt(),
              1);
    EXPECT_EQ(run({"subaccount-type", "add", "projekti"}), 1);
    EXPECT_EQ(run.err, "Ovaj tip konta već postoji.\n");
    EXPECT_EQ(run({"subaccount-type", "add", "a-b"}), 1);
}

// The closing and opening commands on a small year 2024.
class CloseCli : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
        TDBIniFile(&Db()).WriteInteger("Financial", "FinancialYear", 2024);
        for (const char* code : {"5990", "7000", "7100", "7300"}) {
            OldAccount(code, code);
            NewAccount(code, code);
        }
        goods = NewAccount("5010", "Roba");
        bank = NewAccount("2410", "Tekući račun");
    }
    QJsonDocument Json() {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
        return doc;
    }

    TCliRun run;
    qint64 goods = 0, bank = 0;
};

TEST_F(CloseCli, ClosingAndOpeningTellWhatTheyWrote) {
    EXPECT_EQ(run({"close", "class", "8"}), 2);
    EXPECT_EQ(run({"close", "class"}), 2);
    EXPECT_EQ(run({"close", "year", "5"}), 2);
    EXPECT_EQ(run({"close", "all", "--date", "2024-12-31"}), 2);
    ASSERT_EQ(run({"close", "class", "--help"}), 0);
    EXPECT_TRUE(run.out.contains("7100")) << run.out.toStdString();

    // Nothing registered yet: the message, and nothing written.
    EXPECT_EQ(run({"close", "class", "5"}), 1);
    EXPECT_EQ(run.err, res::CLOSE_OPEN_NO_ACC + "\n");
    EXPECT_EQ(Count("precept"), 0);

    const qint64 v = Voucher(QDate(2024, 3, 1));
    Line(v, goods, 100, 0);
    Line(v, bank, 0, 100);
    ASSERT_EQ(run({"close", "class", "5", "--date", "30.12.2024", "--json"}), 0)
        << run.err.toStdString();
    const QJsonObject five = Json().object();
    EXPECT_EQ(five["outcome"].toString(), "written");
    EXPECT_EQ(five["description"].toString(), "Zatvaranje klase \"5\"");
    EXPECT_EQ(five["preceptdate"].toString(), "2024-12-30");
    const qint64 id = five["preceptid"].toInteger();
    QJsonArray stored;
    for (const auto& row :
         Db().Select("SELECT preceptitemid FROM preceptitem WHERE preceptid = ? ORDER BY sort",
                     {id})
             .rows)
        stored.append(row[0].toLongLong());
    EXPECT_EQ(five["items"].toArray(), stored);
    EXPECT_EQ(stored.size(), 4);  // the expense, the contra line and two transfers
    EXPECT_EQ(
        Db().SelectValue("SELECT precepttypeid FROM precept WHERE preceptid = ?", {id}).toInt(),
        27);

    ASSERT_EQ(run({"close", "year"}), 0) << run.err.toStdString();
    const QStringList rows = run.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(rows[0].trimmed().startsWith("Id  Broj")) << rows[0].toStdString();
    EXPECT_TRUE(rows[1].contains("2024-12-31")) << rows[1].toStdString();
    EXPECT_TRUE(rows[1].endsWith("Zatvaranje godine")) << rows[1].toStdString();

    // Everything in order; the steps with nothing to close say so and do not stop the rest.
    ASSERT_EQ(run({"close", "all", "--json"}), 0) << run.err.toStdString();
    const QJsonArray all = Json().array();
    ASSERT_EQ(all.size(), 5);
    QStringList outcomes;
    for (const auto& r : all)
        outcomes << r.toObject()["outcome"].toString();
    EXPECT_EQ(outcomes, QStringList({"written", "noaccounts", "noaccounts", "written", "written"}));
    EXPECT_EQ(all[4].toObject()["preceptdate"].toString(), "2025-01-01");
    EXPECT_TRUE(run.err.contains("Zatvaranje klase \"6\": " + res::CLOSE_OPEN_NO_ACC))
        << run.err.toStdString();
    // The year was closed on the same day before and that voucher still waits; class 5's
    // first voucher has another date.
    EXPECT_EQ(run.err.count(" već postoji i nije proknjižen"), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Zatvaranje godine: nalog sa datumom 31.12.2024. već postoji"))
        << run.err.toStdString();
    EXPECT_EQ(Count("precept"), 6);

    EXPECT_EQ(run({"open", "year", "--date", "31.2.2025"}), 1);
    EXPECT_EQ(run({"open", "year", "--date", "31.12.2024"}), 1);
    EXPECT_TRUE(run.err.startsWith("Otvaranje godine: datum 31.12.2024. nije u 2025. godini"))
        << run.err.toStdString();
    EXPECT_EQ(run({"close", "class", "5", "--date", "2025-01-01"}), 1);
    EXPECT_EQ(Count("precept"), 6);
}

}  // namespace
}  // namespace fin::test
