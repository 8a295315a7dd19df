#include <QMap>

#include "console/standins/bank.h"
#include "host/data/dbinifile.h"
#include "posting/autoconter.h"
#include "posting/postingcaptions.h"
#include "tests/posting/postingtest.h"

namespace fin::test {
namespace {

class Documents : public TPostingTest {
protected:
    void SetUp() override {
        TPostingTest::SetUp();
        if (HasFatalFailure())
            return;
        auto bank = std::make_shared<TBankModule>(Db());
        dm->BankLookup = [bank] { return bank; };
        goods = Product("Roba A", "R");
        goods2 = Product("Roba B", "R");
        service = Product("Usluga", "U");
        Db().Execute("INSERT INTO categorypr (categoryprid, name) VALUES (3, 'Pića')");
        Db().Execute(
            "INSERT INTO productcategorypr (productid, categoryprid) VALUES (?, 3), "
            "(?, 3)",
            {goods, goods2});
        Db().Execute("INSERT INTO expense (expenseid, name) VALUES (5, 'Zakup')");
    }
    // The variables of a waiting document, as a preview computes them.
    QMap<QString, QString> Vars(qint64 document) {
        const TAutoConterResult r = package->AutoConter().Execute(
            true, 100, {}, document, [](TPostingRun& run) { run.PreviewOnly = true; });
        QMap<QString, QString> vars;
        for (const QString& line : r.preview.variables)
            vars.insert(line.section('=', 0, 0), line.section('=', 1));
        return vars;
    }
    static double N(const QMap<QString, QString>& vars, const char* name) {
        return vars.value(QString::fromLatin1(name)).toDouble();
    }
    void Set(qint64 item, const QString& assignments) {
        Db().Execute("UPDATE documentitem SET " + assignments + " WHERE documentitemid = ?",
                     {item});
    }
    qint64 goods = 0, goods2 = 0, service = 0;
};

TEST_F(Documents, SalesAndPurchasesAddTheirLinesByProductTypeTaxAndCategory) {
    const qint64 r = Document("R", QDate(2024, 3, 5), "12", partner, wholesale);
    // Discounts in their order: 10 % of 200, then 5 per unit of what is left.
    Set(Item(r, goods, 2, 100, 80, 180),
        "rebate = 10, rebatetype = 'P', margin = 5, "
        "marginetype = 'I', cost = 1.5");
    Card(r, goods, 0, 2, 80, 0, 160);
    Item(r, service, 1, 50, 0, 50, 2, 10);
    Item(r, goods2, 1, 40, 30, 40);
    Card(r, goods2, 0, 1, 30, 0, 30);
    Item(r, goods, 5, 100, 80, 500);  // no stock card of its own: left out of everything
    auto v = Vars(r);
    EXPECT_DOUBLE_EQ(N(v, "[UkProd]"), 290);
    EXPECT_DOUBLE_EQ(N(v, "[UkProdTipR]"), 240);
    EXPECT_DOUBLE_EQ(N(v, "[UkProdTipU]"), 50);
    EXPECT_DOUBLE_EQ(N(v, "[UkProdStopa1]"), 240);
    EXPECT_DOUBLE_EQ(N(v, "[UkProdTipRStopa1]"), 240);
    EXPECT_DOUBLE_EQ(N(v, "[UkProdStopa2]"), 50);
    EXPECT_DOUBLE_EQ(N(v, "[UkRab]"), 30);
    EXPECT_DOUBLE_EQ(N(v, "[UkZav]"), 3);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDV]"), 36 + 5 + 8);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDVOpstaStopa]"), 44);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDVPosebnaStopa]"), 5);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDVOpstaStopaTipR]"), 44);
    EXPECT_DOUBLE_EQ(N(v, "[UkNab]"), 190);
    EXPECT_DOUBLE_EQ(N(v, "[Nab1]"), 160);
    EXPECT_DOUBLE_EQ(N(v, "[Nab2]"), 30);
    EXPECT_FALSE(v.contains("[Nab3]"));
    EXPECT_DOUBLE_EQ(N(v, "[UkPoslNabTipR]"), 190);
    // Two lines of one category add to one value; the flag and the partner's selectors.
    EXPECT_DOUBLE_EQ(N(v, "[CV3]"), 240);
    EXPECT_EQ(v.value("[C3]"), "1");
    EXPECT_EQ(v.value("[P7]"), "1");
    EXPECT_EQ(v.value("[Partner1]"), "7");
    EXPECT_EQ(v.value("[Magacin1]"), "1");
    EXPECT_EQ(v.value("[MagacVP]"), "1");
    EXPECT_EQ(v.value("[Magacin1v]"), "1");
    EXPECT_EQ(v.value("[Magacin1m]"), "0");
    EXPECT_EQ(v.value("[PTipVelikikupac]"), "1");
    EXPECT_EQ(v.value("[DokumentOpis]"), "Račun - 12");
    EXPECT_EQ(v.value("[Porez101]"), "1");
    EXPECT_EQ(v.value("[Porez102]"), "2");
    EXPECT_EQ(v.value("[Proizvod1]"), QString::number(goods));
    EXPECT_EQ(v.value("[Proizvod3]"), QString::number(goods2));

    // A purchase: invoice value, selling value, input tax, its own dependent cost; the
    // stock card matched by the unit price with the cost (average-price goods).
    const qint64 k = Document("K", QDate(2024, 3, 6), "7", 8, wholesale);
    Set(Item(k, goods, 10, 50, 70, 500, 1, 20, 20), "rebate = 10, rebatetype = 'P', cost = 30");
    Card(k, goods, 10, 0, 52, 520, 0);  // another price: not this line's card
    Card(k, goods, 10, 0, 53, 530, 0);
    Db().Execute(
        "INSERT INTO documentcost (documentid, partnerid, value, description, taxamount) "
        "VALUES (?, 8, 20, 'Prevoz', 4.004), (?, NULL, 10, '', 2)",
        {k, k});
    v = Vars(k);
    EXPECT_DOUBLE_EQ(N(v, "[UkFak]"), 500);
    EXPECT_DOUBLE_EQ(N(v, "[UkProd]"), 700);
    EXPECT_DOUBLE_EQ(N(v, "[UkRab]"), 50);
    EXPECT_DOUBLE_EQ(N(v, "[UkZav]"), 30);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDV]"), 100);
    EXPECT_DOUBLE_EQ(N(v, "[UkPretPDVOpstaStopaTipR]"), 100);
    EXPECT_DOUBLE_EQ(N(v, "[UkNab]"), 530);
    EXPECT_EQ(v.value("[P8]"), "1");
    EXPECT_EQ(v.value("[ZavTrosPart1]"), "8");
    EXPECT_EQ(v.value("[ZavTrosOpis1]"), "Prevoz");
    EXPECT_EQ(v.value("[ZavTrosPorez1]"), "4");
    EXPECT_EQ(v.value("[ZavTrosBezPart1]"), "0");
    // The second cost has no description, and keeps its number in every family.
    EXPECT_EQ(v.value("[ZavTrosVred2]"), "10");
    EXPECT_EQ(v.value("[ZavTrosBezPart2]"), "1");
    EXPECT_FALSE(v.contains("[ZavTrosOpis2]"));
}

