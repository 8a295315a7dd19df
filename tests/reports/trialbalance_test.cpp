#include "reports/trialbalance.h"

#include "console/demo/demo.h"
#include "host/common/rounding.h"
#include "host/data/dataset.h"
#include "reports/balanceplan.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

using TrialBalance = TReportsTest;

const QDate kJan1(2024, 1, 1), kDec31(2024, 12, 31);

TClassFilter Classes(const char* text) {
    return *TClassFilter::Parse(QString::fromLatin1(text));
}

const TBalanceRow* Find(const TBalanceRows& rows, const QString& number) {
    for (const TBalanceRow& r : rows)
        if (r.number == number)
            return &r;
    return nullptr;
}

QStringList Numbers(const TBalanceRows& rows) {
    QStringList n;
    for (const TBalanceRow& r : rows)
        n << r.number;
    return n;
}

// The nine amounts of a trial-balance row and the closing sheet's split, for comparing.
std::array<double, 11> Amounts(const TBalanceRow& r) {
    return {r.startdebit,   r.startcredit,       r.startbalance,      r.yeardebit,
            r.yearcredit,   r.yearbalance,       r.totaldebit,        r.totalcredit,
            r.totalbalance, r.totalbalancedebit, r.totalbalancecredit};
}

void ExpectSameRows(const TBalanceRows& actual, const TBalanceRows& expected, const char* what) {
    ASSERT_EQ(Numbers(actual), Numbers(expected)) << what;
    for (int i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].name, expected[i].name)
            << what << ' ' << actual[i].number.toStdString();
        EXPECT_EQ(actual[i].groupdescription, expected[i].groupdescription) << what;
        EXPECT_EQ(actual[i].itemid, i + 1) << what;
        const auto a = Amounts(actual[i]), e = Amounts(expected[i]);
        for (size_t k = 0; k < a.size(); ++k)
            EXPECT_NEAR(a[k], e[k], 0.005)
                << what << ' ' << actual[i].number.toStdString() << " amount " << k;
    }
}

// The class rows the trial balances append, summed again from the rows above them.
void ExpectClassRowsSumShownRows(const TBalanceRows& rows) {
    QMap<QString, std::array<double, 11>> sums;
    int firstClassRow = -1;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].groupdescription == kClassGroupCaption) {
            if (firstClassRow < 0)
                firstClassRow = i;
            continue;
        }
        ASSERT_LT(firstClassRow, 0) << "a row after the class recapitulation";
        auto& s = sums[rows[i].number.left(1)];
        const auto a = Amounts(rows[i]);
        for (int k = 0; k < 9; ++k)
            s[k] += a[k];
    }
    ASSERT_EQ(rows.size() - std::max(firstClassRow, 0), firstClassRow < 0 ? 0 : sums.size());
    int at = firstClassRow;
    for (auto it = sums.cbegin(); it != sums.cend(); ++it, ++at) {
        EXPECT_EQ(rows[at].number, it.key());
        EXPECT_EQ(rows[at].name, QStringLiteral("Klasa ") + it.key());
        const auto a = Amounts(rows[at]);
        for (int k = 0; k < 9; ++k)
            EXPECT_NEAR(a[k], (*it)[k], 0.005) << it.key().toStdString() << " amount " << k;
    }
}

