// Speed of the balance reports on a large year: each trial balance and closing sheet beside
// its floor, the one grouped statement over the period's lines that the report's pass runs,
// run alone through the same connection. The report adds the chart's frames or accounts, the
// roll-up in memory and the rows; the ratio shows what that costs. Also the statements each
// sends. The new chart on the bench's own year; the old chart on a year that has both.

#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/benchutil.h"
#include "console/demo/demo.h"
#include "host/common/textformat.h"
#include "host/db/connection.h"
#include "ledger/financialdm.h"
#include "reports/balanceplan.h"
#include "reports/statements.h"
#include "reports/trialbalance.h"

namespace fin {
namespace {

constexpr double kGoal = 1.5;
// The year whose lines carry the accounts of both charts.
constexpr int kBothChartsYear = 2014;
const QString kBothChartsDatabase = QStringLiteral("finbalance_2014");

// The year with both charts, made once and kept, as large as the bench's own.
void PrepareBothCharts(int vouchers) {
    if (!CreateDatabaseOnce(
            kBothChartsDatabase,
            QStringLiteral("za %1. godinu, %2 naloga").arg(kBothChartsYear).arg(vouchers)))
        return;
    TConnection c(On(kBothChartsDatabase));
    c.Open();
    TDemoOptions demo;
    demo.year = kBothChartsYear;
    demo.vouchers = vouchers;
    MakeDemoCompany(c, demo);
}

enum class TKind { Synthetic, Analytic, Closing, AnalyticClosing, BalanceSheet, IncomeStatement };

struct TCase {
    QString label;
    TChart chart;
    TKind kind;
};

struct TResult {
    QString label;
    double ms = 0, floorMs = 0;
    qint64 statements = 0, floorStatements = 0;
    int rows = 0;
    qint64 floorRows = 0;
};

// Rounds alternate the report and its floor, after one of each to warm the server's caches
// and the connection's prepared statements; the medians go into the table.
std::vector<TResult> Measure(const QString& database, const std::vector<TCase>& cases, int rounds) {
    TConnection c(On(database));
    c.Open();
    TFinancialDM dm;
    dm.SetZConnection(&c);
    dm.LoadOptions();
    const int year = dm.Options().FinancialYear;
    const QDate from(year, 1, 1), to(year, 12, 31);
    std::vector<TResult> results;
    for (const TCase& k : cases) {
        TResult result;
        result.label = QStringLiteral("%1 (%2)").arg(k.label).arg(year);
        auto report = [&]() -> qsizetype {
            TBalanceReports reports(dm, k.chart, from, to, {});
            // The statements: one pass too, of the chart's lines.
            TStatements statements(c, from, to, {.financialYear = year});
            const bool old = k.chart == TChart::Old;
            switch (k.kind) {
                case TKind::Synthetic:
                    return reports.SyntheticTrialBalance().size();
                case TKind::Analytic:
                    return reports.AnalyticTrialBalance().size();
                case TKind::Closing:
                    return reports.ClosingSheet().size();
                case TKind::AnalyticClosing:
                    return reports.AnalyticClosingSheet().size();
                case TKind::BalanceSheet:
                    return (old ? statements.OldBalanceSheet() : statements.BalanceSheet()).size();
                case TKind::IncomeStatement:
                    break;
            }
            return (old ? statements.OldIncomeStatement() : statements.IncomeStatement()).size();
        };
        const QString floorSql = TLedgerPass::Statement(k.chart, k.kind == TKind::AnalyticClosing);
        auto floor = [&] { return c.Select(floorSql, {kOpeningTypeNumber, from, to}).rows.size(); };
        report();
        floor();
        std::vector<double> ms, floorMs;
        for (int i = 0; i < rounds; ++i) {
            qint64 before = Questions(c);
            auto start = std::chrono::steady_clock::now();
            result.rows = static_cast<int>(report());
            ms.push_back(Ms(start));
            result.statements = Questions(c) - before - 1;

            before = Questions(c);
            start = std::chrono::steady_clock::now();
            result.floorRows = floor();
            floorMs.push_back(Ms(start));
            result.floorStatements = Questions(c) - before - 1;
        }
        result.ms = Median(ms);
        result.floorMs = Median(floorMs);
        Out() << "  " << result.label << ": " << Num(result.ms, "0.0") << " ms, pod "
              << Num(result.floorMs, "0.0") << " ms\n";
        Out().flush();
        results.push_back(result);
    }
    return results;
}

qint64 Lines(const QString& database) {
    TConnection c(On(database));
    c.Open();
    return c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM preceptitem")).toLongLong();
}

int Run() {
    const int rounds =
        qEnvironmentVariableIntValue("ROUNDS") > 0 ? qEnvironmentVariableIntValue("ROUNDS") : 5;
    const int vouchers = qEnvironmentVariableIntValue("VOUCHERS") > 0
                             ? qEnvironmentVariableIntValue("VOUCHERS")
                             : 100000;
    const QString database = TConnectionSettings::FromEnvironment().database;
    if (database.isEmpty())
        throw TError(QStringLiteral("FINANSIJE_DB_NAME nije zadat."));
    PrepareBothCharts(vouchers);

    const auto caption = [](TBalanceReport r) { return BalanceReportCaption(r); };
    const std::vector<TCase> newChart{
        {caption(TBalanceReport::TrialBalance), TChart::New, TKind::Synthetic},
        {caption(TBalanceReport::AnalyticTrialBalance), TChart::New, TKind::Analytic},
        {caption(TBalanceReport::ClosingSheet), TChart::New, TKind::Closing},
        {caption(TBalanceReport::AnalyticClosingSheet), TChart::New, TKind::AnalyticClosing},
        {caption(TBalanceReport::BalanceSheet), TChart::New, TKind::BalanceSheet},
        {caption(TBalanceReport::IncomeStatement), TChart::New, TKind::IncomeStatement},
    };
    const std::vector<TCase> oldChart{
        {caption(TBalanceReport::OldTrialBalance), TChart::Old, TKind::Synthetic},
        {caption(TBalanceReport::OldAnalyticTrialBalance), TChart::Old, TKind::Analytic},
        {caption(TBalanceReport::OldClosingSheet), TChart::Old, TKind::Closing},
        {caption(TBalanceReport::OldBalanceSheet) + QStringLiteral(" - stari"), TChart::Old,
         TKind::BalanceSheet},
        {caption(TBalanceReport::OldIncomeStatement) + QStringLiteral(" - stari"), TChart::Old,
         TKind::IncomeStatement},
    };
    Out() << "\nBilansi prema jednoj grupisanoj naredbi prolaza, samoj (medijana od " << rounds
          << " kruga)\n";
    Out().flush();
    std::vector<TResult> results = Measure(database, newChart, rounds);
    for (const TResult& r : Measure(kBothChartsDatabase, oldChart, rounds))
        results.push_back(r);

    Out() << "\nStavki naloga: " << database << " " << Num(Lines(database)) << ", "
          << kBothChartsDatabase << " " << Num(Lines(kBothChartsDatabase)) << "\n";
    Out() << QStringLiteral("izveštaj").leftJustified(42) << QStringLiteral("ms").rightJustified(9)
          << QStringLiteral("pod (ms)").rightJustified(10)
          << QStringLiteral("odnos").rightJustified(9) << QStringLiteral("cilj").rightJustified(7)
          << QStringLiteral("ispunjen").rightJustified(10)
          << QStringLiteral("naredbi").rightJustified(9)
          << QStringLiteral("pod nar.").rightJustified(10)
          << QStringLiteral("redova").rightJustified(8)
          << QStringLiteral("pod redova").rightJustified(12) << '\n';
    bool met = true;
    for (const TResult& r : results) {
        const double ratio = r.ms / r.floorMs;
        met = met && ratio <= kGoal;
        Out() << r.label.leftJustified(42) << Num(r.ms, "0.0").rightJustified(9)
              << Num(r.floorMs, "0.0").rightJustified(10)
              << (Num(ratio, "0.00") + QStringLiteral("×")).rightJustified(9)
              << (Num(kGoal, "0.0") + QStringLiteral("×")).rightJustified(7)
              << QString(ratio <= kGoal ? QStringLiteral("da") : QStringLiteral("NE"))
                     .rightJustified(10)
              << QString::number(r.statements).rightJustified(9)
              << QString::number(r.floorStatements).rightJustified(10)
              << QString::number(r.rows).rightJustified(8)
              << QString::number(r.floorRows).rightJustified(12) << '\n';
    }
    Out() << "\nCilj: svaki izveštaj najviše " << Num(kGoal, "0.0")
          << "× svog poda: " << (met ? "ispunjen" : "NIJE ispunjen") << ".\n";
    Out().flush();
    return 0;
}

}  // namespace
}  // namespace fin

int main(int argc, char** argv) {
    return fin::BenchMain(argc, argv, fin::Run);
}
