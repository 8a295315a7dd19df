#include <gtest/gtest.h>

#include "tests/console/clirun.h"
#include "tests/host/testdatabase.h"

namespace fin::test {
namespace {

TEST(CliProgress, RewritesOneLineOnATerminalAndWritesTenthsOtherwise) {
    QString out, err;
    QTextStream o(&out), e(&err);
    {
        TCliContext terminal{o, e, true};
        TCliProgress progress(terminal, QStringLiteral("Nalozi"));
        progress.Step(250, 300);
        progress.Step(300, 300, QStringLiteral("R 12"));
    }
    e.flush();
    EXPECT_EQ(err, "\rNalozi: 250 od 300\x1b[K\rNalozi: 300 od 300 (R 12)\x1b[K\n");

    err.clear();
    {
        TCliContext plain{o, e, false};
        TCliProgress progress(plain, QStringLiteral("Nalozi"));
        for (int done = 1; done <= 1000; ++done)
            progress.Step(done, 1000);
    }
    e.flush();
    const QStringList lines = err.split('\n');
    ASSERT_EQ(lines.size(), 11) << err.toStdString();  // ten tenths and the empty rest
    EXPECT_EQ(lines[0], "Nalozi: 100 od 1000");
    EXPECT_EQ(lines[9], "Nalozi: 1000 od 1000");
    EXPECT_TRUE(lines[10].isEmpty());
    EXPECT_FALSE(err.contains('\r'));
}

class Cli : public TDatabaseTest {};

TEST_F(Cli, DemoReportsProgressInLinesAndTextOutputHasHeaders) {
    qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
    TCliRun run;
    ASSERT_EQ(run({"db", "demo", "--vouchers", "600"}), 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith("Nalozi: 600 od 600\n")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains('\r'));
    EXPECT_TRUE(run.out.contains("za 2024. godinu")) << run.out.toStdString();

    ASSERT_EQ(run({"accounts", "--prefix", "241"}), 0);
    EXPECT_TRUE(run.out.startsWith("Konto ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.section('\n', 1, 1).startsWith("241 ")) << run.out.toStdString();
    ASSERT_EQ(run({"voucher", "list", "--number", "00001"}), 0);
    EXPECT_TRUE(run.out.startsWith("     Id  Broj")) << run.out.toStdString();
    ASSERT_EQ(run({"voucher", "show", "1"}), 0);
    EXPECT_TRUE(run.out.contains("R.b.  Konto")) << run.out.toStdString();
}

}  // namespace
}  // namespace fin::test