TEST_F(TrialBalance, FramesWithOpeningLinesAloneAreListedAndEmptyOnesAreNot) {
    const qint64 opening = AddType(kOpeningTypeNumber, QStringLiteral("Početno stanje"));
    const qint64 cash = NewAccount("2410", "Tekući račun"), equity = NewAccount("3000", "Kapital");
    const qint64 buyers = NewAccount("2040", "Kupci"), sales = NewAccount("6040", "Prihodi");
    const qint64 costs = NewAccount("5010", "Nabavna vrednost");
    const qint64 off = NewAccount("9000", "Vanbilansno");
    NewAccount("0220", "Zgrade");  // in the chart, without a line: no row

    const qint64 open = Voucher(kJan1, "p", opening);
    Line(open, cash, 1000, 0);
    Line(open, equity, 0, 1000);
    const qint64 v = Voucher(QDate(2024, 3, 15));
    Line(v, buyers, 1200, 0);
    Line(v, sales, 0, 1200);
    Line(v, cash, 300, 0);
    Line(v, buyers, 0, 300);
    Line(v, costs, 700.004, 0);  // rounds to the same cent as 700
    Line(v, cash, 0, 700.004);
    Line(v, off, 50, 50);
    Line(Voucher(QDate(2024, 4, 1), "n"), buyers, 9999, 0);            // not registered
    Line(Voucher(QDate(2025, 1, 1)), buyers, 8888, 0);                 // after the period
    Line(Voucher(QDate(2024, 5, 1), "p", opening), equity, 0, 0.001);  // rounds to nothing

    TBalanceReports reports(*dm, TChart::New, kJan1, kDec31, TClassFilter{});
    const TBalanceRows synthetic = reports.SyntheticTrialBalance();
    // Class 9 is not ticked by default; 022 and 020 have no lines.
    EXPECT_EQ(Numbers(synthetic),
              QStringList({"204", "241", "300", "501", "604", "2", "3", "5", "6"}));
    const TBalanceRow* capital = Find(synthetic, "300");
    ASSERT_TRUE(capital);
    EXPECT_EQ(capital->name, QStringLiteral("Akcijski kapital"));  // the frame's description
    EXPECT_EQ(capital->groupdescription, kSyntheticGroupCaption);
    EXPECT_NEAR(capital->startcredit, 1000.001, 1e-9);
    EXPECT_NEAR(capital->startbalance, -1000.001, 1e-9);
    EXPECT_DOUBLE_EQ(capital->yeardebit, 0);
    EXPECT_DOUBLE_EQ(capital->yearcredit, 0);
    EXPECT_NEAR(capital->totalbalance, -1000.001, 1e-9);
    const TBalanceRow* bank = Find(synthetic, "241");
    ASSERT_TRUE(bank);
    EXPECT_DOUBLE_EQ(bank->startdebit, 1000);
    EXPECT_DOUBLE_EQ(bank->yeardebit, 300);
    EXPECT_NEAR(bank->yearcredit, 700.004, 1e-9);
    EXPECT_NEAR(bank->totalbalance, 600 - 0.004, 1e-9);
    ExpectClassRowsSumShownRows(synthetic);

    // The analytic balance lists every account with lines, the off-balance one when its
    // class is taken, even at a zero balance.
    TBalanceReports all(*dm, TChart::New, kJan1, kDec31, Classes("all"));
    const TBalanceRows analytic = all.AnalyticTrialBalance();
    EXPECT_EQ(Numbers(analytic), QStringList({"2040", "2410", "3000", "5010", "6040", "9000", "2",
                                              "3", "5", "6", "9"}));
    EXPECT_EQ(Find(analytic, "2040")->name, QStringLiteral("Kupci"));
    EXPECT_EQ(Find(analytic, "2040")->groupdescription, kAnalyticGroupCaption);
    EXPECT_DOUBLE_EQ(Find(analytic, "9000")->totalbalance, 0);
    EXPECT_DOUBLE_EQ(Find(analytic, "2410")->startdebit, 1000);
    EXPECT_DOUBLE_EQ(Find(analytic, "2410")->yeardebit, 300);
    ExpectClassRowsSumShownRows(analytic);
    ExpectClassRowsSumShownRows(all.SyntheticTrialBalance());

    // Only classes 2 and 6; and with no class ticked nothing at all (the "A" rule).
    TBalanceReports some(*dm, TChart::New, kJan1, kDec31, Classes("2,6"));
    EXPECT_EQ(Numbers(some.SyntheticTrialBalance()), QStringList({"204", "241", "604", "2", "6"}));
    TClassFilter none;
    none.classes.fill(false);
    TBalanceReports nothing(*dm, TChart::New, kJan1, kDec31, none);
    EXPECT_TRUE(nothing.SyntheticTrialBalance().isEmpty());
    EXPECT_TRUE(nothing.AnalyticTrialBalance().isEmpty());
    EXPECT_TRUE(nothing.ClosingSheet().isEmpty());
    EXPECT_TRUE(nothing.AnalyticClosingSheet().isEmpty());

    // A period with no lines, and one whose end comes before its start: empty tables.
    TBalanceReports empty(*dm, TChart::New, QDate(2023, 1, 1), QDate(2023, 12, 31), {});
    EXPECT_TRUE(empty.SyntheticTrialBalance().isEmpty());
    EXPECT_TRUE(empty.ClosingSheet().isEmpty());
    TBalanceReports backwards(*dm, TChart::New, kDec31, kJan1, {});
    EXPECT_TRUE(backwards.AnalyticTrialBalance().isEmpty());
}

