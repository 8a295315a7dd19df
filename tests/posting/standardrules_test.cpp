#include "posting/standardrules.h"
#include "console/demo/demo.h"
#include "console/standins/bank.h"
#include "posting/autoconter.h"
#include "posting/documentconter.h"
#include "posting/postingpackage.h"
#include "tests/ledger/ledgertest.h"

namespace fin::test {
namespace {

class StandardRules : public TLedgerTest {
protected:
    // Sum of one side of the lines of a document's voucher on an account.
    double Side(qint64 document, const QString& code, const char* side) {
        return Db()
            .SelectValue(QStringLiteral("SELECT COALESCE(SUM(pi.%1), 0) FROM preceptitem AS pi "
                                        "JOIN precept AS p ON p.preceptid = pi.preceptid JOIN "
                                        "accountnew AS an ON an.accountnewid = pi.accountnewid "
                                        "WHERE p.foreigntable = 'document' AND p.foreignid = ? "
                                        "AND an.code = ?")
                             .arg(QLatin1String(side)),
                         {document, code})
            .toDouble();
    }
    int Scalar(const QString& sql, const QVariantList& params = {}) {
        return Db().SelectValue(sql, params).toInt();
    }
};

TEST_F(StandardRules, EveryDocumentTypePostsABalancedVoucherWithItsSubaccounts) {
    TDemoOptions options;
    options.vouchers = 150;
    const TDemoSummary demo = MakeDemoCompany(Db(), options);
    ASSERT_EQ(Scalar("SELECT COUNT(DISTINCT documenttype) FROM document"),
              TDocumentAutomat::PostedTypes().size());
    const int rules = Scalar("SELECT COUNT(*) FROM financialini WHERE module = 'Dokument'");
    ASSERT_GT(rules, 0);

    // The demo posted up to October; the rest is posted here by the same rules.
    dm->LoadOptions();
    auto bank = std::make_shared<TBankModule>(Db());
    dm->BankLookup = [bank] { return bank; };
    TPostingPackage package(*dm);
    EXPECT_EQ(InstallStandardRules(*dm), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM financialini WHERE module = 'Dokument'"), rules);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ini WHERE section = 'Dokument'"),
              TDocumentAutomat::PostedTypes().size());
    dm->AutoToDate = QDate(2024, 12, 31);
    const TAutoConterResult result = package.AutoConter().Execute(false, 0, {}, 0);
    EXPECT_EQ(result.posted, demo.documents - demo.documentsPosted + demo.statements -
                                 demo.statementsPosted + demo.errands - demo.errandsPosted +
                                 demo.assetDocuments - demo.assetDocumentsPosted);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();