TEST_F(Documents, RetailPriceChangesAndInternalTransfers) {
    // A retail warehouse without stock cards: amounts go unrounded to the retail totals.
    const qint64 m = Document("M", QDate(2024, 4, 1), "M1", 0, retail);
    Item(m, goods, 3, 33.333, 20, 99.999);
    Db().Execute(
        "INSERT INTO documentretailpayment (documentid, cashincome, chequeincome, "
        "cardincome) VALUES (?, 70, 0, 49.99)",
        {m});
    auto v = Vars(m);
    EXPECT_DOUBLE_EQ(N(v, "[UkProdMagM]"), 99.999);
    EXPECT_DOUBLE_EQ(N(v, "[UkProdMagMTipR]"), 99.999);
    EXPECT_DOUBLE_EQ(N(v, "[UkProd]"), 0);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDVMagM]"), 19.9998);
    EXPECT_DOUBLE_EQ(N(v, "[UkNacPlacGotovina]"), 70);
    EXPECT_DOUBLE_EQ(N(v, "[UkNacPlacKartica]"), 49.99);
    EXPECT_EQ(v.value("[Magacin1m]"), "1");

    const qint64 n = Document("N", QDate(2024, 4, 2), "N1", 0, retail);
    Item(n, goods, 2, 100, 120, 0, 1, 20, 20);
    v = Vars(n);
    EXPECT_DOUBLE_EQ(N(v, "[UkRazMagMTipR]"), 40);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDVMagMOpstaStopa]"), 48);
    EXPECT_DOUBLE_EQ(N(v, "[UkPretPDVMagMOpstaStopa]"), 40);
    EXPECT_EQ(v.value("[DokAutoNiv]"), "0");

    // Wholesale to the shop: both warehouses, values in each, the shop's taxes and margin.
    const qint64 i = Document("I", QDate(2024, 4, 3), "I1", 0, wholesale);
    Db().Execute("UPDATE document SET inwarehouseid = ? WHERE documentid = ?", {retail, i});
    Item(i, goods, 2, 50, 80, 100);
    Card(i, goods, 0, 2, 50, 0, 100);
    Item(i, goods2, 1, 10, 15, 10);  // no stock card, yet a transfer keeps it
    v = Vars(i);
    EXPECT_EQ(v.value("[Magacin2]"), QString::number(retail));
    EXPECT_EQ(v.value("[UlMagacMP]"), "1");
    EXPECT_EQ(v.value("[Magacin2m]"), "1");
    EXPECT_DOUBLE_EQ(N(v, "[UkProd]"), 175);
    EXPECT_DOUBLE_EQ(N(v, "[UkNab]"), 100);
    EXPECT_DOUBLE_EQ(N(v, "[UkNabMagMTipR]"), 100);
    EXPECT_DOUBLE_EQ(N(v, "[UkProdMag1TipR]"), 110);
    EXPECT_DOUBLE_EQ(N(v, "[UkProdMag2TipR]"), 175);
    EXPECT_DOUBLE_EQ(N(v, "[UkMar]"), 65);
    EXPECT_DOUBLE_EQ(N(v, "[UkPretPDVMagMOpstaStopa]"), 22);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDVMagMOpstaStopa]"), 35);
}

