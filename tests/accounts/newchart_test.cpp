#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "accounts/accountscaptions.h"
#include "accounts/newchart.h"
#include "bench/benchutil.h"
#include "console/demo/demo.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "tests/console/clirun.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

class NewChart : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        dm->Options().FinancialYear = 2013;
    }
    qint64 Rule(const QString& conto, const QVariant& contonew = {}) {
        Db().Execute(
            "INSERT INTO financialini (module, entitytype, conto, contonew, debitexp, "
            "creditexp) VALUES ('Dokument', 'R', ?, ?, '0', '0')",
            {conto, contonew});
        return Db().LastInsertId();
    }
    QVariant ContoNew(qint64 rule) {
        return Db().SelectValue("SELECT contonew FROM financialini WHERE financialini = ?", {rule});
    }
    QVariant NewOf(qint64 line) {
        return Db().SelectValue("SELECT accountnewid FROM preceptitem WHERE preceptitemid = ?",
                                {line});
    }
    qint64 Mapped() {
        return Db()
            .SelectValue("SELECT COUNT(*) FROM preceptitem WHERE accountnewid IS NOT NULL")
            .toLongLong();
    }
    static QStringList Listed(TNewChartTransfer& t) {
        QStringList codes;
        TQuery& old = t.OldAccounts();
        for (int rec = 1; rec <= old.RecordCount(); ++rec)
            codes << old.RecordValue(rec, old.FieldByName("code").Index()).toString();
        return codes;
    }
};

TEST_F(NewChart, TheTableIsPairsOfCodesEachOldCodeOnce) {
    const auto pairs = ParseChartPairs("# komentar\n0100=0100\n\n 0116=0122 \n-000=-000\n");
    ASSERT_EQ(pairs.size(), 3);
    EXPECT_EQ(pairs[1].oldCode, "0116");
    EXPECT_EQ(pairs[1].newCode, "0122");
    EXPECT_THROW(ParseChartPairs("0100=0100\n0100=0101\n"), TError);
    try {
        ParseChartPairs("0100=0100\n20200=20400\n");
        ADD_FAILURE();
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::NEW_ACC_TABLE_ERR.arg(2).arg("20200=20400"));
    }
    EXPECT_THROW(ParseChartPairs("0100=010000\n"), TError);

    // The built-in table holds the fixed moves and the correspondences of the charts the
    // demo company keeps; codes longer than four characters have no recommendation.
    const auto& table = RecommendedChartPairs();
    EXPECT_GT(table.size(), 90);
    for (auto [from, to] : {std::pair{"0100", "0100"},
                            {"0202", "02012"},
                            {"0228", "02920"},
                            {"6842", "68421"},
                            {"8913", "89100"},
                            {"-000", "-000"},
                            {"2020", "2040"},
                            {"0270", "0260"},
                            {"4330", "4350"}})
        EXPECT_EQ(RecommendedNewCode(from), to) << from;
    EXPECT_TRUE(RecommendedNewCode("20200").isEmpty());
    EXPECT_TRUE(RecommendedNewCode("202").isEmpty());
}

