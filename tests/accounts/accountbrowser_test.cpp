#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "accounts/accountbrowser.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "ledger/ledgercaptions.h"
#include "tests/console/clirun.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

using AccountBrowser = TReportsTest;

TEST_F(AccountBrowser, SearchesBothChartsWithValuesAndFindsSubaccountsByName) {
    dm->Options().FinancialYear = 2024;
    const qint64 buyers = NewAccount("2040", "Kupci u zemlji", "partner");
    NewAccount("2041", "Kupci - 100% avans");
    NewAccount("204_", "Nije šifra");
    const qint64 o204 = OldAccount("204", "Kupci"), o2040 = OldAccount("2040", "Kupci u zemlji");
    for (const char* name : {"Alfa d.o.o.", "Beta Trade", "Alfa Beta"})
        Db().Execute("INSERT INTO partner (name) VALUES (?)", {QString::fromUtf8(name)});
    const qint64 v = Voucher(QDate(2024, 4, 1));
    Line(v, buyers, 100, 0, 1, o2040);
    Line(v, buyers, 0, 30, 3, o204);

    TAccountBrowser browser(*dm);
    browser.ContoText = "204";
    browser.AccountValuesShow = true;
    browser.Search();
    TQuery& accounts = browser.Accounts();
    // A typed "_" is a character; the rows come ordered by code.
    ASSERT_EQ(accounts.RecordCount(), 3);
    EXPECT_EQ(accounts.FieldByName("code").AsString(), "2040");
    EXPECT_DOUBLE_EQ(accounts.FieldByName("balance").AsFloat(), 70);
    EXPECT_TRUE(accounts.FieldByName("balance").Visible());
    // The values stay in memory.
    EXPECT_FALSE(accounts.UpdatesPending());
    browser.ContoNameText = "%100%";
    browser.Search();
    ASSERT_EQ(accounts.RecordCount(), 1);
    EXPECT_EQ(accounts.FieldByName("code").AsString(), "2041");

    // The old chart sums every longer code into a short one.
    browser.SwitchChart(false);
    browser.ContoNameText.clear();
    browser.ContoText = "20";
    browser.Search();
    ASSERT_EQ(browser.Accounts().RecordCount(), 2);
    EXPECT_DOUBLE_EQ(browser.Accounts().FieldByName("balance").AsFloat(), 70);
    browser.SwitchChart(true);

    // Sub-accounts of the first account, found by name.
    browser.ContoText = "2040";
    browser.SubaccountNameText = "beta";
    browser.ShowSubaccountValues = true;
    browser.Search();
    TQuery& subs = browser.Subaccounts();
    ASSERT_TRUE(subs.Active());
    ASSERT_EQ(subs.RecordCount(), 3);
    EXPECT_EQ(subs.FieldByName("name").AsString(), "Beta Trade");
    EXPECT_TRUE(browser.SubaccountNameLocate("%fa b", true));
    EXPECT_EQ(subs.FieldByName("name").AsString(), "Alfa Beta");
    EXPECT_FALSE(browser.SubaccountNameLocate("fa b", true));
    EXPECT_TRUE(browser.SubaccountNameLocate("al%ignored", true));
    EXPECT_EQ(subs.FieldByName("name").AsString(), "Alfa d.o.o.");
    EXPECT_FALSE(browser.SubaccountNameLocate("gama", true));
    subs.Locate("Code", 3);
    EXPECT_DOUBLE_EQ(subs.FieldByName("credit").AsFloat(), 30);
    subs.Locate("Code", 2);
    EXPECT_DOUBLE_EQ(subs.FieldByName("debit").AsFloat(), 0);

    // F3 walks the matches, then starts over with a warning.
    browser.SubaccountNameText = "%beta";
    subs.First();
    ASSERT_TRUE(browser.SubaccountNameLocate("%beta", true));
    EXPECT_TRUE(browser.SearchNext());
    EXPECT_EQ(subs.FieldByName("name").AsString(), "Alfa Beta");
    EXPECT_FALSE(browser.SearchNext());
    EXPECT_EQ(ui.LastText(), res::SUBACC_NAME_LOC_NEXT_WRN);
    EXPECT_EQ(subs.RecNo(), 1);

    browser.SubaccountNameText.clear();
    browser.SubaccountText = "dva";
    browser.Search();
    EXPECT_EQ(ui.LastText(), res::SUBACC_CODE_WRN);
    browser.SubaccountText.clear();
    browser.SubaccountNameText = "zeta";
    browser.Search();
    EXPECT_EQ(ui.LastText(), res::SUBACC_NAME_LOC_WRN);
}

