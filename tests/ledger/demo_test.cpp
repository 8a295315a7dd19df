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

}  // namespace
}  // namespace fin::test