TEST_F(NewChart, TheListHoldsTheYearsRegisteredLinesWithoutANewAccount) {
    const qint64 buyers = OldAccount("2020", "Kupci u zemlji", "partner");
    const qint64 cash = OldAccount("2430", "Glavna blagajna");
    const qint64 bank = OldAccount("2410", "Tekući račun");
    const qint64 office = OldAccount("5120", "Kancelarijski materijal");
    const qint64 sales = OldAccount("6020", "Prihodi od prodaje robe");
    NewAccount("2040", "Kupci u zemlji", "partner");
    NewAccount("2041", "Kupci - povezana lica", "partner");
    NewAccount("2430", "Glavna blagajna");
    const qint64 newSales = NewAccount("6040", "Prihodi od prodaje robe");
    const qint64 march = Voucher(QDate(2013, 3, 1));
    Line(march, 0, 100.004, 0, 1, buyers);
    Line(march, 0, 0, 40, 2, buyers);
    Line(march, 0, 0, 60.004, {}, cash);
    Line(march, newSales, 0, 1, {}, sales);  // already on the new chart
    Line(Voucher(QDate(2012, 12, 31)), 0, 5, 0, {}, bank);
    Line(Voucher(QDate(2014, 1, 1)), 0, 5, 0, {}, bank);
    Line(Voucher(QDate(2013, 5, 1), "n"), 0, 7, 0, {}, office);  // not registered

    TNewChartTransfer t(*dm);
    t.Open();
    TQuery& old = t.OldAccounts();
    ASSERT_EQ(Listed(t), QStringList({"2020", "2430"}));
    EXPECT_EQ(old.FieldByName("code").AsString(), "2020");
    EXPECT_DOUBLE_EQ(old.FieldByName("balance").AsFloat(), 60);
    EXPECT_EQ(old.FieldByName("type").DisplayText(), dm->GetTypeCaption("partner"));
    EXPECT_EQ(t.NewAccounts().RecordCount(), 4);
    dm->Options().FinancialYear = 2012;
    t.LoadOldAccounts();
    EXPECT_EQ(Listed(t), QStringList({"2410"}));
    dm->Options().FinancialYear = 2013;
    t.LoadOldAccounts();

    // Left: a code must be a number; names as the account browser finds them.
    t.LocateOld("2430", "");
    EXPECT_EQ(t.CurrentOld().code, "2430");
    EXPECT_EQ(t.CurrentOld().id, cash);
    t.LocateOld("24a", "");
    EXPECT_EQ(ui.LastText(), res::ACC_CODE_WRN);
    EXPECT_EQ(t.CurrentOld().code, "2430");
    t.LocateOld("", "kupci");
    EXPECT_EQ(t.CurrentOld().code, "2020");
    t.LocateOld("", "%blag");
    EXPECT_EQ(t.CurrentOld().code, "2430");
    t.LocateOld("", "zemlji");
    EXPECT_EQ(ui.LastText(), res::ACC_NAME_LOC_WRN);
    EXPECT_EQ(old.RecNo(), 1);

    // Right: prefixes of code and name.
    t.SearchNew("204", "");
    EXPECT_EQ(t.NewAccounts().RecordCount(), 2);
    t.SearchNew("204", "Kupci u");
    ASSERT_EQ(t.NewAccounts().RecordCount(), 1);
    EXPECT_EQ(t.CurrentNew().type, "partner");
    t.SearchNew("", "");
    EXPECT_EQ(t.NewAccounts().RecordCount(), 4);
    EXPECT_EQ(t.CurrentNew().code, "2040");
}

TEST_F(NewChart, OneAccountMovesItsYearAndRewritesEveryRuleOfItsCode) {
    const qint64 buyers = OldAccount("2020", "Kupci u zemlji", "partner");
    const qint64 related = OldAccount("2021", "Kupci - povezana lica", "partner");
    const qint64 cash = OldAccount("2430", "Glavna blagajna");
    const qint64 newBuyers = NewAccount("2040", "Kupci u zemlji", "partner");
    NewAccount("2430", "Glavna blagajna");
    const qint64 march = Voucher(QDate(2013, 3, 1));
    const qint64 a = Line(march, 0, 100, 0, 1, buyers);
    const qint64 b = Line(march, 0, 0, 100, {}, cash);
    const qint64 c = Line(Voucher(QDate(2013, 4, 1)), 0, 20, 0, 2, buyers);
    const qint64 earlier = Line(Voucher(QDate(2012, 6, 1)), 0, 1, 0, 1, buyers);
    const qint64 draft = Line(Voucher(QDate(2013, 6, 1), "n"), 0, 1, 0, 1, buyers);
    const qint64 other = Line(march, 0, 3, 0, 3, related);
    const qint64 empty = Rule("2020"), byHand = Rule("2020", "2049"), cashRule = Rule("2430");

    TNewChartTransfer t(*dm);
    t.Open();
    // Different sub-account kinds: a clear refusal, and nothing moves.
    t.LocateOld("2430", "");
    t.SearchNew("2040", "");
    EXPECT_FALSE(t.Transfer(t.CurrentOld(), t.CurrentNew()));
    EXPECT_EQ(ui.LastText(), res::NEW_ACC_TYPE_WRN.arg("2430", res::NEW_ACC_NO_TYPE_CAPTION, "2040",
                                                       dm->GetTypeCaption("partner")));
    EXPECT_EQ(Mapped(), 0);
    EXPECT_TRUE(ContoNew(cashRule).isNull());
    EXPECT_EQ(Listed(t).size(), 3);

    // The year's registered lines move; every rule of the code names the new account.
    t.LocateOld("2020", "");
    TChartTransferResult r;
    ASSERT_TRUE(t.Transfer(t.CurrentOld(), t.CurrentNew(), &r));
    EXPECT_EQ(r.lines, 2);
    EXPECT_EQ(r.rules, 2);
    EXPECT_EQ(r.accounts, 1);
    for (qint64 line : {a, c})
        EXPECT_EQ(NewOf(line).toLongLong(), newBuyers);
    for (qint64 line : {b, earlier, draft, other})
        EXPECT_TRUE(NewOf(line).isNull()) << line;
    EXPECT_EQ(ContoNew(empty).toString(), "2040");
    EXPECT_EQ(ContoNew(byHand).toString(), "2040");
    EXPECT_TRUE(ContoNew(cashRule).isNull());
    EXPECT_EQ(Listed(t), QStringList({"2021", "2430"}));
    EXPECT_EQ(t.OldAccounts().RecNo(), 1);

    // A second old account into the same new one.
    t.LocateOld("2021", "");
    ASSERT_TRUE(t.Transfer(t.CurrentOld(), t.CurrentNew(), &r));
    EXPECT_EQ(NewOf(other).toLongLong(), newBuyers);
    EXPECT_EQ(
        Db().SelectValue("SELECT COUNT(*) FROM preceptitem WHERE accountnewid = ?", {newBuyers})
            .toInt(),
        3);
    EXPECT_EQ(Listed(t), QStringList({"2430"}));

    // Lines whose old account is gone are listed without a code; they move, and a rule
    // without an account keeps what it has.
    const qint64 orphan = Line(march, 0, 4, 0, {}, 99999);
    const qint64 blankRule = Rule("");
    t.LoadOldAccounts();
    ASSERT_EQ(Listed(t), QStringList({"", "2430"}));
    t.SearchNew("2430", "");
    ASSERT_TRUE(t.Transfer(t.CurrentOld(), t.CurrentNew(), &r));
    EXPECT_EQ(r.lines, 1);
    EXPECT_EQ(r.rules, 0);
    EXPECT_FALSE(NewOf(orphan).isNull());
    EXPECT_TRUE(ContoNew(blankRule).isNull());
}

