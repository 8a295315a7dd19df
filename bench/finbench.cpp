// Speed of the ledger's reading paths on a large year, each beside its floor: the bare
// statement that returns the same rows through the same connection. What lies between
// the two is the library's own work, and that is what the ratio shows.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "accounts/accountbrowser.h"
#include "bench/benchutil.h"
#include "bench/processstatus.h"
#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "ledger/financialdm.h"
#include "reports/accountcard.h"
#include "reports/accounttotals.h"

namespace fin {
namespace {

// Cards need at least this many lines, so their cost is not lost in round trips.
constexpr qint64 kCardLines = 50'000;
// Each side runs in several rounds, alternating with its floor, and the summary takes the
// median: a burst of load on the machine then skews one round, not the ratio.
constexpr int kRounds = 3;
constexpr double kMinSeconds = 1.5;
const QString kPreferredCard = QStringLiteral("2410");
const QString kExactCode = QStringLiteral("2410");
const QString kPrefix = QStringLiteral("2");

const QString kPrefixFloorSql = QStringLiteral(
    "SELECT SUM(pi.debit), SUM(pi.credit) FROM preceptitem pi "
    "JOIN precept p ON p.preceptid = pi.preceptid "
    "JOIN accountnew a ON a.accountnewid = pi.accountnewid "
    "WHERE p.status = 'p' AND a.code LIKE ? AND p.preceptdate BETWEEN ? AND ?");
const QString kExactFloorSql = QStringLiteral(
    "SELECT SUM(pi.debit), SUM(pi.credit) FROM preceptitem pi "
    "JOIN precept p ON p.preceptid = pi.preceptid "
    "JOIN accountnew a ON a.accountnewid = pi.accountnewid "
    "WHERE p.status = 'p' AND a.code = ? AND p.preceptdate BETWEEN ? AND ?");
const QString kChartFloorSql = QStringLiteral(
    "SELECT a.code, SUM(pi.debit), SUM(pi.credit) FROM preceptitem pi "
    "JOIN precept p ON p.preceptid = pi.preceptid "
    "JOIN accountnew a ON a.accountnewid = pi.accountnewid "
    "WHERE p.status = 'p' AND p.preceptdate BETWEEN ? AND ? GROUP BY a.code");
const QString kCardFloorSql = QStringLiteral(
    "SELECT pi.*, p.preceptdate, p.number, 0.0 AS balance, "
    "CONCAT(pt.number,'') AS PreceptTypeNumber FROM preceptitem pi "
    "JOIN precept p ON p.preceptid = pi.preceptid "
    "JOIN precepttype pt ON p.precepttypeid = pt.precepttypeid "
    "WHERE p.status = 'p' AND p.preceptdate BETWEEN ? AND ? AND pi.accountnewid = ? "
    "ORDER BY p.preceptdate, PreceptTypeNumber, p.number, pi.sort");

// What every measurement reads; set up once before the first one runs.
struct TLedger {
    TConnection* conn = nullptr;
    TFinancialDM* dm = nullptr;
    int year = 0;
    QDate first, last;
    qint64 cardId = 0;
    QString cardCode;
    qint64 cardLines = 0;
};
TLedger g;

QString Ms(double ms) {
    return FormatFloat(QStringLiteral("#,##0.00"), ms, TNumberStyle::Display);
}

QString Ratio(double r) {
    return FormatFloat(QStringLiteral("0.00"), r, TNumberStyle::Display) + QStringLiteral("×");
}

qint64 PeakKb() {
    return StatusKb("VmHWM");
}

bool Same(double a, double b) {
    return std::fabs(a - b) < 0.005;
}

// The account the card runs on: the bank account when it carries enough lines, otherwise
// the account with the most lines of the year.
void PickCardAccount() {
    const TResultSet r = g.conn->Select(
        QStringLiteral("SELECT a.accountnewid, a.code, COUNT(*) AS n FROM preceptitem pi "
                       "JOIN precept p ON p.preceptid = pi.preceptid "
                       "JOIN accountnew a ON a.accountnewid = pi.accountnewid "
                       "WHERE p.status = 'p' AND p.preceptdate BETWEEN ? AND ? "
                       "GROUP BY a.accountnewid, a.code ORDER BY n DESC"),
        {g.first, g.last});
    if (r.rows.isEmpty())
        throw TError(QStringLiteral("U %1. godini nema proknjiženih stavki.").arg(g.year));
    int pick = 0;
    for (int i = 0; i < r.rows.size(); ++i)
        if (r.rows[i][1].toString() == kPreferredCard && r.rows[i][2].toLongLong() >= kCardLines)
            pick = i;
    g.cardId = r.rows[pick][0].toLongLong();
    g.cardCode = r.rows[pick][1].toString();
    g.cardLines = r.rows[pick][2].toLongLong();
    Out() << "Kartica: konto " << g.cardCode << " (accountnewid " << g.cardId << "), "
          << g.cardLines << " stavki u " << g.year << ". godini";
    if (g.cardCode != kPreferredCard)
        Out() << "; konto " << kPreferredCard << " ima manje od " << kCardLines
              << " stavki, uzet je konto sa najviše stavki";
    Out() << ".\n";
    if (g.cardLines < kCardLines)
        Out() << "Upozorenje: ni jedan konto nema " << kCardLines
              << " stavki; napunite bazu sa više naloga.\n";
    Out().flush();
}

// Peak RSS after cards of a quarter, half and the whole year, in that order: the high
// water mark only grows, so each step shows the largest card so far. Set up without
// OpenAccount, which would load the whole year before the first step.
void MeasureMemory() {
    struct TStep {
        QDate to;
        int lines = 0;
        qint64 peakKb = 0;
    };
    std::vector<TStep> steps{{QDate(g.year, 3, 31)}, {QDate(g.year, 6, 30)}, {g.last}};
    const qint64 baseKb = PeakKb();
    for (TStep& s : steps) {
        TAccountCard card(*g.dm);
        card.AccountID = g.cardId;
        card.From = DateToSql(g.first);
        card.To = DateToSql(s.to);
        card.Show();
        s.lines = card.Lines().RecordCount();
        s.peakKb = PeakKb();
    }
    Out() << "\nMemorija kartice konta " << g.cardCode << " (vršni RSS procesa, VmHWM)\n";
    Out() << QStringLiteral("do datuma").leftJustified(12)
          << QStringLiteral("stavki").rightJustified(9)
          << QStringLiteral("vršni RSS (MiB)").rightJustified(17)
          << QStringLiteral("rast (MiB)").rightJustified(12)
          << QStringLiteral("bajta/stavci").rightJustified(14) << '\n';
    Out() << QStringLiteral("pre kartice").leftJustified(12) << QString().rightJustified(9)
          << Ms(baseKb / 1024.0).rightJustified(17) << '\n';
    for (const TStep& s : steps) {
        const double grownKb = static_cast<double>(s.peakKb - baseKb);
        Out() << DateToSql(s.to).leftJustified(12) << QString::number(s.lines).rightJustified(9)
              << Ms(s.peakKb / 1024.0).rightJustified(17) << Ms(grownKb / 1024.0).rightJustified(12)
              << FormatFloat(QStringLiteral("#,##0"), s.lines ? grownKb * 1024 / s.lines : 0)
                     .rightJustified(14)
              << '\n';
    }
    Out().flush();
}

// Executions of prepared statements on this connection so far, as the server counts them.
qint64 StatementsExecuted() {
    return g.conn
        ->SelectValue(QStringLiteral("SELECT VARIABLE_VALUE FROM information_schema.SESSION_STATUS "
                                     "WHERE VARIABLE_NAME = ?"),
                      {QStringLiteral("COM_STMT_EXECUTE")})
        .toLongLong();
}

// Statements a piece of work sends, less the one that reads the counter.
template <typename Work>
qint64 CountStatements(Work&& work) {
    const qint64 first = StatementsExecuted();
    const qint64 idle = StatementsExecuted() - first;
    const qint64 before = StatementsExecuted();
    work();
    return StatementsExecuted() - before - idle;
}

struct TCheck {
    QString name;
    bool ok;
};
std::vector<TCheck> checks;
qint64 chartStatements = -1, searchStatements = -1;

// Each path once before timing: the results must agree with the floor's, and the server's
// buffer pool holds the year before either side is timed.
void CheckResults() {
    auto turnover = [&](const TAccountFilter& f, const QString& floorSql, const QString& code) {
        const TTurnover t = GetTurnover(*g.conn, f);
        const TResultSet r = g.conn->Select(floorSql, {code, g.first, g.last});
        return Same(t.debit, r.rows[0][0].toDouble()) && Same(t.credit, r.rows[0][1].toDouble());
    };
    checks.push_back({QStringLiteral("promet klase %1").arg(kPrefix),
                      turnover(TAccountFilter::Prefix(TChart::New, kPrefix).Period(g.first, g.last),
                               kPrefixFloorSql, LikePrefix(kPrefix))});
    checks.push_back(
        {QStringLiteral("promet konta %1").arg(kExactCode),
         turnover(TAccountFilter::Exact(TChart::New, kExactCode).Period(g.first, g.last),
                  kExactFloorSql, kExactCode)});

    {
        TAccountBrowser browser(*g.dm);
        browser.AccountValuesShow = true;
        searchStatements = CountStatements([&] { browser.Search(); });
        chartStatements = CountStatements([&] { browser.ComputeAccountValues(); });
        QHash<QString, TTurnover> floor;
        for (const auto& row : g.conn->Select(kChartFloorSql, {g.first, g.last}).rows)
            floor.insert(row[0].toString(), {row[1].toDouble(), row[2].toDouble()});
        TQuery& accounts = browser.Accounts();
        const int code = accounts.FieldByName(QStringLiteral("code")).Index();
        const int debit = accounts.FieldByName(QStringLiteral("debit")).Index();
        const int credit = accounts.FieldByName(QStringLiteral("credit")).Index();
        bool ok = accounts.RecordCount() > 0;
        int withValues = 0;
        for (int rec = 1; rec <= accounts.RecordCount(); ++rec) {
            const TTurnover want = floor.value(accounts.RecordValue(rec, code).toString());
            ok = ok && Same(accounts.RecordValue(rec, debit).toDouble(), want.debit) &&
                 Same(accounts.RecordValue(rec, credit).toDouble(), want.credit);
            if (floor.contains(accounts.RecordValue(rec, code).toString()))
                ++withValues;
        }
        checks.push_back(
            {QStringLiteral("vrednosti kontnog plana"), ok && withValues == floor.size()});
    }

    {
        TAccountCard card(*g.dm);
        card.OpenAccount(g.cardId);
        const QDate from(g.year, 7, 1);
        card.From = DateToSql(from);
        card.Show();
        const TResultSet r = g.conn->Select(kCardFloorSql, {g.first, g.last, g.cardId});
        const int date = r.ColumnIndex(QStringLiteral("preceptdate"));
        const int debit = r.ColumnIndex(QStringLiteral("debit"));
        const int credit = r.ColumnIndex(QStringLiteral("credit"));
        int shown = 0;
        double balance = 0;
        for (const auto& row : r.rows) {
            balance += BetterRoundTo(row[debit].toDouble() - row[credit].toDouble(), -2);
            if (row[date].toDate() >= from)
                ++shown;
        }
        const bool opening = shown < r.rows.size();
        checks.push_back({QStringLiteral("kartica konta %1").arg(g.cardCode),
                          r.rows.size() == g.cardLines &&
                              card.Lines().RecordCount() == shown + (opening ? 1 : 0) &&
                              card.PreviousBalanceRow() == (opening ? 1 : 0) &&
                              Same(card.TotalBalance(), balance)});
    }
    Out() << "\nProvera (isti brojevi kao pod):\n";
    for (const TCheck& c : checks)
        Out() << "  " << c.name.leftJustified(32) << (c.ok ? "da" : "NE") << '\n';
    Out() << "\n";
    Out().flush();
}

// ---- the measured work --------------------------------------------------------------

void PrefixTotal(benchmark::State& state) {
    const TAccountFilter f = TAccountFilter::Prefix(TChart::New, kPrefix).Period(g.first, g.last);
    for (auto _ : state) {
        TTurnover t = GetTurnover(*g.conn, f);
        benchmark::DoNotOptimize(t);
    }
}

void PrefixFloor(benchmark::State& state) {
    const QVariantList params{LikePrefix(kPrefix), g.first, g.last};
    for (auto _ : state) {
        TResultSet r = g.conn->Select(kPrefixFloorSql, params);
        benchmark::DoNotOptimize(r);
    }
}

void ExactTotal(benchmark::State& state) {
    const TAccountFilter f = TAccountFilter::Exact(TChart::New, kExactCode).Period(g.first, g.last);
    for (auto _ : state) {
        TTurnover t = GetTurnover(*g.conn, f);
        benchmark::DoNotOptimize(t);
    }
}

void ExactFloor(benchmark::State& state) {
    const QVariantList params{kExactCode, g.first, g.last};
    for (auto _ : state) {
        TResultSet r = g.conn->Select(kExactFloorSql, params);
        benchmark::DoNotOptimize(r);
    }
}

void ChartValues(benchmark::State& state) {
    TAccountBrowser browser(*g.dm);
    browser.AccountValuesShow = true;
    for (auto _ : state) {
        browser.Search();
        benchmark::DoNotOptimize(browser.Accounts().RecordCount());
    }
}

void ChartFloor(benchmark::State& state) {
    const QVariantList params{g.first, g.last};
    for (auto _ : state) {
        TResultSet r = g.conn->Select(kChartFloorSql, params);
        benchmark::DoNotOptimize(r);
    }
}

void Card(benchmark::State& state) {
    TAccountCard card(*g.dm);
    card.OpenAccount(g.cardId);
    for (auto _ : state) {
        card.From = DateToSql(QDate(g.year, 7, 1));
        card.Show();
        benchmark::DoNotOptimize(card.TotalBalance());
    }
}

void CardFloor(benchmark::State& state) {
    const QVariantList params{g.first, g.last, g.cardId};
    for (auto _ : state) {
        TResultSet r = g.conn->Select(kCardFloorSql, params);
        benchmark::DoNotOptimize(r);
    }
}

// ---- the report -------------------------------------------------------------------------

// The console report as usual, and the mean wall time of every benchmark for the summary.
class TCollectingReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    std::map<std::string, std::vector<double>> ms;  // one entry per round
    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& r : reports)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred && r.iterations > 0)
                ms[r.run_name.function_name].push_back(r.real_accumulated_time * 1e3 /
                                                       r.iterations);
        ConsoleReporter::ReportRuns(reports);
    }
};