    // One voucher per document, of the document type's voucher type, with lines that
    // balance to the cent.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM document AS d LEFT JOIN precept AS p ON "
                     "p.foreigntable = 'document' AND p.foreignid = d.documentid WHERE "
                     "p.preceptid IS NULL"),
              0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM (SELECT p.preceptid FROM precept AS p LEFT JOIN "
                     "preceptitem AS pi ON pi.preceptid = p.preceptid GROUP BY p.preceptid "
                     "HAVING ROUND(COALESCE(SUM(pi.debit), 0) - COALESCE(SUM(pi.credit), 0), 2) "
                     "<> 0) AS x"),
              0);
    const std::pair<const char*, int> voucherTypes[] = {
        {"A", 18}, {"C", 20}, {"F", 21}, {"G", 10}, {"I", 8}, {"K", 2},
        {"L", 14}, {"M", 7},  {"N", 4},  {"Q", 17}, {"R", 3}, {"S", 11},
        {"T", 9},  {"U", 1},  {"V", 13}, {"W", 22}, {"Z", 12}};
    for (const auto& [type, voucherType] : voucherTypes) {
        SCOPED_TRACE(type);
        // No type is silently without rules: each one's vouchers have lines.
        EXPECT_GT(Scalar("SELECT COUNT(*) FROM preceptitem AS pi JOIN precept AS p ON "
                         "p.preceptid = pi.preceptid JOIN document AS d ON p.foreigntable = "
                         "'document' AND p.foreignid = d.documentid WHERE d.documenttype = ?",
                         {QString::fromLatin1(type)}),
                  0);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM precept AS p JOIN document AS d ON "
                         "p.foreigntable = 'document' AND p.foreignid = d.documentid WHERE "
                         "d.documenttype = ? AND p.precepttypeid <> ?",
                         {QString::fromLatin1(type), voucherType}),
                  0);
    }

    // Every line on an account with sub-accounts names one: the document's partner on the
    // partner accounts (a carrier on a purchase's dependent costs), its warehouses on the
    // goods accounts.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM preceptitem AS pi JOIN precept AS p ON p.preceptid = "
                     "pi.preceptid JOIN accountnew AS an ON an.accountnewid = pi.accountnewid "
                     "WHERE p.foreigntable = 'document' AND an.type IS NOT NULL AND "
                     "COALESCE(pi.foreignid, 0) = 0"),
              0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM preceptitem AS pi JOIN precept AS p ON p.preceptid = "
                     "pi.preceptid JOIN document AS d ON d.documentid = p.foreignid JOIN "
                     "accountnew AS an ON an.accountnewid = pi.accountnewid WHERE "
                     "p.foreigntable = 'document' AND an.type = 'partner' AND pi.foreignid <> "
                     "d.partnerid AND NOT (d.documenttype IN ('K', 'C') AND pi.foreignid IN "
                     "(SELECT partnerid FROM documentcost WHERE documentid = d.documentid))"),
              0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM preceptitem AS pi JOIN precept AS p ON p.preceptid = "
                     "pi.preceptid JOIN document AS d ON d.documentid = p.foreignid JOIN "
                     "accountnew AS an ON an.accountnewid = pi.accountnewid WHERE "
                     "p.foreigntable = 'document' AND an.type = 'warehouse' AND pi.foreignid <> "
                     "d.warehouseid AND pi.foreignid <> COALESCE(d.inwarehouseid, 0)"),
              0);

    // Amounts against the documents themselves: an invoice's customer owes its lines with
    // their tax, a shop's takings come to what was paid, a transfer into a shop charges it.
    const qint64 invoice =
        Db().SelectValue(
                "SELECT MIN(d.documentid) FROM document AS d WHERE d.documenttype = "
                "'R' AND d.documentcurrency = 'RSD' AND NOT EXISTS (SELECT 1 FROM "
                "documentdoc AS dd WHERE dd.relateddocumentid = d.documentid) AND NOT "
                "EXISTS (SELECT 1 FROM documentretailpayment AS rp WHERE rp.documentid "
                "= d.documentid)")
            .toLongLong();
    ASSERT_GT(invoice, 0);
    const double lines =
        Db().SelectValue("SELECT SUM(itemvalue) FROM documentitem WHERE documentid = ?", {invoice})
            .toDouble();
    const double tax =
        Db().SelectValue("SELECT COALESCE(SUM(vat), 0) FROM vatitem WHERE documentid = ?",
                         {invoice})
            .toDouble();
    EXPECT_NEAR(Side(invoice, "2040", "debit"), lines + tax, 0.005);
    EXPECT_NEAR(Side(invoice, "6040", "credit") + Side(invoice, "6140", "credit"), lines, 0.005);
    EXPECT_NEAR(Side(invoice, "4700", "credit") + Side(invoice, "4710", "credit"), tax, 0.005);
    EXPECT_NEAR(
        Side(invoice, "5010", "debit") + Side(invoice, "6310", "debit"),
        Db().SelectValue("SELECT SUM(credit) FROM docfinitem WHERE documentid = ?", {invoice})
            .toDouble(),
        0.005);

    const qint64 retail =
        Db().SelectValue("SELECT MIN(documentid) FROM document WHERE documenttype = 'M'")
            .toLongLong();
    const double paid = Db().SelectValue(
                                "SELECT cashincome + chequeincome + cardincome FROM "
                                "documentretailpayment WHERE documentid = ?",
                                {retail})
                            .toDouble();
    EXPECT_GT(paid, 0);
    EXPECT_NEAR(Side(retail, "2430", "debit") + Side(retail, "2480", "debit"), paid, 0.005);
    EXPECT_NEAR(Side(retail, "1340", "credit"), paid, 0.005);

    // An invoice paid on the spot leaves the customer owing nothing.
    const qint64 cashSale =
        Db().SelectValue(
                "SELECT MIN(d.documentid) FROM document AS d JOIN documentretailpayment "
                "AS rp ON rp.documentid = d.documentid WHERE d.documenttype = 'R' AND "
                "NOT EXISTS (SELECT 1 FROM documentdoc AS dd WHERE dd.relateddocumentid "
                "= d.documentid)")
            .toLongLong();
    ASSERT_GT(cashSale, 0);
    EXPECT_GT(Side(cashSale, "2430", "debit"), 0);
    EXPECT_NEAR(Side(cashSale, "2040", "debit"), Side(cashSale, "2040", "credit"), 0.005);

    const qint64 transfer = Db().SelectValue(
                                    "SELECT MIN(d.documentid) FROM document AS d JOIN "
                                    "warehouse AS w ON w.warehouseid = d.inwarehouseid "
                                    "WHERE d.documenttype = 'I' AND w.pricetype = 'm'")
                                .toLongLong();
    ASSERT_GT(transfer, 0);
    EXPECT_NEAR(
        Side(transfer, "1320", "credit"),
        Db().SelectValue("SELECT SUM(credit) FROM docfinitem WHERE documentid = ?", {transfer})
            .toDouble(),
        0.005);
    EXPECT_GT(Side(transfer, "1340", "debit"), Side(transfer, "1320", "credit"));
}

