#include "reports/balanceplan.h"

#include "host/common/textformat.h"

namespace fin {

namespace {

using R = TBalanceReport;

constexpr int At(R r) {
    return static_cast<int>(r);
}

// The five new-chart reports the analytic closing sheet stands in for.
constexpr R kNewReports[] = {R::TrialBalance, R::AnalyticTrialBalance, R::ClosingSheet,
                             R::IncomeStatement, R::BalanceSheet};
constexpr R kOldTrialAndClosing[] = {R::OldTrialBalance, R::OldAnalyticTrialBalance,
                                     R::OldClosingSheet};

// The earliest and latest dates a period may have: a ledger has no vouchers outside them,
// and a date typed as "24" for "2024" lands well outside.
const QDate kFirstDate(1900, 1, 1), kLastDate(9999, 12, 31);

}  // namespace

QString BalanceReportCaption(TBalanceReport report) {
    switch (report) {
        case R::TrialBalance:
            return QStringLiteral("Bruto bilans");
        case R::AnalyticTrialBalance:
            return QStringLiteral("Bruto bilans (analitički)");
        case R::ClosingSheet:
            return QStringLiteral("Zaključni list");
        case R::AnalyticClosingSheet:
            return QStringLiteral("Zaključni list (analitički)");
        case R::IncomeStatement:
        case R::OldIncomeStatement:
            return QStringLiteral("Bilans uspeha");
        case R::BalanceSheet:
        case R::OldBalanceSheet:
            return QStringLiteral("Bilans stanja");
        case R::StatisticalAnnex:
            return QStringLiteral("Statistički aneks");
        case R::CashFlow:
            return QStringLiteral("Tok gotovine");
        case R::OldTrialBalance:
            return QStringLiteral("Bruto bilans - stari");
        case R::OldAnalyticTrialBalance:
            return QStringLiteral("Bruto bilans (analitički) - stari");
        case R::OldClosingSheet:
            return QStringLiteral("Zaključni list - stari");
    }
    return {};
}

bool IsOldChartReport(TBalanceReport report) {
    return At(report) >= At(R::OldTrialBalance);
}

TBalanceLayout TBalanceLayout::ForYear(int year) {
    TBalanceLayout l;
    const bool newChart = year >= 2014, oldChart = year <= 2014;
    for (R r : kNewReports)
        l.visible[At(r)] = newChart;
    for (R r : kOldTrialAndClosing)
        l.visible[At(r)] = oldChart;
    l.visible[At(R::OldIncomeStatement)] = l.visible[At(R::OldBalanceSheet)] = year < 2014;
    l.visible[At(R::StatisticalAnnex)] = l.visible[At(R::CashFlow)] = true;
    l.visible[At(R::AnalyticClosingSheet)] = false;
    l.analyticClosingBox = newChart;
    return l;
}

void TBalanceLayout::SetAnalyticClosing(int year, bool ticked) {
    const TBalanceLayout opening = ForYear(year);
    visible[At(R::AnalyticClosingSheet)] = ticked;
    for (R r : kNewReports)
        visible[At(r)] = ticked ? false : opening.visible[At(r)];
    if (year < 2015)
        for (R r : kOldTrialAndClosing)
            visible[At(r)] = ticked ? false : opening.visible[At(r)];
}

TBalanceReportSet BalanceFillPlan(int year, bool analyticClosing, const TClassFilter& classes) {
    TBalanceReportSet fill{};
    const bool income = classes.Covers({5, 6, 7});
    const bool balance = classes.Covers({0, 1, 2, 3, 4, 5, 6, 7, 8});
    if (year >= 2014) {
        if (analyticClosing) {
            fill[At(R::AnalyticClosingSheet)] = true;
        } else {
            fill[At(R::TrialBalance)] = fill[At(R::AnalyticTrialBalance)] =
                fill[At(R::ClosingSheet)] = true;
            fill[At(R::IncomeStatement)] = income;
            fill[At(R::BalanceSheet)] = fill[At(R::StatisticalAnnex)] = fill[At(R::CashFlow)] =
                balance;
        }
    }
    if (year < 2016) {
        for (R r : kOldTrialAndClosing)
            fill[At(r)] = true;
        fill[At(R::OldIncomeStatement)] = income;
        fill[At(R::OldBalanceSheet)] = balance;
    }
    return fill;
}

std::pair<QDate, QDate> BalancePeriod(int year, const QDate& today) {
    QDate end = today;
    if (today.year() != year) {
        // 29 February of a leap year has no twin in a common one.
        const int day = std::min(today.day(), QDate(year, today.month(), 1).daysInMonth());
        end = QDate(year, today.month(), day);
    }
    return {QDate(year, 1, 1), end};
}

QString CheckBalancePeriod(const QDate& from, const QDate& to) {
    if (!from.isValid() || !to.isValid())
        return QStringLiteral("Period nije ispravan: upišite i početni i krajnji datum.");
    if (from < kFirstDate || to > kLastDate || from > kLastDate || to < kFirstDate)
        return QStringLiteral("Datum %1 je izvan mogućeg opsega (od 1900. do 9999. godine).")
            .arg(DateToText(from < kFirstDate || from > kLastDate ? from : to));
    if (to < from)
        return QStringLiteral("Krajnji datum (%1) je pre početnog (%2).")
            .arg(DateToText(to), DateToText(from));
    return {};
}

}  // namespace fin