TEST_F(TrialBalance, ClosingSheetsListDetailFirstSplitBalancesAndTotalTheClasses) {
    const qint64 opening = AddType(kOpeningTypeNumber);
    const qint64 buyers = NewAccount("2040", "Kupci u zemlji", "partner");
    const qint64 buyersAbroad = NewAccount("2041", "Kupci u inostranstvu", "partner");
    const qint64 cash = NewAccount("2410", "Tekući račun");
    const qint64 suppliers = NewAccount("4350", "Dobavljači", "partner");
    const qint64 sales = NewAccount("6040", "Prihodi od prodaje");
    for (const char* name : {"Alfa", "Beta", "Gama"})
        Db().Execute(QStringLiteral("INSERT INTO partner (name) VALUES (?)"),
                     {QString::fromLatin1(name)});
    const auto partner = [&](const char* name) {
        return Db()
            .SelectValue(QStringLiteral("SELECT partnerid FROM partner WHERE name = ?"),
                         {QString::fromLatin1(name)})
            .toLongLong();
    };
    const qint64 alfa = partner("Alfa"), beta = partner("Beta"), gama = partner("Gama");

    const qint64 open = Voucher(kJan1, "p", opening);
    Line(open, cash, 500, 0);
    Line(open, suppliers, 0, 500, gama);
    const qint64 v = Voucher(QDate(2024, 6, 30));
    Line(v, buyers, 1000, 0, gama);
    Line(v, buyers, 200, 0, alfa);
    Line(v, buyers, 0, 200, beta);  // Beta's lines cancel: Beta has amounts, not a balance
    Line(v, buyers, 200, 0, beta);
    Line(v, buyersAbroad, 0, 0, alfa);  // nothing at all: neither the sub-account nor 2041
    Line(v, sales, 0, 1200);
    Line(v, suppliers, 300, 0, gama);
    Line(v, cash, 0, 300);

    TBalanceReports reports(*dm, TChart::New, kJan1, kDec31, Classes("all"));
    const TBalanceRows sheet = reports.ClosingSheet();
    // Within a class: each group after its synthetic frames, the class after its groups.
    EXPECT_EQ(Numbers(sheet), QStringList({"204", "20", "241", "24", "2", "435", "43", "4", "604",
                                           "60", "6", "2", "4", "6", ""}));
    const TBalanceRow* frame435 = Find(sheet, "435");
    ASSERT_TRUE(frame435);
    EXPECT_EQ(frame435->groupdescription, QStringLiteral("Klasa 4"));
    // A credit balance fills only "Saldo potražuje".
    EXPECT_DOUBLE_EQ(frame435->startcredit, 500);
    EXPECT_DOUBLE_EQ(frame435->yeardebit, 300);
    EXPECT_DOUBLE_EQ(frame435->totalbalancedebit, 0);
    EXPECT_DOUBLE_EQ(frame435->totalbalancecredit, 200);
    EXPECT_DOUBLE_EQ(Find(sheet, "204")->totalbalancedebit, 1200);
    EXPECT_DOUBLE_EQ(Find(sheet, "204")->totalbalancecredit, 0);
    // "UKUPNO" adds up the class rows only: every amount once, debit equal to credit.
    const TBalanceRow& total = sheet.last();
    EXPECT_EQ(total.name, kTotalCaption);
    EXPECT_EQ(total.groupdescription, kClassGroupCaption);
    EXPECT_DOUBLE_EQ(total.startdebit, 500);
    EXPECT_DOUBLE_EQ(total.startcredit, 500);
    EXPECT_DOUBLE_EQ(total.totaldebit, 500 + 1000 + 200 + 200 + 300);
    EXPECT_DOUBLE_EQ(total.totalcredit, total.totaldebit);
    EXPECT_DOUBLE_EQ(total.totalbalancedebit, 1200 + 200);
    EXPECT_DOUBLE_EQ(total.totalbalancecredit, 200 + 1200);
    EXPECT_EQ(sheet[sheet.size() - 2].name, QStringLiteral("PRIHODI"));

    // The analytic sheet: sub-accounts in the partners' order before their account, accounts
    // before their synthetic frame.
    const TBalanceRows analytic = reports.AnalyticClosingSheet();
    const QString a = QString::number(alfa), b = QString::number(beta), g = QString::number(gama);
    EXPECT_EQ(
        Numbers(analytic),
        QStringList({"2040-" + a, "2040-" + b, "2040-" + g, "2040", "204", "20", "2410", "241",
                     "24",        "2",         "4350-" + g, "4350", "435", "43", "4",    "6040",
                     "604",       "60",        "6",         "2",    "4",   "6",  ""}));
    const TBalanceRow* beta2040 = Find(analytic, "2040-" + b);
    EXPECT_EQ(beta2040->name, QStringLiteral("Beta"));
    EXPECT_EQ(beta2040->groupdescription, QStringLiteral("Klasa 2"));
    EXPECT_DOUBLE_EQ(beta2040->totaldebit, 200);
    EXPECT_DOUBLE_EQ(beta2040->totalbalancedebit, 0);
    EXPECT_DOUBLE_EQ(Find(analytic, "4350-" + g)->totalbalancecredit, 200);
    EXPECT_DOUBLE_EQ(analytic.last().totaldebit, total.totaldebit);

    // The class filter takes the frames of the ticked classes and their recapitulation only.
    TBalanceReports four(*dm, TChart::New, kJan1, kDec31, Classes("4"));
    EXPECT_EQ(Numbers(four.ClosingSheet()), QStringList({"435", "43", "4", "4", ""}));

    // A frame table without classes gives no recapitulation and no total.
    Db().Execute(QStringLiteral("DELETE FROM accountframenew WHERE LENGTH(number) = 1"));
    TBalanceReports noClasses(*dm, TChart::New, kJan1, kDec31, Classes("all"));
    const TBalanceRows withoutClasses = noClasses.ClosingSheet();
    EXPECT_EQ(Numbers(withoutClasses),
              QStringList({"204", "20", "241", "24", "435", "43", "604", "60"}));
}

