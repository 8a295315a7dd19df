#include "console/standins/bank.h"
#include "console/standins/documents.h"
#include "console/standins/fixedassets.h"
#include "console/standins/production.h"
#include "tests/ledger/ledgertest.h"

namespace fin::test {
namespace {

// The pickers of the stand-in modules, answered through the scripted UI.
using Standins = TLedgerTest;

TEST_F(Standins, BankPickerListsStatementsAndCashJournalsNewestFirst) {
    Db().Execute(
        "INSERT INTO bankaccount (bankaccountid, account, bank, currency) VALUES (4, "
        "'205-0000000123456-78', 'Srpska razvojna banka a.d.', 'RSD')");
    Db().Execute(
        "INSERT INTO bankstatement (bankstatementid, bankaccountid, number, statementdate, "
        "statementtype, currency) VALUES (1, 4, '11', '2024-03-04', 'I', 'RSD'), (2, NULL, "
        "'7', '2024-03-05', 'B', 'RSD'), (3, 4, '12', '2024-03-05', 'I', 'RSD')");
    TBankModule bank(Db());
    qint64 id = 0;
    QString first, second;
    ui.AnswerPick(1);
    ASSERT_TRUE(bank.SelectStatement(id, first, second));
    EXPECT_EQ(id, 2);
    EXPECT_EQ(first, "Dnevnik blagajne");
    EXPECT_EQ(second, "7");
    ASSERT_EQ(ui.Picks().size(), 1u);
    EXPECT_EQ(ui.Picks()[0].caption, "Izvodi i dnevnici blagajne");
    EXPECT_FALSE(ui.Picks()[0].prompt.isEmpty());
    EXPECT_EQ(ui.Picks()[0].items,
              QStringList({"Izvod iz banke 12, 05.03.2024., Srpska razvojna banka a.d., "
                           "205-0000000123456-78",
                           "Dnevnik blagajne 7, 05.03.2024.",
                           "Izvod iz banke 11, 04.03.2024., Srpska razvojna banka a.d., "
                           "205-0000000123456-78"}));

    // A statement names its account: every account numbers its statements anew.
    ui.AnswerPick(0);
    ASSERT_TRUE(bank.SelectStatement(id, first, second));
    EXPECT_EQ(id, 3);
    EXPECT_EQ(first, "Izvod iz banke");
    EXPECT_EQ(second, "12 205-0000000123456-78");

    // Cancelled, nothing changes hands.
    id = 0;
    ui.AnswerPick(-1);
    EXPECT_FALSE(bank.SelectStatement(id, first, second));
    EXPECT_EQ(id, 0);
    EXPECT_TRUE(ui.AllAnswered());
    EXPECT_TRUE(ui.Unexpected().isEmpty());
}

TEST_F(Standins, ProductionAndFixedAssetPickersGiveTheirTexts) {
    Db().Execute(
        "INSERT INTO errand (errandid, errandtype, number, status, erranddate, parentid) VALUES "
        "(1, 'R', '1/24', 'z', '2024-02-28', NULL), (2, 'P', '1/24-1', 'z', '2024-02-20', 1)");
    TProductionModule production(Db());
    qint64 id = 0;
    QString first, second;
    ui.AnswerPick(1);
    ASSERT_TRUE(production.SelectErrand(id, first, second));
    EXPECT_EQ(id, 2);
    EXPECT_EQ(first, "Proizvodni nalog");
    EXPECT_EQ(second, "1/24-1");
    ASSERT_EQ(ui.Picks().size(), 1u);
    EXPECT_EQ(ui.Picks()[0].items, QStringList({"Radni nalog 1/24, 28.02.2024.",
                                                "Proizvodni nalog 1/24-1, 20.02.2024."}));

    Db().Execute(
        "INSERT INTO fadocument (fadocumentid, number, status, documenttype, documentdate) "
        "VALUES (5, '3/24', 'p', 'O', '2024-03-31'), (6, '1/24', 'p', 'A', '2024-03-31'), (7, "
        "'2/24', 'p', 'R', '2024-01-15')");
    TFixedAssetsModule assets(Db());
    QString text;
    ui.AnswerPick(1);
    ASSERT_TRUE(assets.SelectDocument(id, text));
    EXPECT_EQ(id, 5);
    EXPECT_EQ(text, "Obračun amortizacije 3/24");
    EXPECT_EQ(ui.Picks().back().items,
              QStringList({"Aktiviranje osnovnog sredstva 1/24, 31.03.2024.",
                           "Obračun amortizacije 3/24, 31.03.2024.",
                           "Rashodovanje osnovnog sredstva 2/24, 15.01.2024."}));

    // Without rows there is nothing to offer, and no list is shown.
    Db().Execute("DELETE FROM errand");
    const size_t shown = ui.Picks().size();
    EXPECT_FALSE(production.SelectErrand(id, first, second));
    EXPECT_EQ(ui.Picks().size(), shown);
    EXPECT_TRUE(ui.AllAnswered());
    EXPECT_TRUE(ui.Unexpected().isEmpty());
}

TEST_F(Standins, ThePaymentsOfADocumentAreWhatItsStatementLinesPaidAndReceived) {
    Db().Execute(
        "INSERT INTO bankstatementitem (bankstatementid, partnerid, debit, credit, documentid) "
        "VALUES (1, 3, 0, 150, 9), (2, 3, 30, 0, 9), (2, 3, 500, 0, 10)");
    TBankModule bank(Db());
    double out = -1, in = -1;
    bank.GetDocumentPayments(9, 0, out, in, 0, 0, 0);
    EXPECT_DOUBLE_EQ(out, 30);
    EXPECT_DOUBLE_EQ(in, 150);
    bank.GetDocumentPayments(11, 0, out, in, 0, 0, 0);
    EXPECT_DOUBLE_EQ(out, 0);
    EXPECT_DOUBLE_EQ(in, 0);
}

}  // namespace
}  // namespace fin::test
