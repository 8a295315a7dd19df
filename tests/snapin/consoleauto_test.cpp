#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "host/data/dbinifile.h"
#include "tests/posting/postingtest.h"

namespace fin::test {
namespace {

class ConsoleAuto : public TPostingTest {
protected:
    // The console with the real plug-in on this test's database, taking a picture; the
    // exit code, standard error in err.
    int Picture(const QString& png, const QStringList& arguments, QString& err) {
        QProcess console;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(folder.path()).filePath("config"));
        env.insert(QStringLiteral("FINANSIJE_DB_NAME"), DatabaseName());
        console.setProcessEnvironment(env);
        console.start(
            QStringLiteral(CONSOLE_EXECUTABLE),
            QStringList{"--plugins", QFileInfo(QStringLiteral(FINANSIJE_PLUGIN)).absolutePath(),
                        "--screenshot", png} +
                arguments);
        if (!console.waitForFinished(60000))
            return -1;
        err = QString::fromUtf8(console.readAllStandardError());
        return console.exitCode();
    }
    QTemporaryDir folder;
};

// The console with the real plug-in: "Auto" before the picture posts what waits, through
// the list's own command and the package's posting objects.
TEST_F(ConsoleAuto, TheListIsPicturedAfterAutomaticPosting) {
    const qint64 goods = Product("Roba A");
    const qint64 invoice = Document("R", QDate(2024, 3, 5), "12", partner, wholesale);
    Item(invoice, goods, 2, 100, 80, 200);
    const qint64 receipt = Document("K", QDate(2024, 3, 6), "7", partner, wholesale);
    Item(receipt, goods, 1, 80, 80, 80);
    Rule("R", "2040", "[Partner{X}]", "[UkProd]+[UkPDV]", "0", "[DokumentOpis]");
    Rule("R", "6040", "", "0", "[UkProd]", "Prihod");
    Rule("R", "4700", "", "0", "[UkPDV]", "PDV");
    TDBIniFile(&Db()).WriteInteger("Financial", "FinancialYear", 2024);

    ASSERT_TRUE(folder.isValid());
    const QString png = QDir(folder.path()).filePath(QStringLiteral("lista.png"));
    QString err;
    ASSERT_EQ(Picture(png, {"--auto"}, err), 0) << err.toStdString();
    EXPECT_GT(PreceptOf(invoice), 0) << err.toStdString();
    EXPECT_GT(PreceptOf(receipt), 0);
    const QImage image(png, "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 300);
}

// The rule editor pictured on a module and kind: its command on the list, its rules page.
TEST_F(ConsoleAuto, TheRuleEditorIsPicturedOnAModuleAndKind) {
    Rule("R", "2040", "[Partner{X}]", "[UkProd]+[UkPDV]", "0", "[DokumentOpis]");
    Rule("R", "6040", "", "0", "[UkProd]", "Prihod");
    ASSERT_TRUE(folder.isValid());
    const QString png = QDir(folder.path()).filePath(QStringLiteral("pravila.png"));
    QString err;
    ASSERT_EQ(Picture(png, {"--rules", "Dokument:R"}, err), 0) << err.toStdString();
    const QImage image(png, "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 300);
    // A module the editor does not offer makes no picture.
    const QString none = QDir(folder.path()).filePath(QStringLiteral("nema.png"));
    EXPECT_EQ(Picture(none, {"--rules", "Nepoznat:R"}, err), 1);
}

// The move to the new chart, pictured through its command on the list, which the
// transition option offers.
TEST_F(ConsoleAuto, TheNewChartMappingIsPicturedWhenTheTransitionIsOn) {
    Db().Execute("INSERT INTO account (code, name) VALUES ('2430', 'Glavna blagajna')");
    const qint64 old = Db().LastInsertId();
    Db().Execute("INSERT INTO precepttype (name, number) VALUES ('Temeljnica', '77')");
    const qint64 type = Db().LastInsertId();
    Db().Execute(
        "INSERT INTO precept (preceptdate, registerdate, number, status, precepttypeid) "
        "VALUES ('2013-03-01', '2013-03-01', 'T-1', 'p', ?)",
        {type});
    Db().Execute(
        "INSERT INTO preceptitem (preceptid, sort, debit, credit, accountid) VALUES "
        "(?, 1, 10, 0, ?)",
        {Db().LastInsertId(), old});
    TDBIniFile ini(&Db());
    ini.WriteInteger("Financial", "FinancialYear", 2013);
    ASSERT_TRUE(folder.isValid());
    const QString png = QDir(folder.path()).filePath(QStringLiteral("kontni-plan.png"));
    QString err;
    EXPECT_EQ(Picture(png, {"--new-chart"}, err), 1);
    EXPECT_TRUE(err.contains("TransitionToNewChartOfAccounts")) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(png));
    ini.WriteString("Financial", "TransitionToNewChartOfAccounts", "1");
    ASSERT_EQ(Picture(png, {"--new-chart"}, err), 0) << err.toStdString();
    const QImage image(png, "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 600);
}

}  // namespace
}  // namespace fin::test
