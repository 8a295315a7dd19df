// Crash safety of every writing job, at full size: each job on the demo company is killed
// (SIGKILL) at every statement of its run, one run per statement, and its server is stopped
// under it several times; after each, the ledger must be as it was or as a whole run leaves
// it. The statement delay switch spaces the statements out so a kill lands between two.
// Everything runs on a private server in a temporary folder, since it is stopped.
// CRASH_DELAY_MS sets the delay of the kills (default 5), CRASH_RESTARTS the stops per job
// (default 3) and CRASH_STOP_DELAY_MS the delay of the runs they stop (default 25).

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "bench/benchutil.h"
#include "tests/console/crashharness.h"

namespace fin {
namespace {

int EnvInt(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

int Run() {
    using namespace crash;
    const int delay = EnvInt("CRASH_DELAY_MS", 5);
    const int restarts = EnvInt("CRASH_RESTARTS", 3);
    // Stopping a server takes a good part of a second: the runs it stops are slower.
    const int stopDelay = EnvInt("CRASH_STOP_DELAY_MS", 25);
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/fincrash-XXXXXX"));
    TPrivateServer server(QStringLiteral(DB_SCRIPT), dir.path());
    if (const QString wrong = server.Start(); !wrong.isEmpty()) {
        Out() << wrong << '\n';
        return 1;
    }
    TCrashHarness harness(QStringLiteral(CLI_EXECUTABLE), server.Settings(),
                          QStringLiteral("fincrashbench"), delay);
    Out() << "Prekidi poslova (kašnjenje naredbe " << delay << " ms; svaki posao ubijen posle "
          << "svake naredbe i " << restarts << " puta zaustavljen server)\n\n"
          << QStringLiteral("Posao").leftJustified(28)
          << QStringLiteral("Naredbi").rightJustified(8)
          << QStringLiteral("Ubijanja").rightJustified(10)
          << QStringLiteral("pre/posle").rightJustified(12)
          << QStringLiteral("Restarta").rightJustified(10)
          << QStringLiteral("Greške").rightJustified(8) << '\n';
    Out().flush();
    int totalStatements = 0, totalKills = 0, totalRestarts = 0, totalFailures = 0;
    QStringList failures;
    for (const TCrashJob& job : CrashJobs()) {
        TCrashHarness::TPlan plan;
        if (const QString wrong = harness.Learn(job, plan); !wrong.isEmpty()) {
            failures << wrong;
            ++totalFailures;
            continue;
        }
        int kills = 0, before = 0, done = 0, stops = 0, failed = 0;
        for (const double at : harness.Moments(plan, 0)) {
            TLanding landing;
            if (const QString wrong = harness.KillAt(plan, at, landing); !wrong.isEmpty()) {
                Out() << "GREŠKA: " << wrong << '\n';
                failures << wrong;
                ++failed;
                continue;
            }
            if (landing == TLanding::Finished)
                break;  // the run ended before the kill: every statement has been passed
            ++kills;
            before += landing == TLanding::Before;
            done += landing == TLanding::Done;
        }
        // Up to six tenths into the run: a server takes a while to stop, and the job goes on
        // meanwhile.
        for (int i = 1; i <= restarts; ++i) {
            TLanding landing;
            const QString wrong = harness.StopServerAt(
                plan, 0.6 * i / restarts, stopDelay, [&] { return server.Stop(); },
                [&] { return server.Start(); }, landing);
            if (!wrong.isEmpty()) {
                Out() << "GREŠKA: " << wrong << '\n';
                failures << wrong;
                ++failed;
            } else if (landing != TLanding::Finished) {
                ++stops;
            }
        }
        Out() << job.name.leftJustified(28) << Num(plan.statements).rightJustified(8)
              << Num(kills).rightJustified(10)
              << QStringLiteral("%1/%2").arg(before).arg(done).rightJustified(12)
              << Num(stops).rightJustified(10) << Num(failed).rightJustified(8) << '\n';
        Out().flush();
        totalStatements += plan.statements;
        totalKills += kills;
        totalRestarts += stops;
        totalFailures += failed;
    }
    Out() << QStringLiteral("Ukupno").leftJustified(28) << Num(totalStatements).rightJustified(8)
          << Num(totalKills).rightJustified(10) << QString().rightJustified(12)
          << Num(totalRestarts).rightJustified(10) << Num(totalFailures).rightJustified(8) << "\n";
    for (const QString& f : failures)
        Out() << "GREŠKA: " << f << '\n';
    harness.DropAll();
    Out().flush();
    return totalFailures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace fin

int main(int argc, char** argv) {
    return fin::BenchMain(argc, argv, fin::Run);
}