struct TMeasure {
    QString caption;
    std::string name;  // the benchmark; its floor is name + "/pod"
    double goal;
    void (*work)(benchmark::State&);
    void (*floor)(benchmark::State&);
};

void Summary(const std::vector<TMeasure>& measures, const TCollectingReporter& reporter) {
    QTextStream& out = Out();
    out << "\nSažetak (zidni sat jednog izvršenja; medijana od " << kRounds << " kruga)\n";
    const int w0 = 50, w = 12;
    out << QStringLiteral("mera").leftJustified(w0)
        << QStringLiteral("vreme (ms)").rightJustified(w)
        << QStringLiteral("pod (ms)").rightJustified(w) << QStringLiteral("odnos").rightJustified(9)
        << QStringLiteral("cilj").rightJustified(9) << QStringLiteral("ispunjen").rightJustified(10)
        << '\n';
    out << QString(w0 + 2 * w + 9 + 9 + 10, QLatin1Char('-')) << '\n';
    for (const TMeasure& m : measures) {
        const auto time = reporter.ms.find(m.name);
        const auto floor = reporter.ms.find(m.name + "/pod");
        if (time == reporter.ms.end() || floor == reporter.ms.end())
            continue;
        const double timeMs = Median(time->second), floorMs = Median(floor->second);
        const double ratio = timeMs / floorMs;
        out << m.caption.leftJustified(w0, ' ', true) << Ms(timeMs).rightJustified(w)
            << Ms(floorMs).rightJustified(w) << Ratio(ratio).rightJustified(9)
            << (QStringLiteral("≤ ") + Ratio(m.goal)).rightJustified(9)
            << QString::fromLatin1(ratio <= m.goal ? "da" : "ne").rightJustified(10) << '\n';
    }
    out << "\nVrednosti kontnog plana: naredbi za vrednosti " << chartStatements
        << " (TChartTotals, jedan grupisani SELECT), naredbi za celu pretragu " << searchStatements
        << " (spisak konta i vrednosti).\n";
    out << "Vršni RSS procesa na kraju: " << Ms(PeakKb() / 1024.0) << " MiB.\n";
    out.flush();
}