// The Parts' rule, literally: two totals per frame (or a grouped statement per account).
TBalanceRows ReferenceSynthetic(TConnection& c, TChart chart, const QDate& from, const QDate& to) {
    TBalanceRows rows;
    const QString table = chart == TChart::New ? "accountframenew" : "accountframe";
    for (const auto& f :
         c.Select("SELECT number, description FROM " + table +
                  " WHERE LENGTH(number) = 3 AND number REGEXP '^[0-8]' ORDER BY number")
             .rows) {
        const QString number = f[0].toString();
        auto data = [&](const QString& type) {
            return chart == TChart::New ? GetAccountNewData(c, number, 0, from, to, false, type)
                                        : GetAccountData(c, number, 0, from, to, type);
        };
        const TTurnover total = data({}), opening = data(kOpeningTypeNumber);
        if (BetterRoundTo(total.debit, -2) == 0 && BetterRoundTo(total.credit, -2) == 0 &&
            BetterRoundTo(opening.debit, -2) == 0 && BetterRoundTo(opening.credit, -2) == 0)
            continue;
        TBalanceRow r;
        r.number = number;
        r.name = f[1].toString();
        r.startdebit = opening.debit;
        r.startcredit = opening.credit;
        r.startbalance = opening.Balance();
        r.yeardebit = total.debit - opening.debit;
        r.yearcredit = total.credit - opening.credit;
        r.yearbalance = total.Balance() - opening.Balance();
        r.totaldebit = total.debit;
        r.totalcredit = total.credit;
        r.totalbalance = total.Balance();
        r.groupdescription = kSyntheticGroupCaption;
        r.itemid = rows.size() + 1;
        rows << r;
    }
    return rows;
}

