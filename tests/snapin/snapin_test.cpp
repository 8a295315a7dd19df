#include <gtest/gtest.h>

#include <QAction>
#include <QPointer>
#include <QTextStream>

#include "console/cli/cli.h"
#include "host/common/captions.h"
#include "host/data/dbinifile.h"
#include "host/ui/uiservice.h"
#include "journal/financialviewerform.h"
#include "ledger/financialdm.h"
#include "posting/autoconter.h"
#include "posting/customconter.h"
#include "posting/postingpackage.h"
#include "snapin/financialpackage.h"
#include "snapin/financialsnapin.h"
#include "tests/host/testdatabase.h"

namespace fin::test {
namespace {

class TTestSecurity : public ISecurity {
public:
    explicit TTestSecurity(TConnection* c) : connection(c) {}
    TConnection* GetConnection() override { return connection; }
    void Login() override { ++logins; }
    bool GetCurrentUser(TUserDescription&) override { return false; }
    bool GetUser(qint64, TUserDescription&) override { return false; }
    TConnection* connection;
    int logins = 0;
};

class TTestConsole : public IConsole {
public:
    IInterfacePtr QueryModule(const QUuid& identity) override {
        return identity == iid::Security ? security : nullptr;
    }
    void ShowControl(QWidget* control) override { shown = control; }
    std::shared_ptr<TTestSecurity> security;
    QWidget* shown = nullptr;
};

class SnapinTest : public TDatabaseTest {
protected:
    void SetUp() override {
        TDatabaseTest::SetUp();
        for (const char* ddl :
             {"CREATE TABLE precepttype (precepttypeid INT AUTO_INCREMENT PRIMARY KEY, "
              "name VARCHAR(50), number VARCHAR(15))",
              "CREATE TABLE precept (preceptid BIGINT AUTO_INCREMENT PRIMARY KEY, "
              "preceptdate DATE, registerdate DATE, number VARCHAR(30), status CHAR(1), "
              "foreignid BIGINT, foreigntable VARCHAR(20), precepttypeid INT, "
              "description VARCHAR(255), parentid BIGINT, userid BIGINT)",
              "CREATE TABLE preceptitem (preceptitemid BIGINT AUTO_INCREMENT PRIMARY KEY, "
              "preceptid BIGINT, sort INT, description VARCHAR(100), debit DOUBLE, "
              "credit DOUBLE, accountid BIGINT, accountnewid BIGINT, foreignid BIGINT)",
              "CREATE TABLE account (accountid BIGINT AUTO_INCREMENT PRIMARY KEY, "
              "code VARCHAR(9), name VARCHAR(150), type VARCHAR(255), note VARCHAR(255))",
              "CREATE TABLE accountnew (accountnewid BIGINT AUTO_INCREMENT PRIMARY KEY, "
              "code VARCHAR(9), name VARCHAR(255), type VARCHAR(255), note VARCHAR(255))"})
            Db().ExecuteDirect(ddl);
        TDBIniFile::CreateTable(Db());
        dm = std::make_unique<TFinancialDM>();
        SetFinancialDM(dm.get());
        console = std::make_shared<TTestConsole>();
        console->security = std::make_shared<TTestSecurity>(&Db());
        SetUi(&ui);
    }
    void TearDown() override {
        SetUi(nullptr);
        snapin.reset();
        factory.Release();
        SetFinancialDM(nullptr);
        dm.reset();
        TDatabaseTest::TearDown();
    }
    std::shared_ptr<TFinancialSnapin> Snapin() {
        if (!snapin)
            snapin = std::static_pointer_cast<TFinancialSnapin>(factory.CreateSnapin(console));
        return snapin;
    }
    qint64 Voucher(const char* date, const char* status, QVariant parent = {},
                   QVariant foreignTable = {}, QVariant foreignId = {}) {
        Db().Execute(
            "INSERT INTO precept (preceptdate, registerdate, number, status, "
            "precepttypeid, parentid, foreigntable, foreignid) VALUES (?,?,?,?,1,?,?,?)",
            {QDate::fromString(date, Qt::ISODate), QDate::fromString(date, Qt::ISODate),
             QString::fromLatin1(date), status, parent, foreignTable, foreignId});
        return Db().LastInsertId();
    }
    void Line(qint64 precept, QVariant oldAccount, QVariant newAccount, double debit, double credit,
              QVariant sub = {}) {
        Db().Execute(
            "INSERT INTO preceptitem (preceptid, debit, credit, accountid, accountnewid, "
            "foreignid) VALUES (?,?,?,?,?,?)",
            {precept, debit, credit, oldAccount, newAccount, sub});
    }

