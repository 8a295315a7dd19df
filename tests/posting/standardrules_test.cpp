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
    EXPECT_EQ(result.posted, demo.documents - demo.documentsPosted);
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
    const TAutoConterResult result = package.AutoConter().Execute(false, 0, {}, 0);
    EXPECT_EQ(result.posted, demo.documents - demo.documentsPosted + 60);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM (SELECT p.preceptid FROM precept AS p JOIN "
                     "preceptitem AS pi ON pi.preceptid = p.preceptid WHERE p.foreigntable = "
                     "'document' GROUP BY p.preceptid HAVING ROUND(SUM(pi.debit) - "
                     "SUM(pi.credit), 2) <> 0) AS x"),
              0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM precept AS p WHERE p.foreigntable = 'document' AND "
                     "NOT EXISTS (SELECT 1 FROM preceptitem AS pi WHERE pi.preceptid = "
                     "p.preceptid)"),
              0);
}

}  // namespace
}  // namespace fin::test
