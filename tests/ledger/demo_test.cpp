#include "console/demo/demo.h"
#include "tests/ledger/ledgertest.h"

namespace fin::test {
namespace {

using Demo = TLedgerTest;

TEST_F(Demo, ABalancedYearOnceAndNeverOverAnExistingLedger) {
    TDemoOptions options;
    options.year = 2024;
    options.vouchers = 120;
    const TDemoSummary s = MakeDemoCompany(Db(), options);
    EXPECT_EQ(s.vouchers, Count("precept"));
    EXPECT_EQ(s.lines, Count("preceptitem"));
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM (SELECT preceptid FROM preceptitem GROUP BY "
                               "preceptid HAVING ROUND(SUM(debit) - SUM(credit), 2) <> 0) AS x")
                  .toInt(),
              0);
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM (SELECT number FROM precept GROUP BY number, "
                               "precepttypeid HAVING COUNT(*) > 1) AS x")
                  .toInt(),
              0);
    EXPECT_EQ(
        Db().SelectValue("SELECT COUNT(*) FROM precept WHERE YEAR(preceptdate) <> 2024").toInt(),
        0);
    // The new chart carries every line of a year after 2013, and sub-accounts exist.
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM preceptitem AS pi LEFT JOIN accountnew AS an "
                               "ON an.accountnewid = pi.accountnewid WHERE an.code IS NULL")
                  .toInt(),
              0);
    // The year's documents: every type; those up to October have their voucher, the later
    // ones wait for posting.
    EXPECT_EQ(s.documents, Count("document"));
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(DISTINCT documenttype) FROM document").toInt(), 17);
    EXPECT_GT(Count("documentitem"), Count("document"));
    EXPECT_GT(Count("docfinitem"), 0);
    EXPECT_GT(Count("financialini"), 0);
    const QString voucherOf =
        "SELECT COUNT(*) FROM document AS d LEFT JOIN precept AS p ON "
        "p.foreigntable = 'document' AND p.foreignid = d.documentid WHERE ";
    EXPECT_EQ(Db().SelectValue(voucherOf + "d.documentdate <= '2024-10-31' AND p.preceptid IS "
                                           "NULL")
                  .toInt(),
              0);
    EXPECT_EQ(Db().SelectValue(voucherOf + "d.documentdate <= '2024-10-31'").toInt(),
              s.documentsPosted);
    EXPECT_GT(s.documents, s.documentsPosted);
    EXPECT_EQ(Db().SelectValue(voucherOf + "d.documentdate > '2024-10-31' AND p.preceptid IS NOT "
                                           "NULL")
                  .toInt(),
              0);
    EXPECT_GT(Db().SelectValue("SELECT COUNT(*) FROM preceptitem AS pi JOIN precept AS p ON "
                               "p.preceptid = pi.preceptid WHERE p.foreigntable = 'document'")
                  .toInt(),
              s.documentsPosted);

    dm->LoadFreeAccountTypes();
    EXPECT_FALSE(dm->GetTypeFromDesc(kDemoUserSubaccountType).isEmpty());
    EXPECT_GT(Count("subaccount_Putni_tros$kovi"), 0);

    const qint64 vouchers = Count("precept");
    EXPECT_THROW(MakeDemoCompany(Db(), options), TError);
    EXPECT_EQ(Count("precept"), vouchers);
}

