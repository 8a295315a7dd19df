#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "posting/autoconter.h"
#include "posting/customconter.h"
#include "posting/documentconter.h"
#include "posting/postingcaptions.h"
#include "tests/posting/postingtest.h"

namespace fin::test {
namespace {

// An automat of another module with documents on given days; it only records its turns.
class TFakeAutomat : public TCustomContoAutomat {
public:
    TFakeAutomat(TFinancialDM& dm, int kind, QVector<QDate> dates, QStringList& log)
        : TCustomContoAutomat(dm, kind, "fake", "Lažni"), dates_(std::move(dates)), log_(log) {}
    bool IsEnd() const override { return !open_ || next_ >= dates_.size(); }
    QDate GetDate() const override { return dates_[next_]; }
    void OpenItems(const QDate&, bool, const QString&, qint64) override {
        open_ = true;
        next_ = 0;
    }
    void CloseItems() override { open_ = false; }
    int Pending() const override { return static_cast<int>(dates_.size()); }
    void CreatePrecept() override { log_ << QString("%1:%2").arg(Kind()).arg(next_++); }
    bool GetEntityID(qint64&, QString&) override { return false; }
    QString CurrentCaption() const override { return {}; }

protected:
    qint64 CurrentID() const override { return 0; }
    bool LockCurrent(qint64) override { return false; }
    void OpenDetail(qint64) override {}
    std::shared_ptr<TCustomConter> MakeConter() override { return nullptr; }

private:
    QVector<QDate> dates_;
    QStringList& log_;
    bool open_ = false;
    int next_ = 0;
};

// A scripted UI that runs something at every progress step.
class TWatchingUi : public TScriptedUiService {
public:
    bool ProgressStep(int position, const QString& text) override {
        if (onStep)
            onStep(position);
        return TScriptedUiService::ProgressStep(position, text);
    }
    std::function<void(int)> onStep;
};

class Driver : public TPostingTest {
protected:
    void SetUp() override {
        TPostingTest::SetUp();
        if (HasFatalFailure())
            return;
        goods = Product("Roba");
        Rule("R", "2040", "[Partner{X}]", "[UkProd]", "0", "[DokumentOpis]");
        Rule("R", "6040", "", "0", "[UkProd]", "Prihod");
    }
    qint64 Invoice(const QDate& date, const QString& number) {
        const qint64 d = Document("R", date, number, partner);
        Item(d, goods, 1, 100, 0, 100);
        return d;
    }
    bool Flag(const QString& key) { return TDBIniFile(&Db()).ReadBool("AutoConter", key, false); }
    void SetFlag(const QString& key, bool on = true) {
        TDBIniFile(&Db()).WriteBool("AutoConter", key, on);
    }
    qint64 Precepts() { return Count("precept"); }
    qint64 Doubles() {
        return Db()
            .SelectValue(
                "SELECT COUNT(*) FROM (SELECT foreignid FROM precept WHERE "
                "foreigntable = 'document' GROUP BY foreignid HAVING COUNT(*) > 1) AS x")
            .toLongLong();
    }
    // Vouchers without lines and lines without a voucher: what a half-written document leaves.
    qint64 HalfWritten() {
        return Db().SelectValue(
                       "SELECT COUNT(*) FROM precept AS p WHERE NOT EXISTS (SELECT 1 "
                       "FROM preceptitem AS pi WHERE pi.preceptid = p.preceptid)")
                   .toLongLong() +
               Db().SelectValue(
                       "SELECT COUNT(*) FROM preceptitem AS pi WHERE NOT EXISTS "
                       "(SELECT 1 FROM precept AS p WHERE p.preceptid = pi.preceptid)")
                   .toLongLong();
    }
    TAutoConter& Conter() { return package->AutoConter(); }
    qint64 goods = 0;
};

TEST_F(Driver, SelectsWaitingDocumentsOfTheYearInTheirOrder) {
    const qint64 late = Invoice(QDate(2024, 3, 2), "2");
    const qint64 early = Invoice(QDate(2024, 3, 1), "9");
    const qint64 same = Invoice(QDate(2024, 3, 2), "10");  // "10" sorts before "2"
    Db().Execute("UPDATE document SET direction = 0 WHERE documentid = ?", {same});
    Invoice(QDate(2023, 12, 31), "old");   // another year
    Invoice(QDate(2024, 11, 1), "later");  // after the to-date
    const qint64 draft = Document("R", QDate(2024, 3, 1), "n", partner, 0, "n");
    const qint64 till = Invoice(QDate(2024, 3, 1), "kasa");
    const qint64 reserved = Document("U", QDate(2024, 3, 1), "res", 8);
    Db().Execute("UPDATE document SET reservationid = 5 WHERE documentid = ?", {reserved});
    const qint64 excluded = Document("K", QDate(2024, 3, 1), "K1", 8);
    const qint64 alsoExcluded = Document("U", QDate(2024, 3, 1), "U1", 8);
    Document("Y", QDate(2024, 3, 1), "kind the ledger does not post");
    TDBIniFile(&Db()).WriteString("AutoNotConter", "100", "K','U");
    dm->AutoToDate = QDate(2024, 10, 31);

    EXPECT_EQ(PostAll(), 3) << ui.LastText().toStdString();
    // Date first, then the larger direction, then the number as text.
    const TResultSet order = Db().Select("SELECT foreignid FROM precept ORDER BY preceptid");
    ASSERT_EQ(order.rows.size(), 3);
    EXPECT_EQ(order.rows[0][0].toLongLong(), early);
    EXPECT_EQ(order.rows[1][0].toLongLong(), late);
    EXPECT_EQ(order.rows[2][0].toLongLong(), same);
    for (qint64 never : {draft, till, reserved, excluded, alsoExcluded})
        EXPECT_EQ(PreceptOf(never), 0);
    // The voucher's own fields: source, type by the settings, text, the list at once.
    TDBIniFile(&Db()).WriteInteger("Dokument", "R", type);
    const TResultSet p = Db().Select(
        "SELECT foreigntable, precepttypeid, description, status FROM precept WHERE foreignid = ?",
        {early});
    EXPECT_EQ(p.rows[0][0].toString(), "document");
    EXPECT_EQ(p.rows[0][1].toLongLong(), 1);  // no setting yet: type 1
    EXPECT_EQ(p.rows[0][2].toString(), "Račun - 9 - automatski kreirano");
    EXPECT_EQ(p.rows[0][3].toString(), "n");
    EXPECT_EQ(dm->PreceptZQ().RecordCount(), 3);
    // Numbered one after another, as the numbering counts the vouchers of the period.
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(DISTINCT number) FROM precept").toInt(), 3);

    // A deleted voucher makes its document wait again; the excluded types come back when the
    // setting is cleared, and a later to-date takes the rest.
    Db().Execute("DELETE FROM preceptitem WHERE preceptid = ?", {PreceptOf(early)});
    Db().Execute("DELETE FROM precept WHERE foreignid = ?", {early});
    TDBIniFile(&Db()).WriteString("AutoNotConter", "100", "");
    dm->AutoToDate = QDate(2024, 12, 31);
    EXPECT_EQ(PostAll(), 4);
    EXPECT_GT(PreceptOf(early), 0);
    EXPECT_EQ(Db().SelectValue("SELECT precepttypeid FROM precept WHERE foreignid = ?", {early})
                  .toLongLong(),
              type);
    EXPECT_EQ(PreceptOf(reserved), 0);
    EXPECT_EQ(Doubles(), 0);
}

TEST_F(Driver, DateOrderAcrossModulesAndTheRunningFlags) {
    QStringList log;
    // Same day: documents (100), production (75), bank (50); fixed assets a day earlier.
    Invoice(QDate(2024, 3, 5), "1");
    TFakeAutomat bank(*dm, 50, {QDate(2024, 3, 5)}, log);
    TFakeAutomat production(*dm, 75, {QDate(2024, 3, 5)}, log);
    TFakeAutomat assets(*dm, 10, {QDate(2024, 3, 4)}, log);
    for (TFakeAutomat* a : {&bank, &production, &assets})
        Conter().RegisterAutomat(a);
    TWatchingUi watching;
    SetUi(&watching);
    qint64 seen = 0;
    watching.onStep = [&](int) {
        if (Precepts() > seen)
            log << "doc";
        seen = Precepts();
        // The run's keys are set while it runs.
        EXPECT_TRUE(Flag("0"));
        EXPECT_TRUE(Flag(""));
    };
    const TAutoConterResult r = Conter().Execute(false, 0, {}, 0);
    EXPECT_EQ(r.found, 4);
    EXPECT_EQ(log, QStringList({"10:0", "doc", "75:0", "50:0"}));
    EXPECT_FALSE(Flag("0"));
    EXPECT_FALSE(Flag(""));
    for (TFakeAutomat* a : {&bank, &production, &assets})
        Conter().UnregisterAutomat(a);

    // While another workstation posts the module's documents of one kind, a run of all
    // modules, or of all of this module, is refused; another kind, or another module, runs.
    SetUi(&ui);
    Invoice(QDate(2024, 3, 6), "2");
    SetFlag("100");
    SetFlag("K");
    EXPECT_TRUE(Conter().Execute(false, 0, {}, 0).refused);
    EXPECT_EQ(ui.LastText(), res::AUTO_CONTER_WRN);
    EXPECT_TRUE(Conter().Execute(false, 100, {}, 0).refused);
    EXPECT_FALSE(Conter().Execute(true, 50, "I", 0).refused);
    EXPECT_TRUE(Flag("100"));  // a run that posted nothing wrote nothing
    const TAutoConterResult invoices = Conter().Execute(true, 100, "R", 0);
    EXPECT_FALSE(invoices.refused);
    EXPECT_EQ(invoices.posted, 1);
    // Its end clears the keys it ran under, the module's among them.
    EXPECT_FALSE(Flag("100"));
    EXPECT_FALSE(Flag("R"));
    EXPECT_TRUE(Flag("K"));
    SetFlag("K", false);
    SetFlag("0");
    EXPECT_TRUE(Conter().Execute(true, 50, "I", 0).refused);
    // A refusal changes no flag; the reset clears them all.
    EXPECT_TRUE(Flag("0"));
    dm->ResetAutoConter();
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM ini WHERE section = 'AutoConter'").toInt(), 0);

    // A single run with nothing waiting posts nothing and says nothing.
    const size_t shown = ui.Shown().size();
    Invoice(QDate(2024, 3, 7), "3");
    EXPECT_EQ(Conter().Execute(true, 0, {}, 0).posted, 1);
    EXPECT_EQ(Conter().Execute(true, 0, {}, 0).posted, 0);
    EXPECT_EQ(ui.Shown().size(), shown);

    // Stopped between documents: what was posted stays, the flags are cleared.
    for (int i = 0; i < 3; ++i)
        Invoice(QDate(2024, 4, 1), QString("S%1").arg(i));
    ui.StopProgressAt(2);
    const TAutoConterResult stopped = Conter().Execute(false, 0, {}, 0);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.posted, 2);
    EXPECT_FALSE(Flag("0"));
}

TEST_F(Driver, AFailedDocumentLeavesNothingHalfWritten) {
    for (int i = 1; i <= 3; ++i)
        Invoice(QDate(2024, 5, i), QString::number(i));
    // The second document's lines cannot be written.
    Db().ExecuteDirect(
        "CREATE TRIGGER stop_second BEFORE INSERT ON preceptitem FOR EACH ROW "
        "BEGIN IF NEW.description = 'Račun - 2' THEN SIGNAL SQLSTATE '45000' SET "
        "MESSAGE_TEXT = 'kvar'; END IF; END");
    EXPECT_THROW(PostAll(), TError);
    EXPECT_EQ(Precepts(), 1);
    EXPECT_EQ(HalfWritten(), 0);
    EXPECT_FALSE(Flag("0"));
    EXPECT_EQ(dm->PreceptZQ().RecordCount(), 1);  // the failed voucher left the list too
    Db().ExecuteDirect("DROP TRIGGER stop_second");
    EXPECT_EQ(PostAll(), 2);
    EXPECT_EQ(HalfWritten(), 0);

    // A document another user deletes after the selection is passed over; a document
    // without lines still gets its voucher, without lines.
    const qint64 gone = Invoice(QDate(2024, 5, 20), "obrisan");
    const qint64 empty = Document("R", QDate(2024, 5, 21), "prazan", partner);
    {
        TWatchingUi deleting;
        SetUi(&deleting);
        deleting.onStep = [&](int step) {
            if (step == 1)
                Db().Execute("DELETE FROM document WHERE documentid = ?", {gone});
        };
        Invoice(QDate(2024, 5, 19), "prvi");
        EXPECT_EQ(PostAll(), 2);
        SetUi(&ui);
    }
    EXPECT_EQ(PreceptOf(gone), 0);
    ASSERT_GT(PreceptOf(empty), 0);
    EXPECT_TRUE(Lines(PreceptOf(empty)).isEmpty());
    Db().Execute("DELETE FROM precept WHERE preceptid = ?", {PreceptOf(empty)});
    Db().Execute("DELETE FROM document WHERE documentid = ?", {empty});

    // A connection lost between documents comes back for the next one; lost inside one, the
    // run ends cleanly and the flags are cleared on a new connection.
    for (int i = 4; i <= 6; ++i)
        Invoice(QDate(2024, 6, i), QString::number(i));
    auto admin = OpenSecond();
    TWatchingUi watching;
    SetUi(&watching);
    watching.onStep = [&](int step) {
        if (step == 1)
            admin->ExecuteDirect(QString("KILL CONNECTION %1").arg(Db().ThreadId()));
    };
    EXPECT_EQ(Conter().Execute(false, 0, {}, 0).posted, 3);
    EXPECT_EQ(HalfWritten(), 0);

    for (int i = 7; i <= 8; ++i)
        Invoice(QDate(2024, 7, i), QString::number(i));
    Db().ExecuteDirect(
        "CREATE TRIGGER slow_eighth AFTER INSERT ON precept FOR EACH ROW BEGIN "
        "IF NEW.description LIKE 'Račun - 8 %' THEN SET @x = SLEEP(2); END IF; END");
    const quint64 thread = Db().ThreadId();
    std::thread killer([&] {
        auto c = OpenSecond();
        for (int i = 0; i < 100; ++i) {
            if (c->SelectValue("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = ? "
                               "AND STATE = 'User sleep'",
                               {thread})
                    .toInt() > 0) {
                c->ExecuteDirect(QString("KILL CONNECTION %1").arg(thread));
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    watching.onStep = nullptr;
    try {
        PostAll();
        ADD_FAILURE() << "the run went on";
    } catch (const TConnectionLost& e) {
        EXPECT_TRUE(e.Message().startsWith("Veza sa bazom podataka je prekinuta"));
    }
    killer.join();
    SetUi(&ui);
    admin->ExecuteDirect("DROP TRIGGER slow_eighth");
    // The server rolls the killed transaction back once the trigger's sleep ends.
    for (int i = 0; i < 60 && admin->SelectValue("SELECT COUNT(*) FROM precept WHERE foreignid "
                                                 "IN (SELECT documentid FROM document WHERE "
                                                 "number = '8')")
                                      .toInt() > 0;
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(HalfWritten(), 0);
    EXPECT_FALSE(Flag("0"));
    EXPECT_EQ(PostAll(), 1);
    EXPECT_EQ(Precepts(), 9);
    EXPECT_EQ(Doubles(), 0);
}

// Posts every waiting document in a process of its own, on its own connection, once the
// parent says go; the exit code is the number posted.
[[noreturn]] void PostInChild(const QString& database, int goFd, bool direct) {
    int code = 255;
    try {
        TConnectionSettings s = TConnectionSettings::FromEnvironment();
        s.database = database;
        TConnection c(s);
        c.Open();
        TFinancialDM dm;
        dm.SetZConnection(&c);
        dm.LoadOptions();
        dm.Options().FinancialYear = 2024;
        dm.AutoToDate = QDate(2024, 12, 31);
        TPostingPackage package(dm);
        TScriptedUiService quiet;
        SetUi(&quiet);
        char go = 0;
        if (direct) {
            // Below the running flags: both processes select the same documents, then race.
            TPostingRun run(dm);
            run.KeepInList = false;
            TCustomContoAutomat& automat = *package.Automat(100);
            automat.Run = &run;
            automat.OpenItems(dm.AutoToDate, false, {}, 0);
            if (read(goFd, &go, 1) != 1)
                _exit(254);
            while (!automat.IsEnd())
                automat.CreatePrecept();
            automat.Run = nullptr;
            code = run.PostedCount();
        } else {
            if (read(goFd, &go, 1) != 1)
                _exit(254);
            code = package.AutoConter()
                       .Execute(false, 0, {}, 0, [](TPostingRun& r) { r.KeepInList = false; })
                       .posted;
        }
    } catch (const TError& e) {
        std::fprintf(stderr, "%s\n", e.Message().toUtf8().constData());
    }
    _exit(code > 250 ? 250 : code);
}

TEST_F(Driver, TwoProcessesNeverGiveADocumentTwoVouchers) {
    const int documents = 120;
    for (int i = 0; i < documents; ++i)
        Invoice(QDate(2024, 2, 1 + i % 28), QString("D%1").arg(i));
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        if (child == 0)
            PostInChild(DatabaseName(), go[0], true);
    }
    // Both have selected every document before either starts.
    QThread::msleep(1500);
    ASSERT_EQ(write(go[1], "gg", 2), 2);
    int posted = 0;
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        posted += WEXITSTATUS(status);
    }
    close(go[0]);
    close(go[1]);
    EXPECT_EQ(posted, documents);
    EXPECT_EQ(Precepts(), documents);
    EXPECT_EQ(Doubles(), 0);
    EXPECT_EQ(HalfWritten(), 0);
}

TEST_F(Driver, AKilledProcessLeavesWholeVouchersAndItsFlags) {
    const int documents = 60;
    for (int i = 0; i < documents; ++i)
        Invoice(QDate(2024, 8, 1 + i % 28), QString("K%1").arg(i));
    // Each voucher spends a while between its header and its lines.
    Db().ExecuteDirect(
        "CREATE TRIGGER slow AFTER INSERT ON precept FOR EACH ROW SET @x = "
        "SLEEP(0.05)");
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const pid_t child = fork();
    if (child == 0)
        PostInChild(DatabaseName(), go[0], false);
    ASSERT_EQ(write(go[1], "g", 1), 1);
    for (int i = 0; i < 200 && Precepts() < 10; ++i)
        QThread::msleep(20);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(go[0]);
    close(go[1]);
    // The server ends the dead session's transaction; wait until it is gone.
    for (int i = 0; i < 100 && Db().SelectValue("SELECT COUNT(*) FROM information_schema."
                                                "PROCESSLIST WHERE DB = DATABASE() AND ID <> "
                                                "CONNECTION_ID()")
                                       .toInt() > 0;
         ++i)
        QThread::msleep(50);
    Db().ExecuteDirect("DROP TRIGGER slow");
    const qint64 made = Precepts();
    EXPECT_GT(made, 0);
    EXPECT_LT(made, documents);
    EXPECT_EQ(HalfWritten(), 0);
    // A run that died keeps its flags: the next one is refused until the reset.
    EXPECT_TRUE(Flag("0"));
    EXPECT_TRUE(Conter().Execute(false, 0, {}, 0).refused);
    dm->ResetAutoConter();
    EXPECT_EQ(PostAll(), documents - made);
    EXPECT_EQ(Doubles(), 0);
    EXPECT_EQ(HalfWritten(), 0);
}

}  // namespace
}  // namespace fin::test
