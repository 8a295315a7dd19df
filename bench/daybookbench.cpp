// The day book of a whole year of a million lines streamed to PDF and CSV, beside the floor:
// the same statement reading the same rows and doing nothing with them. Prints both
// times, their ratio, the statements each sent and the memory along the way, which must
// not grow with the book. Runs on the database the environment names (bench/run: finbook).

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/benchutil.h"
#include "bench/processstatus.h"
#include "host/common/textformat.h"
#include "host/db/connection.h"
#include "host/report/reportengine.h"
#include "host/ui/uiservice.h"
#include "journal/daybook.h"
#include "ledger/financialdm.h"

namespace fin {
namespace {

struct TRun {
    double seconds = 0;
    qint64 statements = 0;
    qint64 rows = 0;
    std::vector<qint64> rssKb;  // after every tenth of the rows
    qint64 bytes = 0;           // of the file written
};

// One pass over the book; the rows go through the feed, which notes the memory as it goes.
template <typename Body>
TRun Measure(TConnection& c, qint64 expectedRows, Body body) {
    TRun run;
    const qint64 before = Questions(c);
    const auto start = std::chrono::steady_clock::now();
    body([&](qint64 rows) {
        run.rows = rows;
        if (expectedRows > 0 && rows % std::max<qint64>(1, expectedRows / 10) == 0)
            run.rssKb.push_back(StatusKb("VmRSS"));
    });
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.statements = Questions(c) - before - 1;
    return run;
}

int Run() {
    TStdErrUiService quiet;
    SetUi(&quiet);
    TConnection c;
    c.Open();
    TFinancialDM dm;
    dm.SetZConnection(&c);
    dm.LoadOptions();
    const int year = dm.Options().FinancialYear;
    const QDate from(year, 1, 1), to(year, 12, 31);
    const int rounds = std::max(1, qEnvironmentVariableIntValue("ROUNDS"));
    const TDayBook book(dm);
    const qint64 lines =
        c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM preceptitem AS pi INNER JOIN precept "
                                     "AS p ON p.preceptid = pi.preceptid WHERE p.status = 'p' "
                                     "AND p.preceptdate >= ? AND p.preceptdate <= ?"),
                      {from, to})
            .toLongLong();
    const QString dir = QDir::tempPath();
    const QString pdf = dir + QStringLiteral("/finansije-dnevnik-bench.pdf");
    const QString csv = dir + QStringLiteral("/finansije-dnevnik-bench.csv");

    auto floor = [&](auto note) {
        qint64 n = 0;
        c.SelectEach(TDayBook::Statement(), {from, to}, {},
                     [&](const QVector<QVariant>&) { note(++n); });
    };
    auto book_to = [&](TReportOutput output, const QString& path) {
        return [&, output, path](auto note) {
            qint64 n = 0;
            TReportEngine engine;
            engine.SetOutput(output, path);
            engine.ExecuteLogReport(
                [&](const TRowSink& sink) {
                    book.ForEachLine(from, to, [&](const QVector<QVariant>& values) {
                        sink(values);
                        note(++n);
                    });
                },
                QStringLiteral("Dnevnik glavne knjige"), DateToText(from), DateToText(to));
        };
    };

    Out() << "Dnevnik glavne knjige " << year << ". godine: " << Num(lines)
          << " proknjiženih stavki (baza " << c.Settings().database << ", medijana od " << rounds
          << " kruga)\n";
    Out().flush();
    Measure(c, 0, floor);  // warms the server's caches for everyone
    const qint64 startKb = StatusKb("VmRSS");
    std::vector<TRun> floors, csvs, pdfs;
    // Rounds alternate, so a burst of load skews one round, not a ratio.
    for (int i = 0; i < rounds; ++i) {
        floors.push_back(Measure(c, lines, floor));
        csvs.push_back(Measure(c, lines, book_to(TReportOutput::Csv, csv)));
        csvs.back().bytes = QFile(csv).size();
        pdfs.push_back(Measure(c, lines, book_to(TReportOutput::Pdf, pdf)));
        pdfs.back().bytes = QFile(pdf).size();
        Out() << "krug " << i + 1 << ": pod " << Num(floors.back().seconds, "0.00") << " s, CSV "
              << Num(csvs.back().seconds, "0.00") << " s, PDF " << Num(pdfs.back().seconds, "0.00")
              << " s\n";
        Out().flush();
    }
    auto median = [](std::vector<TRun> runs) {
        std::sort(runs.begin(), runs.end(),
                  [](const TRun& a, const TRun& b) { return a.seconds < b.seconds; });
        return runs[runs.size() / 2];
    };
    const TRun f = median(floors), a = median(csvs), b = median(pdfs);
    Out() << '\n'
          << QStringLiteral("put").leftJustified(40) << QStringLiteral("s").rightJustified(8)
          << QStringLiteral("odnos").rightJustified(9)
          << QStringLiteral("naredbi").rightJustified(9)
          << QStringLiteral("datoteka MiB").rightJustified(14) << '\n';
    auto row = [&](const QString& name, const TRun& r) {
        Out() << name.leftJustified(40) << Num(r.seconds, "0.00").rightJustified(8)
              << (Num(r.seconds / f.seconds, "0.00") + QStringLiteral("×")).rightJustified(9)
              << QString::number(r.statements).rightJustified(9)
              << (r.bytes ? Num(r.bytes / 1048576.0, "0.0") : QString()).rightJustified(14) << '\n';
    };
    row(QStringLiteral("pod: jedna naredba, redovi pročitani"), f);
    row(QStringLiteral("dnevnik u CSV"), a);
    row(QStringLiteral("dnevnik u PDF"), b);
    const double worst = std::max(a.seconds, b.seconds) / f.seconds;
    Out() << "\nCilj: najviše 2× vreme poda: " << (worst <= 2 ? "ispunjen" : "NIJE ispunjen")
          << " (" << Num(worst, "0.00") << "×).\n";
    Out() << "\nRezidentna memorija (MiB) posle svake desetine stavki, poslednji krug; pre "
             "prvog kruga "
          << Num(startKb / 1024.0, "0.0") << ":\n";
    for (const auto& [name, r] :
         {std::pair{"pod", floors.back()}, {"CSV", csvs.back()}, {"PDF", pdfs.back()}}) {
        Out() << "  " << QString::fromLatin1(name).leftJustified(4);
        for (const qint64 kb : r.rssKb)
            Out() << ' ' << Num(kb / 1024.0, "0.0");
        Out() << '\n';
    }
    Out() << "Vrh memorije procesa (VmHWM): " << Num(StatusKb("VmHWM") / 1024.0, "0.0") << " MiB\n";
    Out().flush();
    QFile::remove(pdf);
    QFile::remove(csv);
    SetUi(nullptr);
    return 0;
}

}  // namespace
}  // namespace fin

int main(int argc, char** argv) {
    return fin::BenchMain(argc, argv, fin::Run);
}