TEST_F(Documents, ExpensesChargesAndStockLeavingTheWarehouse) {
    const qint64 u = Document("U", QDate(2024, 5, 1), "U1", 8);
    Item(u, 5, 1, 1000, 0, 1000, 1, 20, 20);  // a line of expense 5
    auto v = Vars(u);
    EXPECT_DOUBLE_EQ(N(v, "[UkFak]"), 1000);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDV]"), 200);
    EXPECT_EQ(v.value("[E5]"), "1");
    EXPECT_DOUBLE_EQ(N(v, "[V5]"), 1000);
    EXPECT_DOUBLE_EQ(N(v, "[TP5]"), 1200);
    EXPECT_EQ(v.value("[PTipDobavljac]"), "1");

    const qint64 z = Document("Z", QDate(2024, 5, 2), "Z1", partner);
    Db().Execute("UPDATE document SET documentchargetypeid = 3 WHERE documentid = ?", {z});
    Item(z, service, 1, 0, 0, 10.005, 1, 20);
    v = Vars(z);
    EXPECT_DOUBLE_EQ(N(v, "[UkProd]"), 10.005);  // charges are not rounded per line
    EXPECT_EQ(v.value("[DokTipZaduzenja3]"), "1");
    const qint64 z11 = Document("Z", QDate(2024, 5, 2), "Z2", partner);
    Db().Execute("UPDATE document SET documentchargetypeid = 11 WHERE documentid = ?", {z11});
    Item(z11, service, 1, 0, 0, 5);
    v = Vars(z11);
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(v.value(QString("[DokTipZaduzenja%1]").arg(n)), "0");

    const qint64 f = Document("F", QDate(2024, 5, 3), "F1", 0, wholesale);
    Item(f, goods, 1, 100, 0, 100, 1, 20);
    Card(f, goods, 0, 1, 80, 0, 80);
    v = Vars(f);
    EXPECT_DOUBLE_EQ(N(v, "[UkNab]"), 80);
    EXPECT_DOUBLE_EQ(N(v, "[UkProd]"), 100);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDVOpstaStopa]"), 20);
    EXPECT_DOUBLE_EQ(N(v, "[UkPDV]"), 16);  // a write-off's tax on the purchase value

    const qint64 g = Document("G", QDate(2024, 5, 4), "G1", 0, wholesale);
    Item(g, goods, 4, 0, 0, 400, 1, 20);
    Card(g, goods, 4, 0, 90, 360, 0);
    v = Vars(g);
    EXPECT_DOUBLE_EQ(N(v, "[UkNab]"), 360);  // incoming: the card's debit
    EXPECT_DOUBLE_EQ(N(v, "[CV3]"), 400);
}