TEST_F(AccountBrowser, LooksAccountsAndSubaccountsUpByCode) {
    NewAccount("2040", "Kupci", "partner");
    NewAccount("4350", "Dobavljači");
    NewAccount("4350", "Dobavljači - dvaput");
    const qint64 evil = NewAccount("5550", "Loš tip", "partner` WHERE 1=1 --");
    Db().Execute("INSERT INTO partner (partnerid, name) VALUES (7, 'Sedma')");

    TAccountDesc d;
    d.CodeNew = "2040";
    ASSERT_TRUE(TAccountBrowser::GetAccountByCode(Db(), d, true));
    EXPECT_EQ(d.Name, "Kupci");
    EXPECT_EQ(d.AccountType, "partner");
    TAccountDesc twice;
    twice.CodeNew = "4350";
    twice.Name = "ostaje";
    EXPECT_FALSE(TAccountBrowser::GetAccountByCode(Db(), twice, true));
    EXPECT_EQ(twice.Name, "ostaje");

    d.SubaccountCode = "7";
    EXPECT_TRUE(TAccountBrowser::GetSubAccountByCode(*dm, d, true));
    d.SubaccountCode = "8";
    EXPECT_FALSE(TAccountBrowser::GetSubAccountByCode(*dm, d, true));
    d.SubaccountCode = "sedam";
    EXPECT_FALSE(TAccountBrowser::GetSubAccountByCode(*dm, d, true));
    TAccountDesc bad;
    bad.AccountNewID = static_cast<qint32>(evil);
    bad.SubaccountCode = "7";
    EXPECT_FALSE(TAccountBrowser::GetSubAccountByCode(*dm, bad, true));
}

TEST_F(AccountBrowser, CommandLineCardAndChart) {
    qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
    TDBIniFile(&Db()).WriteString(kFinancialSection, "FinancialYear", "2024");
    const qint64 bank = NewAccount("2410", "Tekući račun");
    Line(Voucher(QDate(2024, 1, 15)), bank, 1000, 0);
    Line(Voucher(QDate(2024, 2, 15)), bank, 0, 250.5);
    Line(Voucher(QDate(2024, 3, 15)), bank, 10, 0, {}, 0, "Kamata; \"mesečna\"");
    TCliRun run;
    const QString& out = run.out;
    const QString& err = run.err;

    ASSERT_EQ(run({"card", "2410", "--from", "2024-02-01", "--format", "json"}), 0)
        << err.toStdString();
    const QJsonObject card = QJsonDocument::fromJson(out.toUtf8()).object();
    const QJsonArray lines = card["lines"].toArray();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0]["description"].toString(), res::FIN_ACC_PREV_SITUATION);
    EXPECT_EQ(lines[0]["preceptdate"].toString(), "2024-02-01");
    EXPECT_TRUE(lines[0]["preceptid"].isNull());
    EXPECT_DOUBLE_EQ(lines[1]["balance"].toDouble(), 749.5);
    EXPECT_DOUBLE_EQ(card["totals"]["balance"].toDouble(), 759.5);

    ASSERT_EQ(run({"card", "2410", "--format", "csv", "--to", "15.2.2024"}), 0);
    const QStringList rows = out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], "preceptdate;number;description;debit;credit;balance");
    EXPECT_EQ(rows[2].section(';', 3), "0.00;250.50;749.50");
    EXPECT_EQ(rows[3].section(';', 2), "Ukupno;1000.00;250.50;749.50");

    ASSERT_EQ(run({"card", "2410"}), 0);
    EXPECT_TRUE(out.contains("Kamata; \"mesečna\"")) << out.toStdString();
    EXPECT_TRUE(out.contains("759,50")) << out.toStdString();

    // Refusals name what is wrong and exit with 1; wrong usage with 2.
    EXPECT_EQ(run({"card", "24a0"}), 1);
    EXPECT_TRUE(err.contains("24a0"));
    EXPECT_EQ(run({"card", "2999"}), 1);
    EXPECT_EQ(run({"card", "2410", "--from", "2023-05-01"}), 1);
    EXPECT_EQ(err.trimmed(), res::OUT_OF_YEAR_WRN);
    EXPECT_EQ(run({"card", "2410", "--to", "2024-02-30"}), 1);
    EXPECT_EQ(run({"card", "2410", "--subaccount", "x"}), 1);
    EXPECT_EQ(run({"card", "2410", "--format", "xml"}), 2);
    EXPECT_EQ(run({"card"}), 2);

    ASSERT_EQ(run({"accounts", "--values", "--format", "json"}), 0);
    const QJsonArray chart = QJsonDocument::fromJson(out.toUtf8()).array();
    ASSERT_EQ(chart.size(), 1);
    EXPECT_DOUBLE_EQ(chart[0]["balance"].toDouble(), 759.5);
    ASSERT_EQ(run({"accounts", "--prefix", "3", "--format", "csv"}), 0);
    EXPECT_EQ(out.trimmed(), "code;name;type");
    EXPECT_EQ(run({"accounts", "--prefix", "2'"}), 1);
}

}  // namespace
}  // namespace fin::test