TEST_F(TrialBalance, OneGroupedPassGivesWhatTheFrameByFrameRuleGivesOnTheDemoLedger) {
    // 2014 is the year whose lines carry both charts' accounts.
    TDemoOptions options;
    options.year = 2014;
    options.vouchers = 150;
    MakeDemoCompany(Db(), options);
    const QDate from(2014, 1, 1), to(2014, 12, 31);
    for (TChart chart : {TChart::New, TChart::Old}) {
        const char* what = chart == TChart::New ? "new" : "old";
        TBalanceReports reports(*dm, chart, from, to, {});
        TBalanceRows synthetic = reports.SyntheticTrialBalance();
        TBalanceRows expected = ReferenceSynthetic(Db(), chart, from, to);
        ASSERT_GT(expected.size(), 10) << what;
        TBalanceRows shown = synthetic.mid(0, expected.size());
        ExpectSameRows(shown, expected, what);
        ExpectClassRowsSumShownRows(synthetic);

        // Part of a year: the opening voucher in, the autumn out.
        const QDate may31(2014, 5, 31);
        TBalanceReports spring(*dm, chart, from, may31, {});
        const TBalanceRows springRows = ReferenceSynthetic(Db(), chart, from, may31);
        ExpectSameRows(spring.SyntheticTrialBalance().mid(0, springRows.size()), springRows, what);

        // The closing sheet's frames against their own two totals each.
        const TBalanceRows sheet = reports.ClosingSheet();
        int frames = 0;
        for (const TBalanceRow& r : sheet) {
            if (r.groupdescription == kClassGroupCaption)
                continue;
            const TTurnover total = chart == TChart::New
                                        ? GetAccountNewData(Db(), r.number, 0, from, to, false)
                                        : GetAccountData(Db(), r.number, 0, from, to);
            EXPECT_NEAR(r.totaldebit, total.debit, 0.005) << what << ' ' << r.number.toStdString();
            EXPECT_NEAR(r.totalcredit, total.credit, 0.005)
                << what << ' ' << r.number.toStdString();
            EXPECT_NEAR(r.totalbalancedebit - r.totalbalancecredit, total.Balance(), 0.005);
            ++frames;
        }
        EXPECT_GT(frames, expected.size()) << what;
        // The demo's vouchers balance: so does the total of the classes 0 to 8 and 9.
        TBalanceReports everything(*dm, chart, from, to, Classes("all"));
        const TBalanceRow total = everything.ClosingSheet().last();
        EXPECT_EQ(total.name, kTotalCaption);
        EXPECT_NEAR(total.totaldebit, total.totalcredit, 0.005) << what;
        EXPECT_NEAR(total.totalbalancedebit, total.totalbalancecredit, 0.005) << what;
    }

    // The analytic balance against the Part's statement per account.
    TBalanceReports reports(*dm, TChart::New, from, to, {});
    const TBalanceRows analytic = reports.AnalyticTrialBalance();
    const TResultSet perAccount = Db().Select(
        "SELECT an.code, an.name, SUM(pi.debit), SUM(pi.credit), SUM(pi.debit - pi.credit), "
        "SUM(IF(pt.number = '29', pi.debit, 0)), SUM(IF(pt.number = '29', pi.credit, 0)) "
        "FROM accountnew AS an INNER JOIN preceptitem AS pi ON an.accountnewid = "
        "pi.accountnewid INNER JOIN precept AS p ON pi.preceptid = p.preceptid INNER JOIN "
        "precepttype AS pt ON p.precepttypeid = pt.precepttypeid WHERE p.status = 'p' AND "
        "p.preceptdate >= ? AND p.preceptdate <= ? AND an.code REGEXP '^[0-8]' GROUP BY an.code "
        "ORDER BY an.code",
        {from, to});
    ASSERT_EQ(std::count_if(
                  analytic.begin(), analytic.end(),
                  [](const TBalanceRow& r) { return r.groupdescription == kAnalyticGroupCaption; }),
              perAccount.rows.size());
    for (int i = 0; i < perAccount.rows.size(); ++i) {
        const auto& e = perAccount.rows[i];
        const TBalanceRow& r = analytic[i];
        EXPECT_EQ(r.number, e[0].toString());
        EXPECT_EQ(r.name, e[1].toString());
        EXPECT_NEAR(r.totaldebit, e[2].toDouble(), 0.005) << r.number.toStdString();
        EXPECT_NEAR(r.totalcredit, e[3].toDouble(), 0.005);
        EXPECT_NEAR(r.startdebit, e[5].toDouble(), 0.005);
        EXPECT_NEAR(r.yearcredit, e[3].toDouble() - e[6].toDouble(), 0.005);
    }
    ExpectClassRowsSumShownRows(analytic);

    // The analytic closing sheet's sub-accounts add up to their account's own row.
    const TBalanceRows detail = reports.AnalyticClosingSheet();
    QHash<QString, double> subSums;
    int subRows = 0;
    for (const TBalanceRow& r : detail)
        if (r.number.contains(QLatin1Char('-'))) {
            subSums[r.number.section(QLatin1Char('-'), 0, 0)] += r.totaldebit;
            ++subRows;
        }
    EXPECT_GT(subRows, 10);
    for (auto it = subSums.cbegin(); it != subSums.cend(); ++it)
        EXPECT_NEAR(*it, GetAccountNewData(Db(), it.key(), 0, from, to, true).debit, 0.005)
            << it.key().toStdString();
}

