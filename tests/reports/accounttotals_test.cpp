#include "reports/accounttotals.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

using AccountTotals = TReportsTest;

const QDate kJan1(2024, 1, 1), kDec31(2024, 12, 31);

TEST_F(AccountTotals, CountRegisteredLinesByCodeSubaccountPeriodAndType) {
    const qint64 n2020 = NewAccount("2020", "Kupci u zemlji", "partner");
    const qint64 n2021 = NewAccount("2021", "Kupci u inostranstvu");
    const qint64 n2 = NewAccount("212", "Nije grupa 20");
    const qint64 o201 = OldAccount("201"), o2010 = OldAccount("2010"), o202 = OldAccount("202");

    const qint64 first = Voucher(kJan1);
    Line(first, n2020, 100, 0, 5, o2010);
    Line(first, n2020, 0, 30, 6, o201);
    Line(first, n2021, 50, 0, {}, o202);
    Line(first, n2, 7, 0);
    const qint64 last = Voucher(kDec31);
    Line(last, n2020, 0, 20, 5, o2010);
    Line(Voucher(QDate(2024, 6, 1), "n"), n2020, 1000, 0, 5, o2010);  // not registered
    Line(Voucher(QDate(2023, 12, 31)), n2020, 500, 0, 5, o2010);      // another year
    const qint64 typed = Voucher(QDate(2024, 5, 5), "p", AddType("88", "Kompenzacija"));
    Line(typed, n2021, 0, 8, {}, o202);

    auto newData = [&](const QString& code, qint64 sub, bool exact, const QString& t = {}) {
        return GetAccountNewData(Db(), code, sub, kJan1, kDec31, exact, t);
    };
    // Both bounds count; the unregistered voucher and the other year do not.
    EXPECT_DOUBLE_EQ(newData("2020", 0, true).debit, 100);
    EXPECT_DOUBLE_EQ(newData("2020", 0, true).credit, 50);
    // Prefix against exact: "202" is no account, but it covers 2020 and 2021 as a prefix.
    EXPECT_DOUBLE_EQ(newData("202", 0, true).debit, 0);
    EXPECT_DOUBLE_EQ(newData("202", 0, false).debit, 150);
    EXPECT_DOUBLE_EQ(GetAccountNewBalance(Db(), "20", 0, kJan1, kDec31), 150 - 58);
    // A sub-account narrows to that code and sub-account even without exact.
    EXPECT_DOUBLE_EQ(newData("2020", 5, false).Balance(), 80);
    EXPECT_DOUBLE_EQ(newData("202", 5, false).Balance(), 0);
    // Only vouchers of the type with that number.
    EXPECT_DOUBLE_EQ(newData("2021", 0, true, "88").credit, 8);
    EXPECT_DOUBLE_EQ(newData("2021", 0, true, "77").credit, 0);
    // A wildcard in a code is a character, not a pattern.
    EXPECT_DOUBLE_EQ(newData("2_", 0, false).debit, 0);
    EXPECT_DOUBLE_EQ(newData("%", 0, false).debit, 0);
    // A one-day period.
    EXPECT_DOUBLE_EQ(GetAccountNewData(Db(), "2020", 0, kDec31, kDec31, true).credit, 20);

    // Old chart: a code is a prefix unless a sub-account is asked for.
    EXPECT_DOUBLE_EQ(GetAccountData(Db(), "20", 0, kJan1, kDec31).Balance(),
                     100 - 30 + 50 - 20 - 8);
    EXPECT_DOUBLE_EQ(GetAccountBalance(Db(), "201", 0, kJan1, kDec31), 100 - 30 - 20);
    EXPECT_DOUBLE_EQ(GetAccountBalance(Db(), "201", 5, kJan1, kDec31), 0);
    EXPECT_DOUBLE_EQ(GetAccountBalance(Db(), "2010", 5, kJan1, kDec31), 80);

    // One statement for the whole chart gives what the per-account totals give.
    const TChartTotals oldTotals(Db(), TChart::Old, kJan1, kDec31);
    for (const char* code : {"20", "201", "2010", "202", "3"})
        EXPECT_DOUBLE_EQ(oldTotals.Of(code, true).Balance(),
                         GetAccountBalance(Db(), code, 0, kJan1, kDec31))
            << code;
    const TChartTotals newTotals(Db(), TChart::New, kJan1, kDec31);
    EXPECT_DOUBLE_EQ(newTotals.Of("2020", false).debit, 100);
    EXPECT_DOUBLE_EQ(newTotals.Of("202", false).debit, 0);
    const auto subs = SubaccountTotals(Db(), TChart::New, "2020", kJan1, kDec31);
    ASSERT_EQ(subs.size(), 2);
    EXPECT_DOUBLE_EQ(subs[5].Balance(), 80);
    EXPECT_DOUBLE_EQ(subs[6].credit, 30);
}