TEST_F(StandardRules, GeneratedDocumentsOnAGrownCompanyPostBalanced) {
    TDemoOptions options;
    options.vouchers = 40;
    const TDemoSummary demo = MakeDemoCompany(Db(), options);
    TDemoDocumentsOptions more;
    more.documents = 60;
    more.from = QDate(2024, 12, 1);
    more.to = QDate(2024, 12, 15);
    more.partners = 50;
    more.products = 70;
    more.categories = 12;
    more.seed = 7;
    const int before = Scalar("SELECT MAX(documentid) FROM document");
    const TDemoDocumentsSummary added = MakeDemoDocuments(Db(), more);
    EXPECT_EQ(added.documents, 60);
    EXPECT_EQ(added.partners, 50);
    EXPECT_EQ(added.products, 70);
    EXPECT_EQ(added.categories, 12);
    EXPECT_EQ(Count("partner"), 50);
    EXPECT_EQ(Count("document"), demo.documents + 60);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM document WHERE documentid > ? AND documentdate "
                     "BETWEEN '2024-12-01' AND '2024-12-15'",
                     {before}),
              60);
    // Numbers go on from the company's own, so no two documents of a type share one.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM (SELECT documenttype, number FROM document GROUP BY "
                     "documenttype, number HAVING COUNT(*) > 1) AS x"),
              0);

    dm->LoadOptions();
    auto bank = std::make_shared<TBankModule>(Db());
    dm->BankLookup = [bank] { return bank; };
    TPostingPackage package(*dm);
    dm->AutoToDate = QDate(2024, 12, 31);
    // The added advances came with their payments on statements, which wait too.
    const auto waiting = package.AutoConter().Waiting(0, {});
    const auto documents = std::count_if(waiting.begin(), waiting.end(), [](const auto& w) {
        return w.module == QLatin1String("Dokument");
    });
    EXPECT_EQ(documents, demo.documents - demo.documentsPosted + 60);
    const TAutoConterResult result = package.AutoConter().Execute(false, 0, {}, 0);
    EXPECT_EQ(result.posted, waiting.size());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM (SELECT p.preceptid FROM precept AS p JOIN "
                     "preceptitem AS pi ON pi.preceptid = p.preceptid WHERE p.foreigntable "
                     "IS NOT NULL GROUP BY p.preceptid HAVING ROUND(SUM(pi.debit) - "
                     "SUM(pi.credit), 2) <> 0) AS x"),
              0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM precept AS p WHERE p.foreigntable = 'document' AND "
                     "NOT EXISTS (SELECT 1 FROM preceptitem AS pi WHERE pi.preceptid = "
                     "p.preceptid)"),
              0);
}

}  // namespace
}  // namespace fin::test