TEST(BalancePlan, TabsAndFillsFollowTheFinancialYearAndTheClasses) {
    using R = TBalanceReport;
    auto shown = [](const TBalanceLayout& l) {
        QStringList captions;
        for (int i = 0; i < kBalanceReportCount; ++i)
            if (l.visible[i])
                captions << BalanceReportCaption(static_cast<R>(i));
        return captions;
    };
    auto filled = [](const TBalanceReportSet& s) {
        QStringList captions;
        for (int i = 0; i < kBalanceReportCount; ++i)
            if (s[i])
                captions << BalanceReportCaption(static_cast<R>(i)) +
                                (IsOldChartReport(static_cast<R>(i)) && i >= 11 ? " (stari)" : "");
        return captions;
    };
    const QStringList newTabs{"Bruto bilans", "Bruto bilans (analitički)", "Zaključni list",
                              "Bilans uspeha", "Bilans stanja"};
    const QStringList oldTabs{"Bruto bilans - stari", "Bruto bilans (analitički) - stari",
                              "Zaključni list - stari"};
    const QStringList always{"Statistički aneks", "Tok gotovine"};

    // 2013: the old chart with its statements; no analytic closing sheet.
    TBalanceLayout l2013 = TBalanceLayout::ForYear(2013);
    EXPECT_EQ(shown(l2013), always + oldTabs + QStringList({"Bilans uspeha", "Bilans stanja"}));
    EXPECT_FALSE(l2013.analyticClosingBox);
    // 2014: both charts' trial balances, the new statements only.
    TBalanceLayout l2014 = TBalanceLayout::ForYear(2014);
    EXPECT_EQ(shown(l2014), QStringList({"Bruto bilans", "Bruto bilans (analitički)",
                                         "Zaključni list", "Bilans uspeha", "Bilans stanja"}) +
                                always + oldTabs);
    EXPECT_TRUE(l2014.analyticClosingBox);
    l2014.SetAnalyticClosing(2014, true);
    EXPECT_EQ(shown(l2014), QStringList({"Zaključni list (analitički)"}) + always);
    l2014.SetAnalyticClosing(2014, false);
    EXPECT_EQ(shown(l2014), shown(TBalanceLayout::ForYear(2014)));
    // 2015 and 2016: the new chart alone on screen.
    for (int year : {2015, 2016}) {
        TBalanceLayout l = TBalanceLayout::ForYear(year);
        EXPECT_EQ(shown(l), QStringList({"Bruto bilans", "Bruto bilans (analitički)",
                                         "Zaključni list", "Bilans uspeha", "Bilans stanja"}) +
                                always);
        l.SetAnalyticClosing(year, true);
        EXPECT_EQ(shown(l), QStringList({"Zaključni list (analitički)"}) + always);
    }

    const TClassFilter standard;  // 0 to 8
    EXPECT_EQ(filled(BalanceFillPlan(2013, false, standard)),
              oldTabs + QStringList({"Bilans uspeha (stari)", "Bilans stanja (stari)"}));
    EXPECT_EQ(filled(BalanceFillPlan(2014, false, standard)),
              QStringList({"Bruto bilans", "Bruto bilans (analitički)", "Zaključni list",
                           "Bilans uspeha", "Bilans stanja", "Statistički aneks", "Tok gotovine"}) +
                  oldTabs + QStringList({"Bilans uspeha (stari)", "Bilans stanja (stari)"}));
    // 2015 still fills the old reports; 2016 only the new.
    EXPECT_EQ(filled(BalanceFillPlan(2015, false, standard)),
              filled(BalanceFillPlan(2014, false, standard)));
    EXPECT_EQ(filled(BalanceFillPlan(2016, false, standard)),
              QStringList({"Bruto bilans", "Bruto bilans (analitički)", "Zaključni list",
                           "Bilans uspeha", "Bilans stanja", "Statistički aneks", "Tok gotovine"}));
    EXPECT_EQ(filled(BalanceFillPlan(2016, true, standard)),
              QStringList({"Zaključni list (analitički)"}));
    // Without class 9 the statements are still filled; without 6 the income statement is not.
    EXPECT_EQ(filled(BalanceFillPlan(2016, false, Classes("0-5,7,8"))),
              QStringList({"Bruto bilans", "Bruto bilans (analitički)", "Zaključni list"}));
    EXPECT_EQ(filled(BalanceFillPlan(2016, false, Classes("5-7"))),
              QStringList({"Bruto bilans", "Bruto bilans (analitički)", "Zaključni list",
                           "Bilans uspeha"}));
}