TEST_F(Documents, ForeignCurrencyPaymentsAndAdvances) {
    Db().Execute(
        "INSERT INTO currencyexchange (exchangelistid, code1, code2, code1amount, "
        "code2amount) VALUES (4, 'RSD', 'EUR', 117.5, 1)");
    const qint64 r = Document("R", QDate(2024, 6, 1), "E1", partner, wholesale);
    Db().Execute(
        "UPDATE document SET documentcurrency = 'EUR', exchangelistid = 4 WHERE "
        "documentid = ?",
        {r});
    Set(Item(r, goods, 1, 10, 8, 9),
        "rebate = 10, rebatetype = 'P', margin = 1, marginetype = 'I'");
    Card(r, goods, 0, 1, 8, 0, 940);
    auto v = Vars(r);
    EXPECT_DOUBLE_EQ(N(v, "[UkProd]"), 1175);
    EXPECT_DOUBLE_EQ(N(v, "[UkRab]"), 235);  // 10 % stays a percentage; 1 EUR a unit
    EXPECT_DOUBLE_EQ(N(v, "[UkPDV]"), 211.5);
    EXPECT_EQ(v.value("[DokIzvoz]"), "1");

    // Without a rate for the currency the run stops with a clear message, writing nothing.
    Db().Execute("UPDATE document SET exchangelistid = 99 WHERE documentid = ?", {r});
    try {
        PostAll();
        ADD_FAILURE() << "posted";
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::POSTING_STOPPED_ERR.arg(
                                   "Račun E1", res::FOREIGN_NO_RATE_ERR.arg("EUR").arg(99)));
    }
    EXPECT_EQ(Count("precept"), 0);
    EXPECT_EQ(Count("preceptitem"), 0);
    EXPECT_FALSE(TDBIniFile(&Db()).ReadBool("AutoConter", "0", false));
    EXPECT_TRUE(dm->PreceptZQ().IsEmpty());
    Db().Execute("DELETE FROM document WHERE documentid = ?", {r});

    // An advance and its payment; the invoice that settles it.
    const qint64 a = Document("A", QDate(2024, 6, 2), "A1", partner);
    Item(a, service, 1, 100, 0, 100, 1, 20);
    Db().Execute(
        "INSERT INTO bankstatementitem (bankstatementid, partnerid, debit, credit, "
        "documentid) VALUES (1, 7, 0, 120, ?)",
        {a});
    v = Vars(a);
    EXPECT_DOUBLE_EQ(N(v, "[UkPlacanje]"), 120);
    const qint64 settling = Document("R", QDate(2024, 6, 9), "F9", partner, wholesale);
    Item(settling, service, 1, 300, 0, 300, 1, 20);
    Db().Execute("INSERT INTO documentdoc (documentid, relateddocumentid) VALUES (?, ?)",
                 {a, settling});
    v = Vars(settling);
    EXPECT_DOUBLE_EQ(N(v, "[UkAvansnoPlacanje]"), 120);
    EXPECT_DOUBLE_EQ(N(v, "[UkAvansnaVrednost]"), 100);
    EXPECT_DOUBLE_EQ(N(v, "[UkAvansnaPDVOpstaStopa]"), 20);
    const qint64 q = Document("Q", QDate(2024, 6, 3), "Q1", 8);
    Item(q, service, 1, 100, 0, 100, 1, 0, 20);
    Db().Execute(
        "INSERT INTO bankstatementitem (bankstatementid, partnerid, debit, credit, "
        "documentid) VALUES (1, 8, 120, 0, ?)",
        {q});
    v = Vars(q);
    EXPECT_DOUBLE_EQ(N(v, "[UkPlacanje]"), 120);  // paid out, turned to a positive sum
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

}  // namespace
}  // namespace fin::test