TEST_F(NewChart, TheRecommendedTransferKeepsRulesMappedByHandAndLeavesWhatItCannotMove) {
    const qint64 buyers = OldAccount("2020", "Kupci u zemlji", "partner");
    const qint64 disputed = OldAccount("20200", "Kupci - sporna potraživanja", "partner");
    const qint64 cash = OldAccount("2430", "Glavna blagajna");
    const qint64 obsolete = OldAccount("0116", "Stari konto");
    const qint64 stock = OldAccount("1010", "Materijal", "warehouse");
    const qint64 newBuyers = NewAccount("2040", "Kupci u zemlji", "partner");
    const qint64 newCash = NewAccount("2430", "Glavna blagajna");
    NewAccount("1010", "Materijal");
    const qint64 v = Voucher(QDate(2013, 2, 1));
    const qint64 a = Line(v, 0, 10, 0, 1, buyers);
    const qint64 b = Line(v, 0, 0, 10, {}, cash);
    const qint64 later = Line(Voucher(QDate(2014, 2, 1)), 0, 10, 0, 1, buyers);
    for (qint64 account : {disputed, obsolete, stock})
        Line(v, 0, 1, 0, {}, account);
    const qint64 empty = Rule("2020"), byHand = Rule("2020", "20401"), blank = Rule("2430", "");
    const qint64 longCode = Rule("20200"), missing = Rule("0116"), unknown = Rule("9999");

    TNewChartTransfer t(*dm);
    t.Open();
    t.SearchNew("1010", "");  // a searched list does not hide the recommended accounts
    const TChartTransferResult r = t.TransferRecommended();
    EXPECT_EQ(r.accounts, 2);
    EXPECT_EQ(r.lines, 2);
    EXPECT_EQ(NewOf(a).toLongLong(), newBuyers);
    EXPECT_EQ(NewOf(b).toLongLong(), newCash);
    EXPECT_TRUE(NewOf(later).isNull());
    EXPECT_EQ(r.noRecommendation, QStringList({"20200"}));
    EXPECT_EQ(r.noNewAccount, QStringList({"0116=0122"}));
    EXPECT_EQ(r.typeMismatch, QStringList({"1010=1010"}));
    EXPECT_EQ(Listed(t), QStringList({"0116", "1010", "20200"}));
    // Rules by the whole table, only where no new account is named yet.
    EXPECT_EQ(ContoNew(empty).toString(), "2040");
    EXPECT_EQ(ContoNew(byHand).toString(), "20401");
    EXPECT_EQ(ContoNew(blank).toString(), "2430");
    EXPECT_EQ(ContoNew(missing).toString(), "0122");
    EXPECT_TRUE(ContoNew(longCode).isNull());
    EXPECT_TRUE(ContoNew(unknown).isNull());
    EXPECT_EQ(r.rules, 3);

    // Two old accounts recommended to one new account both move into it.
    const qint64 north = OldAccount("2031", "Kupci - sever", "partner");
    const qint64 south = OldAccount("2032", "Kupci - jug", "partner");
    const qint64 abroad = NewAccount("2050", "Kupci u inostranstvu", "partner");
    const qint64 n = Line(v, 0, 5, 0, 1, north), s = Line(v, 0, 6, 0, 2, south);
    t.LoadOldAccounts();
    const TChartTransferResult twoToOne =
        t.TransferRecommended({{"2031", "2050"}, {"2032", "2050"}});
    EXPECT_EQ(twoToOne.accounts, 2);
    EXPECT_EQ(NewOf(n).toLongLong(), abroad);
    EXPECT_EQ(NewOf(s).toLongLong(), abroad);
}