namespace fin::test {
namespace {

// The voucher lines of the module's vouchers on an account: " AND <condition>" on pi, an, p.
const char* const kLinesOn =
    "FROM preceptitem AS pi JOIN accountnew AS an ON an.accountnewid = pi.accountnewid WHERE "
    "pi.preceptid = p.preceptid AND an.code = ";

TEST_F(StandardRules, StatementsWorkOrdersAndAssetDocumentsPostBalancedVouchersOfTheirTypes) {
    const TDemoSummary demo = MakeDemoCompany(Db());
    ASSERT_GT(demo.statements, demo.statementsPosted);
    ASSERT_GT(demo.errands, demo.errandsPosted);
    ASSERT_GT(demo.assetDocuments, demo.assetDocumentsPosted);

    // Installed again, nothing is added, and every kind has its voucher type.
    dm->LoadOptions();
    auto bank = std::make_shared<TBankModule>(Db());
    dm->BankLookup = [bank] { return bank; };
    TPostingPackage package(*dm);
    const int rules = Scalar("SELECT COUNT(*) FROM financialini");
    EXPECT_EQ(InstallStandardRules(*dm), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM financialini"), rules);
    for (const auto& [module, rows] :
         {std::pair{"Banka", 16}, std::pair{"Proizvodnja", 6}, std::pair{"Osnovna sredstva", 9}})
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM financialini WHERE module = ?", {module}), rows)
            << module;
    EXPECT_EQ(Db().Select("SELECT section, name, value FROM ini WHERE section IN ('Banka', "
                          "'Proizvodnja', 'Osnovna sredstva') ORDER BY section, name")
                  .rows,
              (QVector<QVariantList>{{"Banka", "B", "6"},
                                     {"Banka", "I", "5"},
                                     {"Osnovna sredstva", "A", "16"},
                                     {"Osnovna sredstva", "O", "16"},
                                     {"Osnovna sredstva", "R", "16"},
                                     {"Proizvodnja", "R", "15"}}));

    // Up to October one voucher each, of the kind's type; the later ones wait.
    struct TSource {
        const char* table;
        const char* date;
        const char* where;
        const char* type;  // the voucher type, of s
    };
    const TSource sources[] = {
        {"bankstatement", "statementdate", "1 = 1",
         "CASE s.statementtype WHEN 'I' THEN 5 ELSE 6 END"},
        {"errand", "erranddate", "s.errandtype = 'R' AND s.status = 'z'", "15"},
        {"fadocument", "documentdate", "s.status = 'p' AND s.documenttype IN ('A', 'R', 'O')",
         "16"},
    };
    auto check = [&](const QDate& postedTo) {
        for (const TSource& t : sources) {
            SCOPED_TRACE(t.table);
            const QString from = QStringLiteral("FROM %1 AS s WHERE %2 AND ").arg(t.table, t.where);
            const QString vouchers = QStringLiteral(
                                         "(SELECT COUNT(*) FROM precept AS p WHERE "
                                         "p.foreigntable = '%1' AND p.foreignid = s.%1id)")
                                         .arg(t.table);
            EXPECT_GT(Scalar("SELECT COUNT(*) " + from + "s." + t.date + " <= ?", {postedTo}), 0);
            EXPECT_EQ(Scalar("SELECT COUNT(*) " + from + "s." + t.date + " <= ? AND " + vouchers +
                                 " <> 1",
                             {postedTo}),
                      0);
            EXPECT_EQ(
                Scalar("SELECT COUNT(*) " + from + "s." + t.date + " > ? AND " + vouchers + " > 0",
                       {postedTo}),
                0);
            EXPECT_EQ(Scalar(QStringLiteral("SELECT COUNT(*) FROM %1 AS s JOIN precept AS p ON "
                                            "p.foreigntable = '%1' AND p.foreignid = s.%1id "
                                            "WHERE p.precepttypeid <> %2")
                                 .arg(t.table, t.type)),
                      0);
        }
        // Every voucher balances to the cent and has lines.
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM (SELECT p.preceptid FROM precept AS p LEFT JOIN "
                         "preceptitem AS pi ON pi.preceptid = p.preceptid GROUP BY p.preceptid "
                         "HAVING COUNT(pi.preceptitemid) = 0 OR ROUND(SUM(pi.debit) - "
                         "SUM(pi.credit), 2) <> 0) AS x"),
                  0);
    };
    check(QDate(2024, 10, 31));

    // The lines without partner the posting left on 2280 are assigned by the demo's own
    // vouchers month by month, to the cent.
    EXPECT_GT(Scalar("SELECT COUNT(*) FROM preceptitem AS pi JOIN accountnew AS an ON "
                     "an.accountnewid = pi.accountnewid JOIN precept AS p ON p.preceptid = "
                     "pi.preceptid WHERE an.code = '2280' AND p.foreigntable = 'bankstatement'"),
              0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM (SELECT MONTH(p.preceptdate) FROM preceptitem AS pi "
                     "JOIN accountnew AS an ON an.accountnewid = pi.accountnewid JOIN precept AS "
                     "p ON p.preceptid = pi.preceptid WHERE an.code = '2280' GROUP BY 1 HAVING "
                     "ROUND(SUM(pi.debit - pi.credit), 2) <> 0) AS x"),
              0);

    dm->AutoToDate = QDate(2024, 12, 31);
    const TAutoConterResult result = package.AutoConter().Execute(false, 0, {}, 0);
    EXPECT_EQ(result.posted, demo.documents - demo.documentsPosted + demo.statements -
                                 demo.statementsPosted + demo.errands - demo.errandsPosted +
                                 demo.assetDocuments - demo.assetDocumentsPosted);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
    check(QDate(2024, 12, 31));

    // Statements: each line of the statement makes one line; partners on their accounts,
    // the company's account by its sub-account on 2410, in euros on 2440, the cash box on
    // 2430; the money account takes the totals on the opposite sides.
    const QString statementVouchers =
        "FROM bankstatement AS bs JOIN precept AS p ON p.foreigntable = 'bankstatement' AND "
        "p.foreignid = bs.bankstatementid ";
    EXPECT_EQ(Scalar("SELECT COUNT(*) " + statementVouchers +
                     "JOIN preceptitem AS pi ON pi.preceptid = p.preceptid JOIN accountnew AS an "
                     "ON an.accountnewid = pi.accountnewid WHERE an.code NOT IN ('2410', '2440', "
                     "'2430')"),
              Scalar("SELECT COUNT(*) FROM bankstatementitem"));
    EXPECT_EQ(Scalar("SELECT COUNT(*) " + statementVouchers +
                     "JOIN preceptitem AS pi ON pi.preceptid = p.preceptid JOIN accountnew AS an "
                     "ON an.accountnewid = pi.accountnewid WHERE an.type IS NOT NULL AND "
                     "COALESCE(pi.foreignid, 0) = 0"),
              0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) " + statementVouchers +
                     "JOIN preceptitem AS pi ON pi.preceptid = p.preceptid JOIN accountnew AS an "
                     "ON an.accountnewid = pi.accountnewid WHERE an.type = 'partner' AND NOT "
                     "EXISTS (SELECT 1 FROM bankstatementitem AS i WHERE i.bankstatementid = "
                     "bs.bankstatementid AND i.partnerid = pi.foreignid)"),
              0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) " + statementVouchers +
                     "JOIN preceptitem AS pi ON pi.preceptid = p.preceptid JOIN accountnew AS an "
                     "ON an.accountnewid = pi.accountnewid WHERE (an.code = '2410' AND "
                     "(bs.currency <> 'RSD' OR pi.foreignid <> bs.bankaccountid)) OR (an.code "
                     "= '2440' AND (bs.currency <> 'EUR' OR pi.foreignid <> bs.bankaccountid)) "
                     "OR (an.code = '2430' AND bs.statementtype <> 'B') OR (an.code IN "
                     "('2410', '2440') AND bs.statementtype <> 'I')"),
              0);
    ASSERT_GT(Scalar("SELECT COUNT(*) FROM bankstatement WHERE currency = 'EUR'"), 0);
    const QString side = QStringLiteral(
        "SELECT COUNT(*) %1 WHERE %6 AND ABS((SELECT COALESCE(SUM(pi.%2), 0) %3 %4) - (SELECT "
        "COALESCE(SUM(i.%5), 0) FROM bankstatementitem AS i WHERE i.bankstatementid = "
        "bs.bankstatementid) * COALESCE((SELECT ce.code1amount FROM currencyexchange AS ce WHERE "
        "bs.currency = 'EUR' AND ce.exchangelistid = bs.exchangelistid), 1)) > 0.005");
    for (const auto& [money, which] :
         {std::pair{"'2410'", "bs.statementtype = 'I' AND bs.currency = 'RSD'"},
          std::pair{"'2440'", "bs.statementtype = 'I' AND bs.currency = 'EUR'"},
          std::pair{"'2430'", "bs.statementtype = 'B'"}}) {
        SCOPED_TRACE(money);
        EXPECT_EQ(Scalar(side.arg(statementVouchers, "debit", kLinesOn, money, "credit", which)),
                  0);
        EXPECT_EQ(Scalar(side.arg(statementVouchers, "credit", kLinesOn, money, "debit", which)),
                  0);
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM preceptitem AS pi JOIN accountnew AS an ON "
                     "an.accountnewid = pi.accountnewid WHERE an.code = '2280' AND "
                     "COALESCE(pi.foreignid, 0) <> 0"),
              0);

    // An advance received was posted against its customer by the bank; its invoice moves
    // the payment to the advances received, an advance paid to the advances given.
    const QString advance = QStringLiteral(
        "SELECT COUNT(*) FROM document AS d JOIN precept AS p ON p.foreigntable = 'document' "
        "AND p.foreignid = d.documentid WHERE d.documenttype = '%1' AND ABS((SELECT "
        "COALESCE(SUM(pi.%2), 0) %3 '%4' AND pi.foreignid = d.partnerid) - (SELECT "
        "COALESCE(SUM(i.%5), 0) FROM bankstatementitem AS i WHERE i.documentid = d.documentid)) "
        "> 0.005");
    ASSERT_GT(Scalar("SELECT COUNT(*) FROM document WHERE documenttype IN ('A', 'Q')"), 0);
    EXPECT_EQ(Scalar(advance.arg("A", "debit", kLinesOn, "2040", "credit")), 0);
    EXPECT_EQ(Scalar(advance.arg("A", "credit", kLinesOn, "4300", "credit")), 0);
    EXPECT_EQ(Scalar(advance.arg("Q", "debit", kLinesOn, "1500", "debit")), 0);
    EXPECT_EQ(Scalar(advance.arg("Q", "credit", kLinesOn, "4350", "debit")), 0);

    // A work order: its costs into work in progress, the finished products of its
    // production orders out of it.
    const QString errand = QStringLiteral(
        "SELECT COUNT(*) FROM errand AS e JOIN precept AS p ON p.foreigntable = 'errand' AND "
        "p.foreignid = e.errandid WHERE ABS((SELECT COALESCE(SUM(pi.%1), 0) %2 '%3') - (%4)) > "
        "0.005");
    const QString costs =
        "SELECT COALESCE(SUM(ROUND(c.value * c.coef, 2)), 0) FROM errandcost AS c WHERE "
        "c.errandid = e.errandid AND LEFT(c.costtype, 1) IN ('m', 'r', 'o')";
    const QString finished =
        "SELECT COALESCE(SUM(f.debit), 0) FROM docfinitem AS f JOIN erranddocument AS ed ON "
        "ed.documentid = f.documentid JOIN errand AS c ON c.errandid = ed.errandid WHERE "
        "c.parentid = e.errandid AND c.errandtype = 'P'";
    EXPECT_GT(Scalar("SELECT COUNT(*) FROM precept WHERE foreigntable = 'errand'"), 0);
    EXPECT_EQ(Scalar(errand.arg("debit", kLinesOn, "1100", costs)), 0);
    EXPECT_EQ(Scalar(errand.arg("credit", kLinesOn, "6300", costs)), 0);
    EXPECT_EQ(Scalar(errand.arg("debit", kLinesOn, "6310", finished)), 0);
    EXPECT_EQ(Scalar(errand.arg("credit", kLinesOn, "1100", finished)), 0);
    EXPECT_GT(Scalar("SELECT COUNT(*) FROM precept AS p JOIN preceptitem AS pi ON pi.preceptid = "
                     "p.preceptid JOIN accountnew AS an ON an.accountnewid = pi.accountnewid "
                     "WHERE p.foreigntable = 'errand' AND an.code = '6310'"),
              0);

    // Fixed assets: activation out of equipment being prepared, write-off at a loss of its
    // book value, depreciation as a cost.
    const QString asset = QStringLiteral(
        "SELECT COUNT(*) FROM fadocument AS f JOIN precept AS p ON p.foreigntable = "
        "'fadocument' AND p.foreignid = f.fadocumentid WHERE f.documenttype = '%1' AND "
        "ABS((SELECT COALESCE(SUM(pi.%2), 0) %3 '%4') - (SELECT COALESCE(SUM(%5), 0) FROM "
        "fadocumentitem AS i WHERE i.fadocumentid = f.fadocumentid)) > 0.005");
    for (const char* type : {"A", "R", "O"})
        EXPECT_GT(Scalar("SELECT COUNT(*) FROM fadocument AS f JOIN precept AS p ON "
                         "p.foreigntable = 'fadocument' AND p.foreignid = f.fadocumentid WHERE "
                         "f.documenttype = ?",
                         {type}),
                  0)
            << type;
    EXPECT_EQ(Scalar(asset.arg("A", "debit", kLinesOn, "0230", "basevalue2 - basevalue")), 0);
    EXPECT_EQ(Scalar(asset.arg("A", "credit", kLinesOn, "0260", "basevalue2 - basevalue")), 0);
    EXPECT_EQ(Scalar(asset.arg("R", "credit", kLinesOn, "0230", "basevalue - basevalue2")), 0);
    EXPECT_EQ(
        Scalar(asset.arg("R", "debit", kLinesOn, "0292", "correctionvalue - correctionvalue2")), 0);
    EXPECT_EQ(Scalar(asset.arg("R", "debit", kLinesOn, "5700",
                               "basevalue - correctionvalue - basevalue2 + correctionvalue2")),
              0);
    EXPECT_EQ(
        Scalar(asset.arg("O", "debit", kLinesOn, "5400", "correctionvalue2 - correctionvalue")), 0);
    EXPECT_EQ(
        Scalar(asset.arg("O", "credit", kLinesOn, "0292", "correctionvalue2 - correctionvalue")),
        0);
}

