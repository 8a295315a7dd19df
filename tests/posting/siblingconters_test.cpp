#include <QMap>

#include "host/data/dbinifile.h"
#include "posting/autoconter.h"
#include "posting/postingcaptions.h"
#include "tests/posting/postingtest.h"

namespace fin::test {
namespace {

// Bank statements, cash journals, production errands and fixed-asset documents.
class Modules : public TPostingTest {
protected:
    void SetUp() override {
        TPostingTest::SetUp();
        if (HasFatalFailure())
            return;
        Db().Execute(
            "INSERT INTO bankaccount (bankaccountid, account, bank, currency) VALUES "
            "(3, '160-1', 'Banka A', 'RSD'), (4, '160-2', 'Banka B', 'EUR')");
        Db().Execute(
            "INSERT INTO partner (partnerid, name, partnertype) VALUES (9, 'Mali', "
            "'Mali kupac')");
        Db().Execute(
            "INSERT INTO currencyexchange (exchangelistid, code1, code2, code1amount, "
            "code2amount) VALUES (4, 'RSD', 'EUR', 117.5, 1)");
        NewAccount("2410", "Tekući račun", "bankaccount");
        NewAccount("5530", "Platni promet");
    }
    qint64 Statement(const QString& type, const QDate& date, const QString& number,
                     qint64 account = 3, const QString& currency = "RSD") {
        Db().Execute(
            "INSERT INTO bankstatement (bankaccountid, number, statementdate, "
            "statementtype, currency, exchangelistid) VALUES (?, ?, ?, ?, ?, 4)",
            {account, number, date, type, currency});
        return Db().LastInsertId();
    }
    void StatementLine(qint64 statement, const QVariant& partnerId, double debit, double credit,
                       const QString& text) {
        Db().Execute(
            "INSERT INTO bankstatementitem (bankstatementid, partnerid, debit, credit, "
            "description) VALUES (?, ?, ?, ?, ?)",
            {statement, partnerId, debit, credit, text});
    }
    QMap<QString, QString> Vars(int kind, qint64 id) {
        const TAutoConterResult r = package->AutoConter().Execute(
            true, kind, {}, id, [](TPostingRun& run) { run.PreviewOnly = true; });
        QMap<QString, QString> vars;
        for (const QString& line : r.preview.variables)
            vars.insert(line.section('=', 0, 0), line.section('=', 1));
        return vars;
    }
    qint64 PreceptFor(const QString& table, qint64 id) {
        return Db()
            .SelectValue("SELECT preceptid FROM precept WHERE foreigntable = ? AND foreignid = ?",
                         {table, id})
            .toLongLong();
    }
};

TEST_F(Modules, BankStatementsAndCashJournalsMakeTheirLineFamilies) {
    const qint64 s = Statement("I", QDate(2024, 3, 4), "12");
    StatementLine(s, 8, 100, 20, "Plaćanje dobavljaču");  // both sides: the debit wins
    StatementLine(s, 7, 0, 250, "Uplata kupca");
    StatementLine(s, {}, 15, 0, "  Provizija ");
    StatementLine(s, {}, 0, 0, "");  // no partner, no amounts, no text
    auto v = Vars(50, s);
    EXPECT_EQ(v.value("[Banka1]"), "3");
    EXPECT_EQ(v.value("[B3]"), "1");
    EXPECT_EQ(v.value("[IzvodOpis]"), "Izvod broj 12");
    EXPECT_EQ(v.value("[BlagajnaOpis]"), "Dnevnik blagajne broj 12");
    EXPECT_EQ(v.value("[IzvodDevizni]"), "0");
    EXPECT_EQ(v.value("[Dobavljac1]"), "8");
    EXPECT_EQ(v.value("[DobavljacDuguje1]"), "100");
    EXPECT_EQ(v.value("[DobavljacOpis1]"), "Izvod broj 12 - Plaćanje dobavljaču");
    EXPECT_EQ(v.value("[Kupac1]"), "7");
    EXPECT_EQ(v.value("[KupacPotrazuje1]"), "250");
    EXPECT_EQ(v.value("[Razno1]"), "-1");
    EXPECT_EQ(v.value("[RaznoDuguje1]"), "15");
    EXPECT_EQ(v.value("[RaznoOpis1]"), "Izvod broj 12 - Provizija");
    EXPECT_EQ(v.value("[RaznoOpis2]"), "Izvod broj 12 - ?");
    EXPECT_EQ(v.value("[RaznoDuguje2]"), "0");
    EXPECT_EQ(v.value("[UkDuguje]"), "115");
    EXPECT_EQ(v.value("[UkPotrazuje]"), "270");  // the supplier line's credit counts too
    EXPECT_EQ(v.value("[PTipVelikikupac]"), "0");

    // A cash journal's line texts; a foreign statement in the home currency.
    const qint64 cash = Statement("B", QDate(2024, 3, 5), "3");
    StatementLine(cash, {}, 0, 40, "Kafa");
    v = Vars(50, cash);
    EXPECT_EQ(v.value("[RaznoOpis1]"), "Dnevnik blagajne broj 3 - Kafa");
    EXPECT_EQ(v.value("[RaznoDuguje1]"), "-40");
    const qint64 foreign = Statement("I", QDate(2024, 3, 6), "E1", 4, "EUR");
    StatementLine(foreign, 8, 10, 0, "Uvoz");
    v = Vars(50, foreign);
    EXPECT_EQ(v.value("[IzvodDevizni]"), "1");
    EXPECT_EQ(v.value("[DobavljacDuguje1]"), "1175");
    EXPECT_EQ(v.value("[UkDuguje]"), "1175");
}

TEST_F(Modules, AnIndexedBankRuleKeepsEachLineToItsOwnPartner) {
    const qint64 s = Statement("I", QDate(2024, 3, 4), "12");
    StatementLine(s, 8, 100, 0, "Dobavljač");
    StatementLine(s, 7, 0, 250, "Veliki");
    StatementLine(s, 9, 0, 30, "Mali");
    StatementLine(s, {}, 0, 5, "Povraćaj provizije");
    const QString m = "Banka";
    Rule("I", "2410", "[Banka{X}]", "[UkPotrazuje]", "[UkDuguje]", "[IzvodOpis]", m);
    Rule("I", "4350", "[Dobavljac{X}]", "[DobavljacDuguje{X}]", "0", "[DobavljacOpis{X}]", m);
    // The big customers to one rule, the partner 9 to another, by the selectors.
    Rule("I", "2040", "[Kupac{X}]", "0", "[KupacPotrazuje{X}]*[PTipVelikikupac]", "[KupacOpis{X}]",
         m);
    Rule("I", "2040", "[Kupac{X}]", "0", "[KupacPotrazuje{X}]*[P9]", "[KupacOpis{X}]", m);
    Rule("I", "5530", "[Razno{X}]", "![RaznoDuguje{X}]", "0", "[RaznoOpis{X}]", m);
    TDBIniFile(&Db()).WriteInteger("Banka", "I", type);
    EXPECT_EQ(PostAll(), 1) << ui.LastText().toStdString();
    const auto lines = Lines(PreceptFor("bankstatement", s));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0].code, "2410");
    EXPECT_EQ(lines[0].foreignId, 3);
    EXPECT_DOUBLE_EQ(lines[0].debit, 285);
    EXPECT_DOUBLE_EQ(lines[0].credit, 100);
    EXPECT_EQ(lines[1].foreignId, 8);
    EXPECT_DOUBLE_EQ(lines[1].debit, 100);
    EXPECT_EQ(lines[2].foreignId, 7);
    EXPECT_DOUBLE_EQ(lines[2].credit, 250);
    EXPECT_EQ(lines[3].foreignId, 9);
    EXPECT_DOUBLE_EQ(lines[3].credit, 30);
    EXPECT_EQ(lines[4].code, "5530");
    EXPECT_EQ(lines[4].foreignId, 0);      // "-1": no sub-account
    EXPECT_DOUBLE_EQ(lines[4].credit, 5);  // a negative amount moved to the other side
    const TResultSet p = Db().Select(
        "SELECT precepttypeid, description FROM precept WHERE foreigntable = 'bankstatement'");
    EXPECT_EQ(p.rows[0][0].toLongLong(), type);
    EXPECT_EQ(p.rows[0][1].toString(), "Banka A 160-1 Izvod iz banke - 12 - automatski kreirano");