    TScriptedUiService ui;
    std::unique_ptr<TFinancialDM> dm;
    std::shared_ptr<TTestConsole> console;
    TFinancialSnapinFactory factory;
    std::shared_ptr<TFinancialSnapin> snapin;
};

TEST_F(SnapinTest, FactoryGivesOneSnapinWithItsInterfaces) {
    const ISnapinPtr first = factory.CreateSnapin(console);
    auto other = std::make_shared<TTestConsole>();
    const ISnapinPtr second = factory.CreateSnapin(other);
    EXPECT_EQ(first, second);
    EXPECT_EQ(GlobalConsole(), other);  // the latest console is the module's console
    EXPECT_EQ(first->GetName(), "Finansije");
    EXPECT_EQ(first->GetDescription(), "Upravljanje finansijskim knjigovodstvom");
    EXPECT_EQ(first->GetSnapinType(), 1021);
    EXPECT_EQ(first->GetDataSet(), &dm->PreceptZQ());
    EXPECT_FALSE(first->GetImage().isNull());
    EXPECT_TRUE(As<IFinancial>(first->GetInterface(iid::Financial)));
    EXPECT_TRUE(As<IOptionsTab>(first->GetInterface(iid::OptionsTab)));
    EXPECT_TRUE(As<IViewer>(first->GetInterface(iid::Viewer)));
    EXPECT_TRUE(As<INavigable>(first->GetInterface(iid::Navigable)));
    EXPECT_FALSE(first->GetInterface(iid::Bank));
    EXPECT_EQ(As<IOptionsTab>(first->GetInterface(iid::OptionsTab))->GetTabCaption(), "Finansije");

    // Released by everyone, the snap-in is gone; nothing keeps it alive in a cycle.
    std::weak_ptr<ISnapin> watch = first;
    factory.CreateSnapin(console);
    factory.Release();
    EXPECT_FALSE(watch.expired());
    const_cast<ISnapinPtr&>(first).reset();
    const_cast<ISnapinPtr&>(second).reset();
    EXPECT_TRUE(watch.expired());
}

TEST_F(SnapinTest, LoadConnectsOnceAndRetriesWhenTheSecurityModuleIsMissing) {
    auto security = console->security;
    console->security.reset();
    Snapin()->Viewer().Load(nullptr);
    EXPECT_FALSE(dm->Connected());
    EXPECT_EQ(ui.LastText(), res::CMN_NO_MODULE.arg("Bezbednost"));

    TDBIniFile(&Db()).WriteInteger("Financial", "FinancialYear", 2013);
    console->security = security;
    Snapin()->Viewer().Load(nullptr);
    Snapin()->Viewer().Load(nullptr);
    EXPECT_TRUE(dm->Connected());
    EXPECT_EQ(security->logins, 1);
    EXPECT_EQ(dm->Options().FinancialYear, 2013);
    EXPECT_EQ(dm->AutoToDate, QDate(2013, 12, 31));
    // The automats' pickers reach the sibling modules through the console.
    ASSERT_TRUE(dm->ModuleLookup);
    EXPECT_EQ(dm->ModuleLookup(iid::Security), security);
    EXPECT_EQ(dm->ModuleLookup(iid::Documents), nullptr);
    // The new-chart command stays hidden while the transition option is off.
    QAction* newChart = Snapin()->Viewer().Form()->FinancialAccountingNew;
    // The grid imposes no order of its own: the search decides it.
    EXPECT_TRUE(dm->PreceptZQ().IndexFieldNames().isEmpty());
    EXPECT_FALSE(newChart->isEnabled());
    EXPECT_FALSE(newChart->isVisible());

    // Shown, the viewer hands its frame to the console.
    As<IViewer>(Snapin()->GetInterface(iid::Viewer))->Show();
    EXPECT_EQ(console->shown, Snapin()->Viewer().Form());
    As<IViewer>(Snapin()->GetInterface(iid::Viewer))->Hide();
    EXPECT_EQ(console->shown, nullptr);
}

TEST_F(SnapinTest, ExtSaldoFollowsTheChartOfTheFinancialYear) {
    Db().Execute(
        "INSERT INTO account (accountid, code) VALUES (1,'2'),(2,'202'),(3,'2020'),(4,'302')");
    Db().Execute("INSERT INTO accountnew (accountnewid, code) VALUES (1,'2'),(2,'204')");
    const qint64 march = Voucher("2013-03-15", "p");
    Line(march, 2, 1, 100, 0);
    Line(march, 3, 2, 50, 7, 9);
    Line(march, 4, QVariant(), 1000, 0);
    Line(Voucher("2013-03-16", "p"), 2, 2, 5, 0);   // after the date
    Line(Voucher("2012-12-31", "p"), 2, 2, 5, 0);   // the year before
    Line(Voucher("2013-01-01", "n"), 2, 2, 77, 0);  // not registered
    Line(Voucher("2013-01-01", "p"), 1, 1, 1, 2);   // the first day counts
    IFinancial& fin = *As<IFinancial>(Snapin()->GetInterface(iid::Financial));

    TDBIniFile(&Db()).WriteInteger("Financial", "FinancialYear", 2013);
    EXPECT_DOUBLE_EQ(fin.ExtSaldoDFunc("2", 0, QDate(2013, 3, 15)), 151);  // 2, 202, 2020
    EXPECT_DOUBLE_EQ(fin.ExtSaldoPFunc("2", 0, QDate(2013, 3, 15)), 9);
    EXPECT_DOUBLE_EQ(fin.ExtSaldoDFunc("2020", 9, QDate(2013, 3, 15)), 50);
    EXPECT_DOUBLE_EQ(fin.ExtSaldoDFunc("202", 9, QDate(2013, 3, 15)), 0);  // exact with sub
    EXPECT_DOUBLE_EQ(fin.ExtSaldoDFunc("9", 0, QDate(2013, 3, 15)), 0);

    TDBIniFile(&Db()).WriteInteger("Financial", "FinancialYear", 2014);
    dm->LoadOptions();
    EXPECT_DOUBLE_EQ(fin.ExtSaldoDFunc("2", 0, QDate(2013, 3, 15)), 101);  // exactly 2
    EXPECT_DOUBLE_EQ(fin.ExtSaldoPFunc("204", 9, QDate(2013, 3, 15)), 7);
    EXPECT_DOUBLE_EQ(fin.ExtSaldoDFunc("20", 0, QDate(2013, 3, 15)), 0);

    // The command line prints the same two numbers.
    qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(RunCli({"saldo", "2", "0", "15.3.2013."}, o, e), 0) << err.toStdString();
    o.flush();
    EXPECT_EQ(out, "101.00\t2.00\n");
    EXPECT_EQ(RunCli({"saldo", "2", "x", "2013-03-15"}, o, e), 2);
    EXPECT_EQ(RunCli({"saldo", "2", "0", "32.1.2013"}, o, e), 2);
    EXPECT_EQ(RunCli({"saldo", "2"}, o, e), 2);
    EXPECT_EQ(RunCli({"nema", "takve"}, o, e), 2);
    EXPECT_EQ(RunCli({"saldo", "--help"}, o, e), 0);
    EXPECT_EQ(RunCli({"db", "init"}, o, e), 0);
    EXPECT_EQ(RunCli({"db", "init"}, o, e), 0);
    qunsetenv("FINANSIJE_DB_NAME");
}

TEST_F(SnapinTest, OpenPreceptFindsTheVoucherOrItsParent) {
    Db().Execute("INSERT INTO precepttype (precepttypeid, name, number) VALUES (1, 'Nalog', '40')");
    const qint64 parent = Voucher("2024-01-10", "n");
    const qint64 merged = Voucher("2024-01-05", "n", parent, "document", 77);
    const qint64 plain = Voucher("2024-01-06", "n", QVariant(), "bankstatement", 77);
    int opened = 0;
    TFinancialSnapin::PreceptEditorOpener() = [&] { ++opened; };
    IFinancial& fin = *As<IFinancial>(Snapin()->GetInterface(iid::Financial));

    fin.OpenPrecept("document", 77);
    EXPECT_EQ(dm->PreceptZQ().FieldByName("preceptid").AsInteger(), parent);
    fin.OpenPrecept("bankstatement", 77);
    EXPECT_EQ(dm->PreceptZQ().FieldByName("preceptid").AsInteger(), plain);
    fin.OpenPrecept(static_cast<int>(merged));
    EXPECT_EQ(dm->PreceptZQ().FieldByName("preceptid").AsInteger(), merged);
    EXPECT_EQ(dm->PreceptZQ().FieldByName("PreceptType").AsString(), "Nalog");
    EXPECT_EQ(opened, 3);
    fin.OpenPrecept("document' OR '1'='1", 77);  // found literally: no such source
    fin.OpenPrecept(999);
    EXPECT_EQ(opened, 3);
    EXPECT_TRUE(ui.Shown().empty());

    dm->PreceptOpen = true;
    fin.OpenPrecept(static_cast<int>(plain));
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(ui.LastText(), "Ne možete otvoriti nalog jer već postoji otvoren nalog.");
    TFinancialSnapin::PreceptEditorOpener() = nullptr;
}

// The package's objects: the data module, then posting with its automats registered, then
// the factory whose list runs that posting; all taken back, the screens first.
TEST(Package, MakesItsObjectsInOrderAndTakesThemBack) {
    ASSERT_EQ(FinancialDM(), nullptr);
    std::weak_ptr<IAutomatLookup> automat;
    QPointer<TFinancialViewerForm> form;
    {
        TFinancialPackage package;
        TFinancialDM& dm = package.DM();
        EXPECT_EQ(FinancialDM(), &dm);
        EXPECT_EQ(PostingPackage(), &package.Posting());
        EXPECT_FALSE(dm.Connected());
        QStringList modules;
        dm.GetModuleNames(modules);
        // Documents, bank, fixed assets, production, in this order.
        EXPECT_EQ(modules, QStringList({"Dokument", "Banka", "Osnovna sredstva", "Proizvodnja"}));
        EXPECT_EQ(dm.GetTableNameByModuleName("Dokument"), "document");
        EXPECT_EQ(dm.GetTableNameByModuleName("Proizvodnja"), "errand");
        const auto& registered = package.Posting().AutoConter().Automats();
        ASSERT_EQ(registered.size(), 4u);
        EXPECT_EQ(registered[0]->Kind(), 100);
        EXPECT_EQ(registered[1]->Kind(), 50);
        EXPECT_EQ(registered[2]->Kind(), 10);
        EXPECT_EQ(registered[3]->Kind(), 75);
        EXPECT_EQ(registered[0], package.Posting().Automat(100));
        EXPECT_EQ(package.Posting().Automat(5), nullptr);
        EXPECT_TRUE(dm.CheckRuleExpression);
        automat = dm.Automats[0];

        auto console = std::make_shared<TTestConsole>();
        ISnapinPtr snapin = package.Factory()->CreateSnapin(console);
        ASSERT_TRUE(snapin);
        form = static_cast<TFinancialSnapin&>(*snapin).Viewer().Form();
        ASSERT_TRUE(form);
        EXPECT_EQ(form->GetAutoConter(), &package.Posting().AutoConter());
    }
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(automat.expired());
    EXPECT_EQ(PostingPackage(), nullptr);
    EXPECT_EQ(FinancialDM(), nullptr);

    // Posting leaves a data module as it found it.
    TFinancialDM dm;
    {
        TPostingPackage posting(dm);
        EXPECT_EQ(dm.Automats.size(), 4u);
    }
    EXPECT_TRUE(dm.Automats.empty());
    EXPECT_FALSE(dm.CheckRuleExpression);
}

}  // namespace
}  // namespace fin::test