TEST_F(AccountTotals, PerAccountRowsNetSidesAndClassBalances) {
    const qint64 a = NewAccount("2020", "Kupci"), b = NewAccount("4350", "Dobavljači");
    const qint64 c = NewAccount("6040", "Prihodi");
    const qint64 v = Voucher(QDate(2024, 3, 1));
    Line(v, a, 100, 40, 1);  // debit side larger
    Line(v, a, 40, 100, 2);  // credit side larger
    Line(v, a, 70, 70, 3);   // equal
    Line(v, b, 0, 55);
    Line(v, c, 5, 0);
    Line(Voucher(QDate(2025, 1, 1)), c, 9, 0);

    const TFinAccounts gross =
        GetAccounts(Db(), 2024, TAccountFilter::Prefix(TChart::New, "20"), false, false);
    ASSERT_EQ(gross.size(), 3);
    EXPECT_EQ(gross[0].ForeignID, 1);
    EXPECT_DOUBLE_EQ(gross[0].Debit, 100);
    EXPECT_DOUBLE_EQ(gross[0].Credit, 40);
    EXPECT_EQ(gross[0].AccountID, a);
    EXPECT_EQ(gross[0].CodeNew, "2020");

    const TFinAccounts net = GetAccounts(Db(), 2024, {}, true, false);
    ASSERT_EQ(net.size(), 5);
    EXPECT_DOUBLE_EQ(net[0].Debit, 60);
    EXPECT_DOUBLE_EQ(net[0].Credit, 0);
    EXPECT_DOUBLE_EQ(net[1].Debit, 0);
    EXPECT_DOUBLE_EQ(net[1].Credit, 60);
    EXPECT_DOUBLE_EQ(net[2].Debit, 0);
    EXPECT_DOUBLE_EQ(net[2].Credit, 0);
    // All dates: the next year's line joins in.
    const TFinAccounts all =
        GetAccounts(Db(), 2024, TAccountFilter::Exact(TChart::New, "6040"), false, true);
    ASSERT_EQ(all.size(), 1);
    EXPECT_DOUBLE_EQ(all[0].Debit, 14);

    const auto classes = GetGroupBalance(GetAccountsOldNew(Db(), 2024, {}), true);
    EXPECT_DOUBLE_EQ(classes[2], 0);
    EXPECT_DOUBLE_EQ(classes[4], -55);
    EXPECT_DOUBLE_EQ(classes[6], 5);
    EXPECT_DOUBLE_EQ(classes[0] + classes[1] + classes[3] + classes[9], 0);

    TAccountFilter range = TAccountFilter::Group(TChart::New, "3", "4");
    range.Period(QDate(2024, 1, 1), QDate(2024, 12, 31));
    const TFinAccounts synth = GetSynthAccounts(Db(), range);
    ASSERT_EQ(synth.size(), 1);
    EXPECT_EQ(synth[0].Name, "Dobavljači");
    EXPECT_DOUBLE_EQ(synth[0].Credit, 55);
    EXPECT_DOUBLE_EQ(GetTurnover(Db(), TAccountFilter::Group(TChart::New, "2", "6")).debit,
                     100 + 40 + 70 + 5 + 9);
}

TEST_F(AccountTotals, PreviousYearBridgesTheChangeOfCharts) {
    const qint64 o201 = OldAccount("201"), o2010 = OldAccount("2010"), o300 = OldAccount("300");
    const qint64 n2040 = NewAccount("2040"), n2041 = NewAccount("2041"), n300 = NewAccount("300");
    const qint64 y2013 = Voucher(QDate(2013, 5, 1));
    Line(y2013, 0, 1000, 0, {}, o2010);
    Line(y2013, 0, 0, 300, {}, o201);
    Line(y2013, 0, 40, 0, {}, o300);
    // The opening vouchers of 2014 carried 2010 into 2040 and 201 into 2041.
    const qint64 opening = Voucher(QDate(2014, 1, 1), "p", 29);
    Line(opening, n2040, 700, 0, {}, o2010);
    Line(opening, n2041, 0, 0, {}, o201);
    Line(opening, n2041, 0, 0);  // no old account: counts nothing
    const QDate from(2014, 1, 1), to(2014, 12, 31);

    dm->Options().FinancialYear = 2014;
    dm->UsedOldCodes.clear();
    // Both new codes come from old 201: it counts once per fill.
    EXPECT_DOUBLE_EQ(GetAccountNewPrevBalance(*dm, "2040", 0, from, to), 700);
    EXPECT_DOUBLE_EQ(GetAccountNewPrevBalance(*dm, "2041", 0, from, to), 0);
    // A code carried by no opening voucher stands for the old code itself, once.
    EXPECT_DOUBLE_EQ(GetAccountNewPrevBalance(*dm, "300", 0, from, to), 40);
    EXPECT_DOUBLE_EQ(GetAccountNewPrevBalance(*dm, "300", 0, from, to), 0);
    // Short codes are old prefixes, not remembered.
    EXPECT_DOUBLE_EQ(GetAccountNewPrevBalance(*dm, "20", 0, from, to), 700);
    EXPECT_DOUBLE_EQ(GetAccountNewPrevBalance(*dm, "20", 0, from, to), 700);
    // A used longer code does not hide a shorter one that it begins with.
    dm->UsedOldCodes = QStringLiteral(",2010");
    EXPECT_DOUBLE_EQ(GetAccountNewPrevBalance(*dm, "2040", 0, from, to), 700);

    dm->Options().FinancialYear = 2013;
    EXPECT_DOUBLE_EQ(GetAccountNewPrevBalance(*dm, "2040", 0, from, to), 0);
    dm->Options().FinancialYear = 2015;
    EXPECT_DOUBLE_EQ(
        GetAccountNewPrevBalance(*dm, "2040", 0, QDate(2015, 1, 1), QDate(2015, 12, 31)), 700);
    EXPECT_DOUBLE_EQ(
        GetAccountNewPrevBalance(*dm, "204", 0, QDate(2015, 1, 1), QDate(2015, 12, 31)), 700);
    (void)n300;
}

}  // namespace
}  // namespace fin::test
