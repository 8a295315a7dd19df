#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "console/cli/cli.h"
#include "host/common/captions.h"
#include "tests/ledger/ledgertest.h"

namespace fin::test {
namespace {

using Options = TLedgerTest;

TEST_F(Options, FreshDatabaseGivesTheDefaultsAndStoredValuesWin) {
    const TFinancialOptions& o = dm->Options();
    EXPECT_EQ(o.PreceptNumFmt, "{g}{g}{g}{g}{g}/yy");
    EXPECT_TRUE(o.ChangePreceptItemDescription);
    EXPECT_FALSE(o.UseDocumentDate || o.NotAllowRegisterOnSyntAcc || o.AccountShowValues ||
                 o.AutoPreceptRegisterDateChange || o.StockCardsForRetail);
    EXPECT_EQ(o.FinancialYear, QDate::currentDate().year());
    EXPECT_EQ(dm->AutoToDate, QDate(QDate::currentDate().year(), 12, 31));

    const TOptionsPageValues page = dm->OptionsToControls();
    EXPECT_FALSE(page.closedPeriodOn);
    EXPECT_EQ(page.closedPeriod, kClosedPeriodOff);
    for (const QString& key : OptionCheckKeys())
        EXPECT_EQ(page.checks.value(key), key == "ChangePreceptItemDescription")
            << key.toStdString();
    EXPECT_EQ(page.methodCaptions.value("r"), res::METH_AVR_IN_PRICE_CAPT);
    EXPECT_EQ(page.methodCaptions.value("p"), res::METH_OUT_PRICE_CAPT);

    TDBIniFile ini(&Db());
    ini.WriteString(kFinancialSection, "PreceptNumFmt", "{m}{m}/mm");
    ini.WriteInteger(kFinancialSection, "FinancialYear", 2013);
    ini.WriteBool(kDocumentSection, "StockCardsForRetail", true);
    ini.WriteBool(kFinancialSection, "ChangePreceptItemDescription", false);
    dm->LoadOptions();
    EXPECT_EQ(o.PreceptNumFmt, "{m}{m}/mm");
    EXPECT_EQ(o.FinancialYear, 2013);
    EXPECT_EQ(dm->AutoToDate, QDate(2013, 12, 31));
    EXPECT_TRUE(o.StockCardsForRetail);
    EXPECT_FALSE(o.ChangePreceptItemDescription);
    // A year no calendar can hold does not become the working year.
    ini.WriteString(kFinancialSection, "FinancialYear", "dve hiljade");
    dm->LoadOptions();
    EXPECT_EQ(o.FinancialYear, QDate::currentDate().year());
}

TEST_F(Options, SavingThePageFollowsItsRules) {
    TOptionsPageValues page = dm->OptionsToControls();
    page.financialYear = 2024;
    page.autoToDate = QDate(2025, 3, 15);
    page.closedPeriodOn = true;  // ticked, but the picker left at the off date
    page.closedPeriod = kClosedPeriodOff;
    page.preceptNumFmt = "{d}{d}'/'dd";
    for (const QString& key : OptionCheckKeys())
        page.checks[key] = key != "ChangePreceptItemDescription";
    page.methodCaptions["r"] = res::METH_OUT_PRICE_CAPT;
    ASSERT_TRUE(TFinancialDM::CheckValues(page));
    dm->ControlsToOptions(page);

    EXPECT_EQ(dm->Options().FinancialYear, 2024);
    EXPECT_EQ(dm->AutoToDate, QDate(2024, 12, 31));
    TDBIniFile ini(&Db());
    EXPECT_FALSE(ini.ValueExists(kFinancialSection, "FinancialYear"));  // memory only
    EXPECT_EQ(ini.ReadString(kFinancialSection, "UnregisterClosedPeriod", ""), "2001-01-01");
    EXPECT_EQ(ini.ReadString(kFinancialSection, "r", ""), "O");
    EXPECT_EQ(ini.ReadString(kFinancialSection, "m", ""), "I");
    EXPECT_TRUE(dm->Options().UseDocumentDate);
    EXPECT_TRUE(dm->Options().AccountShowValues);
    EXPECT_FALSE(dm->Options().ChangePreceptItemDescription);
    // Keys read at load only stay as they were until then.
    EXPECT_FALSE(dm->Options().TransitionToNewChartOfAccounts);

    const TOptionsPageValues again = dm->OptionsToControls();
    EXPECT_FALSE(again.closedPeriodOn);
    EXPECT_EQ(again.preceptNumFmt, "{d}{d}'/'dd");
    EXPECT_EQ(again.checks, page.checks);
    EXPECT_EQ(again.methodCaptions, page.methodCaptions);

    page.closedPeriod = QDate(2024, 6, 30);
    page.autoToDate = QDate(2024, 5, 31);
    dm->ControlsToOptions(page);
    EXPECT_EQ(dm->AutoToDate, QDate(2024, 5, 31));
    EXPECT_TRUE(dm->OptionsToControls().closedPeriodOn);
    EXPECT_EQ(dm->OptionsToControls().closedPeriod, QDate(2024, 6, 30));
    page.closedPeriodOn = false;  // unticked: off whatever the picker shows
    dm->ControlsToOptions(page);
    EXPECT_FALSE(dm->OptionsToControls().closedPeriodOn);

    page.methodCaptions["u"] = QString();
    EXPECT_FALSE(TFinancialDM::CheckValues(page));
    page.methodCaptions["u"] = "Nepostojeći metod";
    EXPECT_FALSE(TFinancialDM::CheckValues(page));
}

TEST_F(Options, ResettingTheBatchLockTouchesOnlyItsSection) {
    TDBIniFile ini(&Db());
    ini.WriteString(kAutoConterSection, "Running", "1");
    ini.WriteString(kAutoConterSection, "User", "ana");
    ini.WriteString(kFinancialSection, "PreceptNumFmt", "{g}");
    ini.WriteString("AutoConterX", "Keep", "1");
    dm->ResetAutoConter();
    EXPECT_TRUE(ini.ReadSection(kAutoConterSection).isEmpty());
    EXPECT_EQ(ini.ReadString(kFinancialSection, "PreceptNumFmt", ""), "{g}");
    EXPECT_EQ(ini.ReadString("AutoConterX", "Keep", ""), "1");
}

TEST(OptionValues, TypedValuesAreCheckedAgainstTheirKey) {
    const auto check = [](const char* key, const char* value) {
        QString error;
        const TOptionKey* k = FindOptionKey(kFinancialSection, QString::fromLatin1(key));
        EXPECT_NE(k, nullptr) << key;
        const auto v = NormalizeOptionValue(*k, QString::fromUtf8(value), &error);
        return v ? *v : QStringLiteral("!") + error;
    };
    EXPECT_EQ(check("AccountShowValues", "da"), "1");
    EXPECT_EQ(check("AccountShowValues", "0"), "0");
    EXPECT_TRUE(check("AccountShowValues", "možda").startsWith('!'));
    EXPECT_EQ(check("FinancialYear", " 2024 "), "2024");
    EXPECT_TRUE(check("FinancialYear", "24.5").startsWith('!'));
    EXPECT_TRUE(check("FinancialYear", "20245").startsWith('!'));
    EXPECT_EQ(check("UnregisterClosedPeriod", "30.6.2024."), "2024-06-30");
    EXPECT_TRUE(check("UnregisterClosedPeriod", "31.2.2024").startsWith('!'));
    EXPECT_EQ(check("r", "Prodajna cena"), "O");
    EXPECT_EQ(check("r", "i"), "I");
    EXPECT_TRUE(check("u", "I").startsWith('!'));  // services have no purchase price
    EXPECT_EQ(check("PreceptNumFmt", "'x' {g}"), "'x' {g}");
}

TEST_F(Options, CommandLineListsAndStoresOptions) {
    qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
    QString out, err;
    QTextStream o(&out), e(&err);
    ASSERT_EQ(RunCli({"options", "--json"}, o, e), 0) << err.toStdString();
    o.flush();
    const QJsonArray rows = QJsonDocument::fromJson(out.toUtf8()).array();
    QStringList keys;
    for (const auto& r : rows)
        keys << r.toObject().value("key").toString();
    EXPECT_TRUE(keys.contains("PreceptNumFmt"));
    EXPECT_TRUE(keys.contains("UnregisterClosedPeriod"));
    EXPECT_TRUE(keys.contains("k"));
    EXPECT_EQ(rows.size(), 25);

    EXPECT_EQ(RunCli({"options", "FinancialYear", "2023"}, o, e), 0);
    EXPECT_EQ(RunCli({"options", "PreceptNumFmt", "{g}{g}'-x'"}, o, e), 0);
    EXPECT_EQ(RunCli({"options", "FinancialYear", "sledeća"}, o, e), 1);
    EXPECT_EQ(RunCli({"options", "Nepostojeca", "1"}, o, e), 1);
    EXPECT_EQ(RunCli({"options", "FinancialYear"}, o, e), 2);
    dm->LoadOptions();
    EXPECT_EQ(dm->Options().FinancialYear, 2023);
    EXPECT_EQ(dm->Options().PreceptNumFmt, "{g}{g}'-x'");
    out.clear();
    ASSERT_EQ(RunCli({"options"}, o, e), 0);
    o.flush();
    EXPECT_TRUE(out.contains("FinancialYear")) << out.toStdString();
}

}  // namespace
}  // namespace fin::test
