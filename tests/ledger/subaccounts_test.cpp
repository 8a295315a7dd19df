#include "ledger/subaccounts.h"
#include "host/common/captions.h"
#include "host/data/relationalintegrity.h"
#include "ledger/ledgercaptions.h"
#include "tests/ledger/ledgertest.h"

namespace fin::test {
namespace {

TEST(SubaccountNames, EncodingRoundTrips) {
    EXPECT_EQ(EncodeSubaccStr("Putni troškovi"), "Putni_tros$kovi");
    EXPECT_EQ(EncodeSubaccStr("Troškovi puta"), "Tros$kovi_puta");
    EXPECT_EQ(EncodeSubaccStr("ŠUMA žute Žabe"), "S$UMA_z$ute_Z$abe");
    for (const char* name : {"Putni troškovi", "ŠŽšž ćčđ", "Računi kupaca", "x"})
        EXPECT_EQ(DecodeSubaccStr(EncodeSubaccStr(QString::fromUtf8(name))),
                  QString::fromUtf8(name));
}

using Subaccounts = TLedgerTest;

TEST_F(Subaccounts, UserTypesAreCreatedCheckedAndListed) {
    ui.AnswerText("Putni troškovi");
    QString name;
    ASSERT_TRUE(AddSubaccountType(&Db(), name));
    EXPECT_EQ(name, "Putni troškovi");
    const TResultSet engine = Db().Select(
        "SELECT engine FROM information_schema.tables WHERE table_schema = DATABASE() AND "
        "table_name = ?",
        {"subaccount_Putni_tros$kovi"});
    ASSERT_EQ(engine.rows.size(), 1);
    EXPECT_EQ(engine.rows[0][0].toString(), "MyISAM");
    Db().Execute("INSERT INTO `subaccount_Putni_tros$kovi` (name) VALUES (?)", {"Beograd"});
    EXPECT_EQ(Db().SelectValue("SELECT `subaccount_Putni_tros$koviid` FROM "
                               "`subaccount_Putni_tros$kovi`")
                  .toInt(),
              1);

    QStringList types;
    GetSubaccountTypes(&Db(), types);
    EXPECT_EQ(types, QStringList{"Putni troškovi"});

    // Refused before any statement runs: no table appears.
    const auto tables = [&] {
        return Db()
            .SelectValue(
                "SELECT COUNT(*) FROM information_schema.tables WHERE "
                "table_schema = DATABASE()")
            .toInt();
    };
    const int before = tables();
    for (const char* bad : {"Troškovi-puta", "a,b", "O'Brien", "50%", "a_b", "(x)",
                            "a`; DROP TABLE precept; --", "tačka.zarez"}) {
        ui.AnswerText(QString::fromUtf8(bad));
        QString n;
        EXPECT_FALSE(AddSubaccountType(&Db(), n)) << bad;
        EXPECT_EQ(ui.LastText(), res::SUB_HASSPEC_ERR) << bad;
    }
    ui.AnswerText("PUTNI TROŠKOVI");
    QString again;
    EXPECT_FALSE(AddSubaccountType(&Db(), again));
    EXPECT_EQ(ui.LastText(), res::SUB_EXISTS_ERR);
    ui.CancelNext();
    EXPECT_FALSE(AddSubaccountType(&Db(), again));
    EXPECT_EQ(tables(), before);
    EXPECT_TRUE(ui.AllAnswered());
}

TEST_F(Subaccounts, CaptionsKeysNamesAndTheAccountTypeField) {
    ASSERT_TRUE(CreateSubaccountTable(Db(), "Putni troškovi"));
    Db().Execute("INSERT INTO `subaccount_Putni_tros$kovi` (name) VALUES (?), (?)",
                 {"Beograd", "Niš"});
    dm->LoadFreeAccountTypes();
    dm->LoadFreeAccountTypes();  // loading again lists nothing twice
    EXPECT_EQ(dm->SubaccountCaptions.size(), 6);
    EXPECT_EQ(dm->GetTypeFromDesc("Partneri"), "partner");
    EXPECT_EQ(dm->GetTypeFromDesc("partneri"), "");
    EXPECT_EQ(dm->GetTypeFromDesc("Bankovni računi"), "bankaccount");
    const QString key = "subaccount_Putni_tros$kovi";
    EXPECT_EQ(dm->GetTypeFromDesc("Putni troškovi"), key);
    EXPECT_EQ(dm->GetSubAccountName(key, 2), "Niš");
    EXPECT_EQ(dm->GetSubAccountName(key, 3), "");
    // No statement runs for these: the partner table does not even exist here.
    EXPECT_EQ(dm->GetSubAccountName("partner", 0), "");
    EXPECT_EQ(dm->GetSubAccountName("", 5), "");
    EXPECT_EQ(dm->GetSubAccountName("nepoznat", 5), "");

    Db().Execute(
        "INSERT INTO accountnew (code, name, type) VALUES ('5550', 'Putni troškovi', ?), "
        "('2040', 'Kupci', 'partner'), ('6000', 'Bez analitike', NULL)",
        {key});
    TQuery& a = dm->AccountNewZQ();
    a.SetSQL(
        "SELECT *, (accountnewid + 0.0) AS debit, (accountnewid + 0.0) AS credit, "
        "(accountnewid + 0.0) AS balance FROM accountnew ORDER BY code");
    a.Open();
    ASSERT_TRUE(a.Locate("code", "5550"));
    EXPECT_EQ(a.FieldByName("type").DisplayText(), "Putni troškovi");
    ASSERT_TRUE(dm->SubaccountZQ().Active());
    EXPECT_EQ(dm->SubaccountZQ().RecordCount(), 2);
    EXPECT_EQ(dm->SubaccountZQ().FieldByName("name").AsString(), "Beograd");

    // An open card keeps the list as it was.
    dm->AccountCardOpen = true;
    ASSERT_TRUE(a.Locate("code", "6000"));
    EXPECT_TRUE(dm->SubaccountZQ().Active());
    dm->AccountCardOpen = false;
    dm->AccountNewZQAfterScroll();
    EXPECT_FALSE(dm->SubaccountZQ().Active());

    a.Edit();
    a.FieldByName("type").SetText("Proizvodi");
    EXPECT_EQ(a.FieldByName("type").AsString(), "product");
    a.FieldByName("type").SetText("proizvodi");
    EXPECT_TRUE(a.FieldByName("type").IsNull());
    a.FieldByName("type").SetText("");
    EXPECT_TRUE(a.FieldByName("type").IsNull());
    a.Cancel();
}

TEST_F(Subaccounts, DeletingASubaccountAsksAndRespectsLedgerLines) {
    ASSERT_TRUE(CreateSubaccountTable(Db(), "Projekti"));
    Db().Execute("INSERT INTO subaccount_Projekti (name) VALUES ('Most'), ('Put')");
    dm->LoadFreeAccountTypes();
    Db().Execute(
        "INSERT INTO accountnew (code, name, type) VALUES ('5551', 'Projekti', "
        "'subaccount_Projekti')");
    const qint64 type = AddType("46");
    const qint64 voucher = AddPrecept(type, QDate(2024, 1, 1), "P1", "p");
    Db().Execute(
        "INSERT INTO preceptitem (preceptid, sort, debit, credit, accountnewid, "
        "foreignid) VALUES (?, 1, 10, 0, 1, 1)",
        {voucher});

    TRelationalIntegrity integrity;
    integrity.AddFinancialCheck([](TConnection& c, const QString& table, const QVariant& id) {
        return !c.Select(
                     "SELECT preceptitemid FROM preceptitem AS pi INNER JOIN accountnew AS a "
                     "ON a.accountnewid = pi.accountnewid WHERE a.type = ? AND "
                     "pi.foreignid = ?",
                     {table, id})
                    .IsEmpty();
    });
    integrity.SetConnection(&Db());
    SetRelationalIntegrity(&integrity);

    TQuery& a = dm->AccountNewZQ();
    a.SetSQL("SELECT *, 0.0 AS debit, 0.0 AS credit, 0.0 AS balance FROM accountnew");
    a.Open();
    TQuery& s = dm->SubaccountZQ();
    ASSERT_TRUE(s.Active());
    ui.Answer(TAnswer::No);
    EXPECT_THROW(s.Delete(), TAbort);
    ui.Answer(TAnswer::Yes);
    try {
        s.Delete();  // "Most" is used by a line
        ADD_FAILURE() << "a used sub-account was deleted";
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::CMN_RELATIONAL_INTEGRITY_ERR);
    }
    ASSERT_TRUE(s.Locate("Code", 2));
    ui.Answer(TAnswer::Yes);
    s.Delete();
    EXPECT_EQ(Count("subaccount_Projekti"), 1);
    SetRelationalIntegrity(nullptr);
}

TEST_F(Subaccounts, AccountCodesAreDigitsOfTheRightLengthAndUnique) {
    TQuery& a = dm->AccountZQ();
    a.SetSQL("SELECT *, 0.0 AS debit, 0.0 AS credit, 0.0 AS balance FROM account");
    a.Open();
    const auto post = [&](const char* code) {
        a.Append();
        a.FieldByName("code").SetValue(QString::fromUtf8(code));
        a.FieldByName("name").SetValue("Konto");
        try {
            a.Post();
            return true;
        } catch (const TError&) {
            a.Cancel();
            return false;
        }
    };
    EXPECT_TRUE(post("204"));
    EXPECT_TRUE(post("204000001"));
    for (const char* bad : {"20", "2040000011", "20a4", " 204", "-204", "+2040", "204"})
        EXPECT_FALSE(post(bad)) << bad;
    EXPECT_EQ(Count("account"), 2);
}

}  // namespace
}  // namespace fin::test