TEST(BalancePlan, PeriodClassListsAndBadInput) {
    // Today in the financial year, in another one, and on 29 February.
    EXPECT_EQ(BalancePeriod(2024, QDate(2024, 3, 7)),
              std::make_pair(QDate(2024, 1, 1), QDate(2024, 3, 7)));
    EXPECT_EQ(BalancePeriod(2023, QDate(2026, 12, 7)),
              std::make_pair(QDate(2023, 1, 1), QDate(2023, 12, 7)));
    EXPECT_EQ(BalancePeriod(2023, QDate(2024, 2, 29)).second, QDate(2023, 2, 28));

    EXPECT_TRUE(CheckBalancePeriod(QDate(2024, 1, 1), QDate(2024, 1, 1)).isEmpty());
    EXPECT_EQ(CheckBalancePeriod(QDate(2024, 2, 1), QDate(2024, 1, 31)),
              QStringLiteral("Krajnji datum (31.01.2024.) je pre početnog (01.02.2024.)."));
    EXPECT_FALSE(CheckBalancePeriod(QDate(24, 1, 1), QDate(2024, 1, 31)).isEmpty());
    EXPECT_FALSE(CheckBalancePeriod(QDate(), QDate(2024, 1, 31)).isEmpty());

    const auto range = TClassFilter::Parse(QStringLiteral("0-3, 7"));
    ASSERT_TRUE(range);
    EXPECT_FALSE(range->all);
    EXPECT_EQ(range->classes, (std::array<bool, 10>{true, true, true, true, false, false, false,
                                                    true, false, false}));
    EXPECT_TRUE(range->Accepts(QStringLiteral("7010")));
    EXPECT_FALSE(range->Accepts(QStringLiteral("5010")));
    EXPECT_FALSE(range->Covers({5, 6, 7}));
    EXPECT_TRUE(TClassFilter::Parse(QStringLiteral("sve"))->all);
    EXPECT_TRUE(TClassFilter::Parse(QStringLiteral("all"))->Covers({0, 9}));
    for (const char* bad : {"", "1-", "3-1", "a", "10", "1;2", "-"})
        EXPECT_FALSE(TClassFilter::Parse(QString::fromLatin1(bad))) << bad;
    // The default filter is the screen's: 0 to 8.
    const TClassFilter standard;
    EXPECT_TRUE(standard.Covers({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_FALSE(standard.Accepts(QStringLiteral("9000")));
    EXPECT_FALSE(standard.Accepts(QString()));
}

TEST(BalanceTables, FillReplacesTheRowsThatStayReadOnly) {
    TBalanceSums sums;
    sums.openDebit = 100;
    sums.debit = 250;
    sums.credit = 400;
    TBalanceRow account = TBalanceRow::Of("2040", "Kupci", sums);
    account.groupdescription = kAnalyticGroupCaption;
    account.itemid = 1;
    TBalanceRow cls = TBalanceRow::Of("2", "Klasa 2", sums);
    cls.groupdescription = kClassGroupCaption;
    cls.itemid = 2;

    TDataSet trial;
    DeclareTrialBalanceTable(trial, false);
    FillBalanceTable(trial, {account, cls});
    ASSERT_EQ(trial.RecordCount(), 2);
    EXPECT_EQ(trial.RecNo(), 1);
    EXPECT_EQ(trial.FieldByName("number").AsString(), "2040");
    EXPECT_DOUBLE_EQ(trial.FieldByName("yeardebit").AsFloat(), 150);
    EXPECT_DOUBLE_EQ(trial.FieldByName("totalbalance").AsFloat(), -150);
    EXPECT_EQ(trial.FieldByName("totalbalance").DisplayText(), "-150,00");
    EXPECT_FALSE(trial.FieldByName("itemid").Visible());
    // The rows are the report's: nobody else adds or changes one.
    EXPECT_TRUE(trial.ReadOnly());
    EXPECT_THROW(trial.Append(), TError);
    FillBalanceTable(trial, {cls});
    ASSERT_EQ(trial.RecordCount(), 1);
    EXPECT_EQ(trial.FieldByName("groupdescription").AsString(), kClassGroupCaption);
    FillBalanceTable(trial, {});
    EXPECT_TRUE(trial.IsEmpty());

    // The closing sheet's balance on its side.
    TDataSet closing;
    DeclareClosingSheetTable(closing);
    FillBalanceTable(closing, {account});
    EXPECT_DOUBLE_EQ(closing.FieldByName("totalbalancedebit").AsFloat(), 0);
    EXPECT_DOUBLE_EQ(closing.FieldByName("totalbalancecredit").AsFloat(), 150);
    EXPECT_FALSE(closing.FindField("totalbalance"));
    EXPECT_TRUE(closing.ReadOnly());
}

}  // namespace
}  // namespace fin::test
