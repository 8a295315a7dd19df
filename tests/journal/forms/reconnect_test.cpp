#include <QApplication>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "console/standins/tables.h"
#include "host/forms/datasetmodel.h"
#include "journal/financialdetailform.h"
#include "journal/financialviewerform.h"
#include "tests/host/privateserver.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

// Runs an action while the connection is out: cuts it, runs the action, restores what it cut.
using TOutage = std::function<void(const std::function<void()>& action)>;

const QString kTyped = QStringLiteral("Kucano dok veze nema");

int ServerMessages(const TScriptedUiService& ui) {
    int n = 0;
    for (const auto& shown : ui.Shown())
        n += shown.text.startsWith("Veza sa bazom podataka je prekinuta") ||
             shown.text.startsWith("Nije moguće povezati se sa bazom podataka");
    return n;
}

// The console's walk through two outages, on a voucher with one line on 2410 and a chart
// with 2040. The list's search meets the first: one message, and the search after it works
// without a restart. The editor's "U redu" meets the second with a new description and a new
// line typed: one message, the editor stays with everything in it, and the next "U redu"
// saves it all.
void WalkThroughOutages(TFinancialDM& dm, TConnection& db, TScriptedUiService& ui, qint64 id,
                        const TOutage& listOutage, const TOutage& saveOutage) {
    TFinancialViewerForm viewer(dm);
    TFinancialNavigatorForm navigator(dm);
    navigator.FillSearchFields();
    navigator.FindButton->click();
    ASSERT_EQ(dm.PreceptZQ().RecordCount(), 1);

    const size_t before = ui.Shown().size();
    listOutage([&] { navigator.FindButton->click(); });
    EXPECT_EQ(ui.Shown().size(), before + 1);
    EXPECT_EQ(ServerMessages(ui), 1);
    navigator.FindButton->click();
    EXPECT_EQ(ui.Shown().size(), before + 1);
    ASSERT_EQ(dm.PreceptZQ().RecordCount(), 1);

    int saves = 0;
    SetModalRunner([&](QDialog& dialog) {
        auto& form = dynamic_cast<TFinancialDetailForm&>(dialog);
        TPreceptEditor& editor = form.Editor();
        form.DescriptionEdit->setText(kTyped);
        emit form.DescriptionEdit->textEdited(kTyped);
        emit form.DescriptionEdit->editingFinished();
        editor.Lines().Append();
        TDataSetModel* model = form.LinesModel();
        model->setData(model->index(1, 2), "2040", Qt::EditRole);
        model->setData(model->index(1, 7), "7", Qt::EditRole);
        editor.Lines().Post();
        saveOutage([&] { form.CustomOK->trigger(); });
        ++saves;
        EXPECT_EQ(ServerMessages(ui), 2);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(form.DescriptionEdit->text(), kTyped);
        EXPECT_EQ(editor.Lines().RecordCount(), 2);
        EXPECT_TRUE(editor.Modified());
        form.CustomOK->trigger();
        ++saves;
        EXPECT_EQ(ServerMessages(ui), 2);
        return dialog.result();
    });
    viewer.PreceptEditExecute();
    SetModalRunner(nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(saves, 2);
    EXPECT_FALSE(dm.PreceptOpen);
    EXPECT_EQ(
        db.SelectValue("SELECT description FROM precept WHERE preceptid = ?", {id}).toString(),
        kTyped);
    EXPECT_EQ(db.SelectValue("SELECT COUNT(*) FROM preceptitem WHERE preceptid = ?", {id}).toInt(),
              2);
    EXPECT_DOUBLE_EQ(
        db.SelectValue("SELECT SUM(credit) FROM preceptitem WHERE preceptid = ?", {id}).toDouble(),
        7);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

// The server drops the console's session, once between two actions and once in the middle
// of the save, after the header is written.
class DroppedSession : public TReportsTest {};

TEST_F(DroppedSession, TheConsoleTellsOnceReconnectsAndKeepsTheTypedVoucher) {
    dm->Options().FinancialYear = 2024;
    const qint64 id = AddPrecept(type, QDate(2024, 3, 1), "L-1");
    Line(id, NewAccount("2410", "Tekući račun"), 7, 0);
    NewAccount("2040", "Kupci");
    auto killer = OpenSecond();
    auto drop = [&] { killer->ExecuteDirect(QStringLiteral("KILL %1").arg(Db().ThreadId())); };
    const TOutage midSave = [&](const std::function<void()>& save) {
        // A new line waits in the server; that is when the session goes.
        killer->ExecuteDirect(
            "CREATE TRIGGER pause_line BEFORE INSERT ON preceptitem FOR EACH ROW "
            "SET @pause = SLEEP(5)");
        const quint64 session = Db().ThreadId();
        std::thread cut([&] {
            for (int i = 0; i < 200; ++i) {
                if (!killer
                         ->Select("SELECT 1 FROM information_schema.PROCESSLIST WHERE ID = ? "
                                  "AND STATE = 'User sleep'",
                                  {session})
                         .IsEmpty()) {
                    drop();
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            }
        });
        save();
        cut.join();
        killer->ExecuteDirect("DROP TRIGGER pause_line");
    };
    WalkThroughOutages(
        *dm, Db(), ui, id,
        [&](const std::function<void()>& search) {
            drop();
            search();
        },
        midSave);
}

// The database server itself stops under the open list and editor, and starts again. A
// private server: the suite's own serves the other tests meanwhile.
TEST(Reconnect, TheConsoleTellsOnceReconnectsAndKeepsTheTypedVoucher) {
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/finreconnect-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    TPrivateServer server(QStringLiteral(DB_SCRIPT), dir.path());
    ASSERT_EQ(server.Start(), QString());
    TConnectionSettings settings = server.Settings();
    TConnection(settings).ExecuteDirect(QStringLiteral("CREATE DATABASE fin"));
    settings.database = QStringLiteral("fin");
    TConnection db(settings);
    CreateLedgerSchema(db);
    CreateSiblingTables(db);
    TFinancialDM dm;
    dm.SetZConnection(&db);
    dm.LoadOptions();
    dm.Options().FinancialYear = 2024;
    TScriptedUiService ui;
    SetUi(&ui);

    auto insert = [&](const QString& sql, const QVariantList& values) {
        db.Execute(sql, values);
        return db.LastInsertId();
    };
    const qint64 type =
        insert("INSERT INTO precepttype (name, number) VALUES (?, ?)", {"Izvodi", "6"});
    const qint64 bank =
        insert("INSERT INTO accountnew (code, name) VALUES (?, ?)", {"2410", "Tekući račun"});
    insert("INSERT INTO accountnew (code, name) VALUES (?, ?)", {"2040", "Kupci"});
    const qint64 id = insert(
        "INSERT INTO precept (preceptdate, registerdate, number, status, precepttypeid) "
        "VALUES (?, ?, ?, 'n', ?)",
        {QDate(2024, 3, 1), QDate(2024, 3, 1), "S-1", type});
    insert(
        "INSERT INTO preceptitem (preceptid, sort, debit, credit, accountnewid) VALUES "
        "(?, 1, 7, 0, ?)",
        {id, bank});

    const TOutage stopped = [&](const std::function<void()>& action) {
        ASSERT_EQ(server.Stop(), QString());
        action();
        ASSERT_EQ(server.Start(), QString());
    };
    WalkThroughOutages(dm, db, ui, id, stopped, stopped);
    SetUi(nullptr);
}

}  // namespace
}  // namespace fin::test