int Run(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);

    TConnection conn;
    conn.Open();
    TFinancialDM dm;
    dm.SetZConnection(&conn);
    dm.LoadOptions();
    dm.UseNewChart = true;
    g.conn = &conn;
    g.dm = &dm;
    g.year = dm.Options().FinancialYear;
    g.first = QDate(g.year, 1, 1);
    g.last = QDate(g.year, 12, 31);
    Out() << "Baza " << conn.Settings().database << ", finansijska godina " << g.year << ".\n";
    PickCardAccount();
    MeasureMemory();
    CheckResults();

    const std::vector<TMeasure> measures{
        {QStringLiteral("promet klase %1 (prefiks), godina").arg(kPrefix), "promet_klase", 1.5,
         PrefixTotal, PrefixFloor},
        {QStringLiteral("promet konta %1 (tačan kod), godina").arg(kExactCode), "promet_konta", 1.5,
         ExactTotal, ExactFloor},
        {QStringLiteral("vrednosti celog kontnog plana"), "vrednosti_kontnog_plana", 2.0,
         ChartValues, ChartFloor},
        {QStringLiteral("kartica konta %1 od 1.7. (%2 stavki god.)")
             .arg(g.cardCode)
             .arg(g.cardLines),
         "kartica_konta", 2.0, Card, CardFloor},
    };
    for (int round = 0; round < kRounds; ++round)
        for (const TMeasure& m : measures) {
            benchmark::RegisterBenchmark(m.name.c_str(), m.work)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MinTime(kMinSeconds);
            benchmark::RegisterBenchmark((m.name + "/pod").c_str(), m.floor)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MinTime(kMinSeconds);
        }
    // Colours only on a terminal, as the library's own reporter decides.
    TCollectingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                       : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    Summary(measures, reporter);
    for (const TCheck& c : checks)
        if (!c.ok)
            return 1;
    return 0;
}

}  // namespace
}  // namespace fin

int main(int argc, char** argv) {
    try {
        return fin::Run(argc, argv);
    } catch (const fin::TError& e) {
        std::fprintf(stderr, "finbench: %s\n", e.what());
        return 1;
    }
}