TEST_F(NewChart, ATransferThatFailsHalfwayLeavesNothingMoved) {
    const qint64 buyers = OldAccount("2020", "Kupci u zemlji", "partner");
    const qint64 cash = OldAccount("2430", "Glavna blagajna");
    NewAccount("2040", "Kupci u zemlji", "partner");
    NewAccount("2430", "Glavna blagajna");
    const qint64 v = Voucher(QDate(2013, 2, 1));
    Line(v, 0, 10, 0, 1, buyers);
    Line(v, 0, 5, 0, 2, buyers, "Zaključano");
    Line(v, 0, 0, 15, {}, cash);
    const qint64 rule = Rule("2020"), cashRule = Rule("2430");
    // The rules are rewritten first, then a line refuses its new account.
    Db().ExecuteDirect(
        "CREATE TRIGGER newchart_locked BEFORE UPDATE ON preceptitem FOR EACH ROW BEGIN IF "
        "OLD.description = 'Zaključano' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = "
        "'Stavka je zaključana'; END IF; END");

    TNewChartTransfer t(*dm);
    t.Open();
    t.SearchNew("2040", "");
    EXPECT_THROW(t.Transfer(t.CurrentOld(), t.CurrentNew()), TError);
    EXPECT_TRUE(ContoNew(rule).isNull());
    EXPECT_EQ(Mapped(), 0);
    EXPECT_THROW(t.TransferRecommended(), TError);
    EXPECT_EQ(Mapped(), 0);

    // Now the lines move first and the rules refuse.
    Db().ExecuteDirect("DROP TRIGGER newchart_locked");
    Db().ExecuteDirect(
        "CREATE TRIGGER newchart_rules BEFORE UPDATE ON financialini FOR EACH ROW SIGNAL "
        "SQLSTATE '45000' SET MESSAGE_TEXT = 'Pravila su zaključana'");
    EXPECT_THROW(t.TransferRecommended(), TError);
    EXPECT_EQ(Mapped(), 0);
    EXPECT_TRUE(ContoNew(cashRule).isNull());
    Db().ExecuteDirect("DROP TRIGGER newchart_rules");
    EXPECT_EQ(t.TransferRecommended().lines, 3);
    EXPECT_EQ(Db().TransactionDepth(), 0);
}