    // A statement whose bank account is gone stops the run with its name; nothing is written.
    const qint64 orphan = Statement("I", QDate(2024, 3, 8), "13");
    StatementLine(orphan, 7, 0, 10, "Uplata");
    Db().Execute("DELETE FROM bankaccount WHERE bankaccountid = 3");
    try {
        PostAll();
        ADD_FAILURE() << "posted";
    } catch (const TError& e) {
        EXPECT_TRUE(e.Message().startsWith("Izvod iz banke 13 nije kontiran"))
            << e.Message().toStdString();
    }
    EXPECT_EQ(PreceptFor("bankstatement", orphan), 0);
    EXPECT_EQ(Count("precept"), 1);
}

TEST_F(Modules, ErrandsAndAssetDocumentsOnTheirOwnAndAllFourModulesInOrder) {
    // A closed work errand: costs by their kind, and the finished goods of its product errand.
    Db().Execute(
        "INSERT INTO errand (errandid, errandtype, number, status, erranddate) VALUES "
        "(1, 'R', 'RN-1', 'z', '2024-05-06'), (2, 'R', 'RN-2', 'o', '2024-05-06'), "
        "(3, 'P', 'PN-1', 'z', '2024-05-06')");
    Db().Execute("UPDATE errand SET parentid = 1 WHERE errandid = 3");
    Db().Execute(
        "INSERT INTO errandcost (errandid, costtype, value, coef) VALUES (1, 'materijal', "
        "100, 1.5), (1, 'rad', 200, 1), (1, 'opsti', 50, 1.1), (1, 'x-ostalo', 999, 1), "
        "(1, 'm', 0.001, 1)");
    const qint64 goods = Product("Proizvod", "P");
    const qint64 received = Document("G", QDate(2024, 5, 6), "G1", 0, wholesale);
    Card(received, goods, 3, 0, 100, 300, 0);
    Db().Execute("INSERT INTO erranddocument (errandid, documentid) VALUES (3, ?)", {received});
    auto v = Vars(75, 1);
    EXPECT_EQ(v.value("[TrosDirMat]"), "150");
    EXPECT_EQ(v.value("[TrosDirRad]"), "200");
    EXPECT_EQ(v.value("[TrosOpsti]"), "55");
    EXPECT_EQ(v.value("[VredGotProiz]"), "300");

    // Activation and a correction; a document of another kind or unregistered waits forever.
    Db().Execute(
        "INSERT INTO fadocument (fadocumentid, number, status, documenttype, "
        "documentdate) VALUES (1, 'OS-1', 'p', 'A', '2024-05-06'), (2, 'OS-2', 'p', "
        "'X', '2024-05-06'), (3, 'OS-3', 'n', 'A', '2024-05-06'), (4, 'OS-4', 'p', "
        "'O', '2024-05-06')");
    Db().Execute(
        "INSERT INTO fadocumentitem (fadocumentid, basevalue, basevalue2, "
        "correctionvalue, correctionvalue2) VALUES (1, 0, 1000, 0, 0), (1, 500, 500, "
        "100, 150)");
    v = Vars(10, 1);
    EXPECT_EQ(v.value("[RazNabVr]"), "1000");
    EXPECT_EQ(v.value("[RazIspVr]"), "50");
    v = Vars(10, 4);  // no lines: both 0
    EXPECT_EQ(v.value("[RazNabVr]"), "0");

    // On one day: documents, production, bank, fixed assets. Excluded bank types wait.
    Rule("R", "2040", "[Partner{X}]", "1", "0");
    Item(Document("R", QDate(2024, 5, 6), "R1", partner), goods, 1, 1, 1, 1);
    const qint64 statement = Statement("I", QDate(2024, 5, 6), "20");
    const qint64 cash = Statement("B", QDate(2024, 5, 6), "21");
    TDBIniFile(&Db()).WriteString("AutoNotConter", "50", "B");
    EXPECT_EQ(PostAll(), 6) << ui.LastText().toStdString();  // G1 and two asset documents too
    const TResultSet order = Db().Select("SELECT foreigntable FROM precept ORDER BY preceptid");
    QStringList tables;
    for (const auto& row : order.rows)
        tables << row[0].toString();
    EXPECT_EQ(tables, QStringList({"document", "document", "errand", "bankstatement", "fadocument",
                                   "fadocument"}));
    EXPECT_GT(PreceptFor("bankstatement", statement), 0);
    EXPECT_EQ(PreceptFor("bankstatement", cash), 0);
    EXPECT_EQ(PreceptFor("errand", 2), 0);
    EXPECT_EQ(PreceptFor("errand", 3), 0);
    EXPECT_EQ(PreceptFor("fadocument", 2), 0);
    EXPECT_EQ(PreceptFor("fadocument", 3), 0);
    EXPECT_GT(PreceptFor("fadocument", 4), 0);  // posted, if without lines: its rules made none
    EXPECT_EQ(Db().SelectValue("SELECT description FROM precept WHERE foreigntable = 'errand'")
                  .toString(),
              "Radni nalog RN-1 - automatski kreirano");
    EXPECT_EQ(Db().SelectValue("SELECT description FROM precept WHERE foreigntable = "
                               "'fadocument' ORDER BY preceptid LIMIT 1")
                  .toString(),
              "Aktiviranje osnovnog sredstva - automatski kreirano");
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

}  // namespace
}  // namespace fin::test
