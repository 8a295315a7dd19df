#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <iostream>

#include "tests/console/crashharness.h"

// Failures show texts as text, not as bytes.
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace fin::crash {
namespace {

// Long enough to stand out of a loaded machine's noise, short enough for the suite.
constexpr int kDelayMs = 4;
// Stopping the server takes a good part of a second: the runs it stops are slower.
constexpr int kStopDelayMs = 25;

bool HaveServer() {
    return !qEnvironmentVariableIsEmpty("FINANSIJE_DB_SOCKET") ||
           !qEnvironmentVariableIsEmpty("FINANSIJE_DB_HOST");
}

// Every job that writes several statements, killed at a few moments of its run on the suite's
// server: each leaves the ledger as it was or as a whole run leaves it, and the check finds
// nothing.
TEST(CrashTest, EveryWritingJobIsWholeOrNotAtAllWhenKilled) {
    if (!HaveServer())
        FAIL() << "No test server: run the tests through scripts/test.";
    TConnectionSettings server = TConnectionSettings::FromEnvironment();
    TCrashHarness harness(QStringLiteral(CLI_EXECUTABLE), server,
                          QStringLiteral("fincrash_%1").arg(getpid()), kDelayMs);
    int before = 0, done = 0;
    for (const TCrashJob& job : CrashJobs()) {
        SCOPED_TRACE(job.name.toStdString());
        TCrashHarness::TPlan plan;
        ASSERT_EQ(harness.Learn(job, plan), QString());
        QStringList landed;
        for (const double at : harness.Moments(plan, 3)) {
            TLanding landing;
            EXPECT_EQ(harness.KillAt(plan, at, landing), QString())
                << "ubijen posle " << at << " ms";
            before += landing == TLanding::Before;
            done += landing == TLanding::Done;
            landed << QStringLiteral("%1 ms: %2")
                          .arg(at)
                          .arg(landing == TLanding::Before ? "pre"
                               : landing == TLanding::Done ? "posle"
                                                           : "kraj");
        }
        std::cout << job.name.toStdString() << ": " << plan.statements << " naredbi, "
                  << plan.delayedMs << " ms; " << landed.join(", ").toStdString() << std::endl;
    }
    harness.DropAll();
    // The kills met running jobs. One that lands after a commit has to catch the process
    // between its COMMIT and its exit, which a busy machine may not give three moments in
    // a row; crashbench, killing after every statement, shows both sides.
    EXPECT_GT(before, 0);
    std::cout << "pre: " << before << ", posle: " << done << std::endl;
}

// The server stops in the middle of a job and starts again: the job says the connection was
// lost, in Serbian, and nothing of it is written. A private server, so that the suite's
// server keeps serving the other tests.
TEST(CrashTest, JobsLoseTheServerWithoutHalfWrites) {
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/fincrash-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    TPrivateServer server(QStringLiteral(DB_SCRIPT), dir.path());
    ASSERT_EQ(server.Start(), QString());
    TCrashHarness harness(QStringLiteral(CLI_EXECUTABLE), server.Settings(),
                          QStringLiteral("fincrash"), kDelayMs);
    for (const TCrashJob& job : CrashJobs()) {
        if (job.name != QLatin1String("voucher merge") && job.name != QLatin1String("close year"))
            continue;
        SCOPED_TRACE(job.name.toStdString());
        TCrashHarness::TPlan plan;
        ASSERT_EQ(harness.Learn(job, plan), QString());
        TLanding landing = TLanding::Finished;
        // Past the middle of the run, so that the stop lands where the job writes. A server
        // slow to stop on a busy machine may miss the job: then earlier.
        for (const double share : {0.6, 0.4, 0.2, 0.05}) {
            EXPECT_EQ(harness.StopServerAt(
                          plan, share, kStopDelayMs, [&] { return server.Stop(); },
                          [&] { return server.Start(); }, landing),
                      QString());
            if (landing != TLanding::Finished)
                break;
        }
        EXPECT_NE(landing, TLanding::Finished);
        std::cout << job.name.toStdString() << ": server zaustavljen, "
                  << (landing == TLanding::Before ? "pre" : "posle") << std::endl;
    }
}

}  // namespace
}  // namespace fin::crash