// The demo company of a year before the new chart: its charts correspond account by
// account, so every account with a four-character code moves, in a few statements.
TEST_F(NewChart, TheDemoLedgerMovesByRecommendationInAFewStatements) {
    TDemoOptions options;
    options.year = 2013;
    options.vouchers = 120;
    MakeDemoCompany(Db(), options);
    dm->LoadOptions();
    ASSERT_EQ(dm->Options().FinancialYear, 2013);
    TNewChartTransfer t(*dm);
    t.LoadOldAccounts();
    ASSERT_GT(t.OldAccounts().RecordCount(), 20);

    const qint64 before = Questions(Db());
    const TChartTransferResult r = t.TransferRecommended();
    const qint64 statements = Questions(Db()) - before - 1;
    EXPECT_GT(r.accounts, 20);
    EXPECT_GT(r.lines, 100);
    EXPECT_LE(statements, r.accounts);
    EXPECT_LE(statements, 10) << "a constant number, whatever the number of accounts";
    EXPECT_TRUE(r.noNewAccount.isEmpty()) << r.noNewAccount.join(' ').toStdString();
    EXPECT_TRUE(r.typeMismatch.isEmpty()) << r.typeMismatch.join(' ').toStdString();
    for (const QString& code : Listed(t))
        EXPECT_NE(code.size(), 4) << code.toStdString();
    // Each moved line is on its account's counterpart: the demo names both alike.
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM preceptitem AS pi JOIN account AS a ON "
                               "a.accountid = pi.accountid JOIN accountnew AS an ON "
                               "an.accountnewid = pi.accountnewid WHERE a.name <> LEFT(an.name, "
                               "150) OR a.type <> an.type")
                  .toInt(),
              0);
    EXPECT_GT(Db().SelectValue("SELECT COUNT(*) FROM preceptitem AS pi JOIN account AS a ON "
                               "a.accountid = pi.accountid JOIN accountnew AS an ON "
                               "an.accountnewid = pi.accountnewid WHERE a.code = '2020' AND "
                               "an.code = '2040'")
                  .toInt(),
              0);
}

TEST_F(NewChart, CommandLine) {
    qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
    TDBIniFile(&Db()).WriteString(kFinancialSection, "FinancialYear", "2013");
    const qint64 buyers = OldAccount("2020", "Kupci u zemlji", "partner");
    const qint64 disputed = OldAccount("20200", "Kupci - sporna potraživanja", "partner");
    const qint64 cash = OldAccount("2430", "Glavna blagajna");
    NewAccount("2040", "Kupci u zemlji", "partner");
    NewAccount("2430", "Glavna blagajna");
    const qint64 v = Voucher(QDate(2013, 2, 1));
    Line(v, 0, 10, 0, 1, buyers);
    Line(v, 0, 2.5, 0, 2, disputed);
    Line(v, 0, 0, 12.5, {}, cash);
    const qint64 rule = Rule("20200");
    TCliRun run;

    ASSERT_EQ(run({"chart", "unmapped", "--json"}), 0) << run.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(run.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0]["code"].toString(), "2020");
    EXPECT_EQ(rows[0]["recommended"].toString(), "2040");
    EXPECT_EQ(rows[0]["type"].toString(), "partner");
    EXPECT_EQ(rows[1]["code"].toString(), "20200");
    EXPECT_EQ(rows[1]["recommended"].toString(), "");
    EXPECT_DOUBLE_EQ(rows[2]["balance"].toDouble(), -12.5);
    ASSERT_EQ(run({"chart", "unmapped"}), 0);
    EXPECT_TRUE(run.out.startsWith("Konto")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("-12,50")) << run.out.toStdString();

    EXPECT_EQ(run({"chart", "transfer", "2430", "2040"}), 1);
    EXPECT_EQ(run.err.trimmed(), res::NEW_ACC_TYPE_WRN.arg("2430", res::NEW_ACC_NO_TYPE_CAPTION,
                                                           "2040", dm->GetTypeCaption("partner")));
    EXPECT_EQ(run({"chart", "transfer", "9999", "2040"}), 1);
    EXPECT_TRUE(run.err.contains("9999"));
    EXPECT_EQ(run({"chart", "transfer", "2430"}), 2);
    EXPECT_EQ(run({"chart", "transfer", "--recommended", "2430"}), 2);
    EXPECT_EQ(run({"chart", "transfer", "--all"}), 2);
    EXPECT_EQ(run({"chart", "unmapped", "2020"}), 2);

    ASSERT_EQ(run({"chart", "transfer", "20200", "2040"}), 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("stavki 1, pravila kontiranja 1")) << run.out.toStdString();
    EXPECT_EQ(ContoNew(rule).toString(), "2040");
    ASSERT_EQ(run({"chart", "transfer", "--recommended"}), 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("konta 2, stavki 2")) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("Bez preporuke")) << run.out.toStdString();
    ASSERT_EQ(run({"chart", "unmapped", "--json"}), 0);
    EXPECT_TRUE(QJsonDocument::fromJson(run.out.toUtf8()).array().isEmpty());
}

}  // namespace
}  // namespace fin::test
