#pragma once

#include <QDate>
#include <QString>
#include <array>

#include "reports/trialbalance.h"

namespace fin {

// The reports of the balance screen, in the order of its tabs.
enum class TBalanceReport {
    TrialBalance,
    AnalyticTrialBalance,
    ClosingSheet,
    AnalyticClosingSheet,
    IncomeStatement,
    BalanceSheet,
    StatisticalAnnex,
    CashFlow,
    OldTrialBalance,
    OldAnalyticTrialBalance,
    OldClosingSheet,
    OldIncomeStatement,
    OldBalanceSheet,
};
inline constexpr int kBalanceReportCount = 13;
using TBalanceReportSet = std::array<bool, kBalanceReportCount>;

// The tab caption of a report ("Bruto bilans - stari" ...).
QString BalanceReportCaption(TBalanceReport report);
// Whether a report is computed on the old chart.
bool IsOldChartReport(TBalanceReport report);

// Which tabs and boxes of the balance screen a financial year shows.
struct TBalanceLayout {
    TBalanceReportSet visible{};
    bool analyticClosingBox = false;  // "Prikaži analitički Zaključni list"

    // At opening: the new chart from 2014, the old one up to 2014 (its statements before
    // 2014 only), the analytic closing sheet hidden.
    static TBalanceLayout ForYear(int financialYear);
    // Ticking the analytic closing sheet shows it alone among the new-chart reports (and,
    // before 2015, hides the old trial balances and closing sheet); unticking reverses it.
    void SetAnalyticClosing(int financialYear, bool ticked);
};

// What "Prikaži" fills: the new reports from 2014, the old ones before 2016; the income
// statement only over classes 5, 6 and 7, the balance sheet, annex and cash flow only over
// 0 to 8. Every other report is emptied, so no tab keeps the numbers of another period.
TBalanceReportSet BalanceFillPlan(int financialYear, bool analyticClosing,
                                  const TClassFilter& classes);

// The screen's period at opening: from 1 January to today, moved into the financial year
// when today lies in another one (29 February becoming 28 February).
std::pair<QDate, QDate> BalancePeriod(int financialYear, const QDate& today);

// A clear message when a period cannot be reported on; empty when it can.
QString CheckBalancePeriod(const QDate& from, const QDate& to);

}  // namespace fin
