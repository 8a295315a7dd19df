// Speed of automatic posting on a company's night run: ten thousand waiting documents of
// every type posted by the standard rules, beside the floor (the same vouchers and lines
// written by plain INSERTs, one transaction per document, through the same connection),
// once with the demo's handful of partners, products and categories and once with ten
// thousand of each. Also the statements per document and the memory over the run.

#include <sys/resource.h>

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/benchutil.h"
#include "bench/processstatus.h"
#include "console/demo/demo.h"
#include "console/standins/bank.h"
#include "host/common/textformat.h"
#include "host/db/connection.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "ledger/schema.h"
#include "posting/autoconter.h"
#include "posting/postingpackage.h"

namespace fin {
namespace {

constexpr int kYear = 2024;

// CPU seconds this process has used so far.
double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The resident memory at a few points of the run, through the progress it reports.
class TMemoryUi : public TStdErrUiService {
public:
    void ShowMessage(TMessageType, const QString& text) override { messages << text; }
    void ProgressStart(const QString&, int total) override { total_ = total; }
    bool ProgressStep(int position, const QString&) override {
        if (total_ > 0 && (position == total_ / 10 || position == total_ / 2 || position == total_))
            rss.push_back({position, StatusKb("VmRSS")});
        return true;
    }
    void ProgressFinish() override {}
    std::vector<std::pair<int, qint64>> rss;
    QStringList messages;

private:
    int total_ = 0;
};

// A data module with posting on a connection, as a night's run sets it up: the year's end
// as the to-date, payments from the bank module.
struct TPosting {
    explicit TPosting(TConnection& c) : bank(std::make_shared<TBankModule>(c)) {
        dm.SetZConnection(&c);
        dm.LoadOptions();
        dm.AutoToDate = QDate(kYear, 12, 31);
        dm.BankLookup = [this] { return bank; };
    }
    std::shared_ptr<TBankModule> bank;
    TFinancialDM dm;
    TPostingPackage package{dm};
};

struct TScale {
    QString name;
    QString database;
    int reference = 0;  // partners, products and categories grown to at least this
};

struct TRound {
    int documents = 0;
    double seconds = 0, floorSeconds = 0;
    double statements = 0, floorStatements = 0;
    double cpu = 0, floorCpu = 0;  // this process's own share of the time
    std::vector<std::pair<int, qint64>> rss;
};

// The company of a scale, made once and kept: the demo year with its documents, ten
// thousand more waiting, the reference tables grown as the scale says.
void Prepare(const TScale& scale, int documents) {
    if (!CreateDatabaseOnce(scale.database))
        return;
    TConnection c(On(scale.database));
    c.Open();
    TDemoOptions demo;
    demo.year = kYear;
    MakeDemoCompany(c, demo);
    TDemoDocumentsOptions d;
    d.documents = documents;
    d.from = QDate(kYear, 1, 1);
    d.to = QDate(kYear, 12, 31);
    d.partners = d.products = d.categories = scale.reference;
    MakeDemoDocuments(c, d);
}

// Takes away what a round made, so every round starts from the same waiting documents.
void Forget(TConnection& c, qint64 lastKept) {
    TTransaction t(c);
    c.Execute(QStringLiteral("DELETE FROM preceptitem WHERE preceptid > ?"), {lastKept});
    c.Execute(QStringLiteral("DELETE FROM precept WHERE preceptid > ?"), {lastKept});
    t.Commit();
}

TRound Measure(const TScale& scale) {
    TRound round;
    TConnection c(On(scale.database));
    c.Open();
    const qint64 lastKept =
        c.SelectValue(QStringLiteral("SELECT COALESCE(MAX(preceptid), 0) FROM precept"))
            .toLongLong();

    {
        TPosting posting(c);
        TFinancialDM& dm = posting.dm;
        TPostingPackage& package = posting.package;
        TMemoryUi ui;
        SetUi(&ui);
        dm.ResetAutoConter();
        const qint64 before = Questions(c);
        const double cpu = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const TAutoConterResult r = package.AutoConter().Execute(
            false, 0, {}, 0, [](TPostingRun& run) { run.KeepInList = false; });
        round.seconds = Seconds(start);
        round.cpu = CpuSeconds() - cpu;
        round.documents = r.posted;
        round.statements = double(Questions(c) - before - 1) / std::max(1, r.posted);
        round.rss = ui.rss;
        SetUi(nullptr);
        if (!ui.messages.isEmpty())
            throw TError(ui.messages.join(QLatin1Char(' ')));
    }

    // The floor: the same vouchers and lines, read back and written again by plain INSERTs.
    const TResultSet precepts = c.Select(
        QStringLiteral("SELECT preceptid, preceptdate, registerdate, number, status, foreignid, "
                       "foreigntable, precepttypeid, description, userid FROM precept WHERE "
                       "preceptid > ? ORDER BY preceptid"),
        {lastKept});
    const TResultSet items = c.Select(
        QStringLiteral("SELECT preceptid, sort, description, debit, credit, accountid, "
                       "accountnewid, foreignid FROM preceptitem WHERE preceptid > ? ORDER BY "
                       "preceptid, preceptitemid"),
        {lastKept});
    Forget(c, lastKept);
    const QString insertPrecept = QStringLiteral(
        "INSERT INTO precept (preceptdate, registerdate, number, status, foreignid, "
        "foreigntable, precepttypeid, description, userid) VALUES (?,?,?,?,?,?,?,?,?)");
    const QString insertItem = QStringLiteral(
        "INSERT INTO preceptitem (preceptid, sort, description, debit, credit, accountid, "
        "accountnewid, foreignid) VALUES (?,?,?,?,?,?,?,?)");
    const qint64 before = Questions(c);
    const double cpu = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    int item = 0;
    for (const auto& p : precepts.rows) {
        TTransaction t(c);
        c.Execute(insertPrecept, {p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9]});
        const qint64 id = c.LastInsertId();
        for (; item < items.rows.size() && items.rows[item][0] == p[0]; ++item) {
            const auto& i = items.rows[item];
            c.Execute(insertItem, {id, i[1], i[2], i[3], i[4], i[5], i[6], i[7]});
        }
        t.Commit();
    }
    round.floorSeconds = Seconds(start);
    round.floorCpu = CpuSeconds() - cpu;
    round.floorStatements =
        double(Questions(c) - before - 1) / std::max<qsizetype>(1, precepts.rows.size());
    Forget(c, lastKept);
    return round;
}

// Bank statements of growing length, each posted alone by the standard rules: a line
// costs the same in a statement of two hundred and fifty lines as in one of two thousand.
void MeasureStatements(int rounds) {
    const QString database = QStringLiteral("finpost_statements");
    const int sizes[] = {250, 500, 1000, 2000};
    {
        if (CreateDatabaseOnce(database)) {
            TConnection c(On(database));
            c.Open();
            TDemoOptions demo;
            demo.year = kYear;
            MakeDemoCompany(c, demo);
            for (int lines : sizes) {
                TDemoStatementsOptions o;
                o.statements = 1;
                o.lines = lines;
                o.from = o.to = QDate(kYear, 12, 30);
                o.seed = static_cast<unsigned>(lines);
                MakeDemoStatements(c, o);
            }
        }
    }
    TConnection c(On(database));
    c.Open();
    QVector<QPair<qint64, int>> statements;  // id and lines, the big ones made above
    for (const auto& row : c.Select(QStringLiteral("SELECT bankstatementid, COUNT(*) FROM "
                                                   "bankstatementitem GROUP BY bankstatementid "
                                                   "HAVING COUNT(*) >= ? ORDER BY 2"),
                                    {sizes[0]})
                               .rows)
        statements.append({row[0].toLongLong(), row[1].toInt()});
    TPosting posting(c);
    TPostingPackage& package = posting.package;
    TMemoryUi ui;
    SetUi(&ui);
    std::vector<std::vector<double>> ms(statements.size());
    for (int round = 0; round < rounds; ++round)
        for (int i = 0; i < statements.size(); ++i) {
            const qint64 lastKept =
                c.SelectValue(QStringLiteral("SELECT COALESCE(MAX(preceptid), 0) FROM precept"))
                    .toLongLong();
            const auto start = std::chrono::steady_clock::now();
            const TAutoConterResult r =
                package.AutoConter().Execute(true, 50, {}, statements[i].first,
                                             [](TPostingRun& run) { run.KeepInList = false; });
            ms[i].push_back(Seconds(start) * 1000);
            if (r.posted != 1)
                throw TError(QStringLiteral("Izvod %1 nije kontiran: %2")
                                 .arg(statements[i].first)
                                 .arg(ui.messages.join(QLatin1Char(' '))));
            Forget(c, lastKept);
        }
    SetUi(nullptr);
    Out() << "\nIzvod sa mnogo stavki, kontiran sam (medijana od " << rounds << " kruga)\n";
    Out() << QStringLiteral("stavki izvoda").leftJustified(16)
          << QStringLiteral("ms").rightJustified(10)
          << QStringLiteral("µs po stavci").rightJustified(14) << '\n';
    for (int i = 0; i < statements.size(); ++i) {
        std::sort(ms[i].begin(), ms[i].end());
        const double median = ms[i][ms[i].size() / 2];
        Out() << QString::number(statements[i].second).leftJustified(16)
              << Num(median, "0.0").rightJustified(10)
              << Num(median * 1000 / statements[i].second, "0").rightJustified(14) << '\n';
    }
    Out().flush();
}

int Run() {
    const int documents = qEnvironmentVariableIntValue("DOCUMENTS") > 0
                              ? qEnvironmentVariableIntValue("DOCUMENTS")
                              : 10000;
    const int rounds =
        qEnvironmentVariableIntValue("ROUNDS") > 0 ? qEnvironmentVariableIntValue("ROUNDS") : 3;
    const std::vector<TScale> scales{
        {QStringLiteral("demo (desetine partnera, proizvoda, kategorija)"),
         QStringLiteral("finpost_small"), 0},
        {QStringLiteral("10.000 partnera, proizvoda i kategorija"), QStringLiteral("finpost_large"),
         10000},
    };
    for (const TScale& s : scales)
        Prepare(s, documents);

    struct TResult {
        TScale scale;
        std::vector<TRound> rounds;
        qint64 partners = 0, products = 0, categories = 0;
    };
    std::vector<TResult> results;
    for (const TScale& s : scales) {
        TResult r{s, {}};
        TConnection c(On(s.database));
        c.Open();
        r.partners = c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM partner")).toLongLong();
        r.products = c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM product")).toLongLong();
        r.categories =
            c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM categorypr")).toLongLong();
        results.push_back(r);
    }
    // Rounds alternate between the scales, so a burst of load skews one round, not a ratio.
    for (int i = 0; i < rounds; ++i)
        for (TResult& r : results) {
            r.rounds.push_back(Measure(r.scale));
            const TRound& m = r.rounds.back();
            Out() << r.scale.database << " krug " << i + 1 << ": " << m.documents
                  << " dokumenata za " << Num(m.seconds, "0.00") << " s (procesor klijenta "
                  << Num(m.cpu, "0.00") << " s), pod " << Num(m.floorSeconds, "0.00")
                  << " s (procesor klijenta " << Num(m.floorCpu, "0.00") << " s)\n";
            Out().flush();
        }

    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    Out() << "\nAutomatsko kontiranje svega što čeka: " << documents
          << " dodatih dokumenata i ono što demo godina ostavlja za novembar i decembar, "
          << results.front().rounds.front().documents << " u svemu (medijana od " << rounds
          << " kruga)\n";
    Out() << QStringLiteral("referentni podaci").leftJustified(50)
          << QStringLiteral("dok./s").rightJustified(9)
          << QStringLiteral("pod dok./s").rightJustified(12)
          << QStringLiteral("odnos").rightJustified(8)
          << QStringLiteral("naredbi/dok.").rightJustified(14)
          << QStringLiteral("pod naredbi").rightJustified(13) << '\n';
    std::vector<double> rates;
    for (const TResult& r : results) {
        std::vector<double> rate, floorRate, stmts, floorStmts;
        for (const TRound& m : r.rounds) {
            rate.push_back(m.documents / m.seconds);
            floorRate.push_back(m.documents / m.floorSeconds);
            stmts.push_back(m.statements);
            floorStmts.push_back(m.floorStatements);
        }
        const double a = median(rate), f = median(floorRate);
        rates.push_back(a);
        Out() << r.scale.name.leftJustified(50) << Num(a).rightJustified(9)
              << Num(f).rightJustified(12) << (Num(f / a, "0.00") + "×").rightJustified(8)
              << Num(median(stmts), "0.0").rightJustified(14)
              << Num(median(floorStmts), "0.0").rightJustified(13) << '\n';
        Out() << "  (" << r.partners << " partnera, " << r.products << " proizvoda, "
              << r.categories << " kategorija)\n";
    }
    const double spread = std::max(rates[0], rates[1]) / std::min(rates[0], rates[1]);
    Out() << "\nCilj: najmanje 500 dokumenata u sekundi: "
          << (std::min(rates[0], rates[1]) >= 500 ? "ispunjen" : "NIJE ispunjen") << ".\n";
    Out() << "Mali i veliki referentni podaci: odnos brzina " << Num(spread, "0.00")
          << "× (cilj ≤ 1,50×): " << (spread <= 1.5 ? "ispunjen" : "NIJE ispunjen") << ".\n";
    Out() << "\nRezidentna memorija tokom poslednjeg kruga (MiB):\n";
    for (const TResult& r : results) {
        Out() << "  " << r.scale.database << ':';
        for (const auto& [done, kb] : r.rounds.back().rss)
            Out() << "  posle " << done << " dok. " << Num(kb / 1024.0, "0.0");
        Out() << '\n';
    }
    Out().flush();
    MeasureStatements(rounds);
    return 0;
}

}  // namespace
}  // namespace fin

int main(int argc, char** argv) {
    return fin::BenchMain(argc, argv, fin::Run);
}
