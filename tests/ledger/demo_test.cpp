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
    dm->LoadFreeAccountTypes();
    EXPECT_FALSE(dm->GetTypeFromDesc(kDemoUserSubaccountType).isEmpty());
    EXPECT_GT(Count("subaccount_Putni_tros$kovi"), 0);

    const qint64 vouchers = Count("precept");
    EXPECT_THROW(MakeDemoCompany(Db(), options), TError);
    EXPECT_EQ(Count("precept"), vouchers);
}

}  // namespace
}  // namespace fin::test