TEST_F(Demo, TheBankProductionAndFixedAssetModulesHaveTheYearsDocuments) {
    const TDemoSummary s = MakeDemoCompany(Db());
    EXPECT_EQ(s.vouchers, 300);
    EXPECT_EQ(s.vouchers, Count("precept"));
    EXPECT_EQ(s.lines, Count("preceptitem"));
    auto scalar = [&](const QString& sql, const QVariantList& params = {}) {
        return Db().SelectValue(sql, params).toLongLong();
    };

    // Statements on the company's own accounts, one of them in euros with the month's
    // exchange list and whole euros; cash journals without an account.
    EXPECT_EQ(s.statements, Count("bankstatement"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM bankstatement AS bs LEFT JOIN bankaccount AS ba ON "
                     "ba.bankaccountid = bs.bankaccountid WHERE NOT ((bs.statementtype = 'I' AND "
                     "ba.partnerid IS NULL AND ba.currency = bs.currency) OR (bs.statementtype = "
                     "'B' AND bs.bankaccountid IS NULL))"),
              0);
    EXPECT_EQ(scalar("SELECT COUNT(DISTINCT bankaccountid) FROM bankstatement WHERE "
                     "statementtype = 'I'"),
              3);
    EXPECT_GT(scalar("SELECT COUNT(*) FROM bankstatement WHERE statementtype = 'B'"), 0);
    EXPECT_GT(scalar("SELECT COUNT(*) FROM bankstatement AS bs JOIN currencyexchange AS ce ON "
                     "ce.exchangelistid = bs.exchangelistid AND ce.code2 = 'EUR' WHERE "
                     "bs.currency = 'EUR'"),
              0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM bankstatement WHERE currency = 'EUR' AND "
                     "exchangelistid IS NULL"),
              0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM bankstatementitem AS i JOIN bankstatement AS bs ON "
                     "bs.bankstatementid = i.bankstatementid WHERE bs.currency = 'EUR' AND "
                     "(i.debit <> FLOOR(i.debit) OR i.credit <> FLOOR(i.credit))"),
              0);
    // Customers paying, suppliers paid, and lines without partner: fees, salaries, taxes.
    const QString lines =
        "SELECT COUNT(*) FROM bankstatementitem AS i JOIN bankstatement AS bs ON "
        "bs.bankstatementid = i.bankstatementid WHERE bs.statementtype = ? AND ";
    for (const char* type : {"I", "B"}) {
        SCOPED_TRACE(type);
        EXPECT_GT(scalar(lines + "i.partnerid IS NOT NULL AND i.credit > 0", {type}), 0);
        EXPECT_GT(scalar(lines + "i.partnerid IS NOT NULL AND i.debit > 0", {type}), 0);
        EXPECT_GT(scalar(lines + "i.partnerid IS NULL", {type}), 0);
    }
    for (const char* text : {"Provizija banke", "Isplata neto zarada%", "Porez na zarade%"})
        EXPECT_GT(scalar(lines + "i.partnerid IS NULL AND i.description LIKE ?", {"I", text}), 0)
            << text;
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM bankstatementitem WHERE partnerid IS NOT NULL AND "
                     "debit > 0 AND credit > 0"),
              0);

    // Closed work orders with costs of material, work and overhead, their production orders
    // linked to receipts of finished products; one order still open.
    EXPECT_EQ(s.errands,
              scalar("SELECT COUNT(*) FROM errand WHERE errandtype = 'R' AND status = 'z'"));
    EXPECT_GT(s.errands, 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM errand AS e WHERE e.errandtype = 'R' AND (SELECT "
                     "COUNT(DISTINCT LEFT(c.costtype, 1)) FROM errandcost AS c WHERE c.errandid "
                     "= e.errandid AND LEFT(c.costtype, 1) IN ('m', 'r', 'o')) <> 3"),
              0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM errand AS e WHERE e.errandtype = 'R' AND e.status = "
                     "'z' AND (SELECT COALESCE(SUM(f.debit), 0) FROM errand AS c JOIN "
                     "erranddocument AS ed ON ed.errandid = c.errandid JOIN document AS d ON "
                     "d.documentid = ed.documentid AND d.documenttype = 'G' AND d.status = 'p' "
                     "JOIN docfinitem AS f ON f.documentid = d.documentid WHERE c.parentid = "
                     "e.errandid AND c.errandtype = 'P') <= 0"),
              0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM errand WHERE errandtype = 'R' AND status <> 'z'"), 1);

    // Fixed-asset documents of every posted type, registered, with their lines; the
    // depreciation every month.
    EXPECT_EQ(s.assetDocuments, Count("fadocument"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM fadocument WHERE status = 'p' AND documenttype = "
                     "'O'"),
              12);
    for (const char* type : {"A", "R"})
        EXPECT_GT(scalar("SELECT COUNT(*) FROM fadocument WHERE status = 'p' AND documenttype = ?",
                         {type}),
                  0)
            << type;
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM fadocument AS f WHERE NOT EXISTS (SELECT 1 FROM "
                     "fadocumentitem AS i WHERE i.fadocumentid = f.fadocumentid)"),
              0);

    // Up to October posted, later waiting.
    const QString posted = QStringLiteral(
        "SELECT COUNT(*) FROM %1 AS s WHERE %3 AND s.%2 <= '2024-10-31' AND EXISTS (SELECT 1 "
        "FROM precept AS p WHERE p.foreigntable = '%1' AND p.foreignid = s.%1id)");
    EXPECT_EQ(scalar(posted.arg("bankstatement", "statementdate", "1 = 1")), s.statementsPosted);
    EXPECT_EQ(scalar(posted.arg("errand", "erranddate", "s.errandtype = 'R'")), s.errandsPosted);
    EXPECT_EQ(scalar(posted.arg("fadocument", "documentdate", "1 = 1")), s.assetDocumentsPosted);
    EXPECT_GT(s.statements, s.statementsPosted);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM bankstatement WHERE statementdate <= '2024-10-31'"),
              s.statementsPosted);

    // Money moves only through the posted statements now, and equipment depreciates only
    // through the asset documents: no voucher made by hand touches them after the opening.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM preceptitem AS pi JOIN precept AS p ON p.preceptid = "
                     "pi.preceptid JOIN accountnew AS an ON an.accountnewid = pi.accountnewid "
                     "WHERE p.foreigntable IS NULL AND p.precepttypeid <> 29 AND an.code IN "
                     "('2410', '2440', '2430', '0292', '0230', '0260')"),
              0);
    // The lines without partner, left on 2280, are assigned every posted month.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM precept AS p JOIN precepttype AS t ON "
                     "t.precepttypeid = p.precepttypeid WHERE t.name = 'Raspored plaćanja'"),
              10);
    EXPECT_EQ(scalar("SELECT ROUND(SUM(pi.debit - pi.credit) * 100) FROM preceptitem AS pi JOIN "
                     "accountnew AS an ON an.accountnewid = pi.accountnewid WHERE an.code = "
                     "'2280'"),
              0);
    // Registered up to September, as the documents' vouchers.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM precept WHERE foreigntable IS NOT NULL AND "
                     "preceptdate < '2024-10-01' AND status <> 'p'"),
              0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM (SELECT precepttypeid, number FROM precept GROUP BY "
                     "1, 2 HAVING COUNT(*) > 1) AS x"),
              0);
}

}  // namespace
}  // namespace fin::test