TEST_F(StandardRules, BigStatementsAreAddedNumberedOnAndPostBalanced) {
    TDemoOptions options;
    options.vouchers = 40;
    MakeDemoCompany(Db(), options);
    const int before = Scalar("SELECT COUNT(*) FROM bankstatement");
    const int lastId = Scalar("SELECT MAX(bankstatementid) FROM bankstatement");
    TDemoStatementsOptions big;
    big.statements = 3;
    big.lines = 1000;
    big.from = QDate(2024, 12, 2);
    big.to = QDate(2024, 12, 20);
    const TDemoStatementsSummary added = MakeDemoStatements(Db(), big);
    EXPECT_EQ(added.statements, 3);
    EXPECT_EQ(added.lines, 3000);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM bankstatement"), before + 3);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM bankstatement AS bs WHERE bs.bankstatementid > ? AND "
                     "bs.statementtype = 'I' AND bs.statementdate BETWEEN '2024-12-02' AND "
                     "'2024-12-20' AND (SELECT COUNT(*) FROM bankstatementitem AS i WHERE "
                     "i.bankstatementid = bs.bankstatementid) = 1000 AND bs.bankaccountid IN "
                     "(SELECT bankaccountid FROM bankaccount WHERE partnerid IS NULL AND "
                     "currency = 'RSD')",
                     {lastId}),
              3);
    // Each account numbers its statements on; no number twice.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM (SELECT bankaccountid, number FROM bankstatement "
                     "WHERE statementtype = 'I' GROUP BY 1, 2 HAVING COUNT(*) > 1) AS x"),
              0);
    // Partners paying and paid, and lines without partner.
    EXPECT_GT(Scalar("SELECT COUNT(*) FROM bankstatementitem WHERE bankstatementid > ? AND "
                     "partnerid IS NOT NULL AND debit > 0",
                     {lastId}),
              0);
    EXPECT_GT(Scalar("SELECT COUNT(*) FROM bankstatementitem WHERE bankstatementid > ? AND "
                     "partnerid IS NOT NULL AND credit > 0",
                     {lastId}),
              0);
    EXPECT_GT(Scalar("SELECT COUNT(*) FROM bankstatementitem WHERE bankstatementid > ? AND "
                     "partnerid IS NULL",
                     {lastId}),
              0);

    dm->LoadOptions();
    TPostingPackage package(*dm);
    dm->AutoToDate = QDate(2024, 12, 31);
    const TAutoConterResult result =
        package.AutoConter().Execute(false, 50, QStringLiteral("I"), 0);
    EXPECT_GE(result.posted, 3);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM precept AS p WHERE p.foreigntable = 'bankstatement' "
                     "AND p.foreignid > ? AND (SELECT COUNT(*) FROM preceptitem AS pi WHERE "
                     "pi.preceptid = p.preceptid) >= 1001 AND (SELECT ROUND(SUM(pi.debit) - "
                     "SUM(pi.credit), 2) FROM preceptitem AS pi WHERE pi.preceptid = "
                     "p.preceptid) = 0",
                     {lastId}),
              3);
    EXPECT_THROW(MakeDemoStatements(Db(), {}), TError);
}

}  // namespace
}  // namespace fin::test
