#include "journal/bulkjobs.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "journal/bulkcaptions.h"
#include "tests/console/clirun.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

class BulkJobs : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        dm->Options().FinancialYear = 2024;
        bank = NewAccount("2410", "Tekući račun");
        buyers = NewAccount("2040", "Kupci");
        retail = NewAccount("134900", "Razlika u ceni u maloprodaji");
        wholesale = NewAccount("1329", "Razlika u ceni na veliko");
        sales = NewAccount("6040", "Prihodi od prodaje robe");
        temporary = NewAccount("-241", "Privremeni konto");
    }
    void TearDown() override {
        second.reset();
        TReportsTest::TearDown();
    }

    // A voucher of the test type with one debit and one credit line.
    qint64 Pair(const QDate& date, qint64 debitAccount, double debit, qint64 creditAccount,
                double credit, qint64 voucherType = 0) {
        const qint64 id = Voucher(date, "n", voucherType);
        Line(id, debitAccount, debit, 0);
        Line(id, creditAccount, 0, credit);
        return id;
    }
    QString Status(qint64 id) {
        return Db().SelectValue("SELECT status FROM precept WHERE preceptid = ?", {id}).toString();
    }
    QStringList Statuses(const QVector<qint64>& ids) {
        QStringList s;
        for (qint64 id : ids)
            s << Status(id);
        return s;
    }
    double Amount(qint64 line, const char* column) {
        return Db()
            .SelectValue(QStringLiteral("SELECT %1 FROM preceptitem WHERE preceptitemid = ?")
                             .arg(QLatin1String(column)),
                         {line})
            .toDouble();
    }
    double Balance(qint64 voucher) {
        return Db()
            .SelectValue(
                "SELECT ROUND(SUM(debit) - SUM(credit), 2) FROM preceptitem WHERE "
                "preceptid = ?",
                {voucher})
            .toDouble();
    }
    // Every voucher's status and every line as they stand, to see that nothing changed.
    QString Snapshot() {
        QStringList rows;
        for (const auto& r : Db().Select("SELECT preceptid, status, COALESCE(parentid, 0), "
                                         "number FROM precept ORDER BY preceptid")
                                 .rows)
            rows << QStringLiteral("%1 %2 %3 %4")
                        .arg(r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString());
        for (const auto& r : Db().Select("SELECT preceptitemid, preceptid, sort, debit, credit "
                                         "FROM preceptitem ORDER BY preceptitemid")
                                 .rows)
            rows << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString(),
                             r[4].toString());
        return rows.join('\n');
    }
    void Setting(const char* key, const QString& value) {
        TDBIniFile(&Db()).WriteString("AutoRegister", QString::fromLatin1(key), value);
    }
    // Another workstation on the same database.
    TConnection& Other() {
        if (!second)
            second = OpenSecond();
        return *second;
    }

    qint64 bank = 0, buyers = 0, retail = 0, wholesale = 0, sales = 0, temporary = 0;
    std::unique_ptr<TConnection> second;
};

TEST_F(BulkJobs, RoundingTakesUpToNineHundredthsOnTheFirstRoundingLine) {
    // 100.00 against 99.95: a credit line on 1349 takes the difference as credit ...
    const qint64 a = Voucher(QDate(2024, 3, 1), "n");
    Line(a, bank, 100, 0);
    const qint64 aRound = Line(a, retail, 0, 99.95);
    // ... a debit line on 1349 gives it up from its debit.
    const qint64 b = Voucher(QDate(2024, 3, 2), "n");
    const qint64 bRound = Line(b, retail, 100, 0);
    Line(b, buyers, 0, 99.95);
    // The bounds: 0.01 and 0.09 either way are rounded, 0.10 is not.
    const qint64 cent = Pair(QDate(2024, 3, 3), sales, 50.01, buyers, 50);
    const qint64 nine = Pair(QDate(2024, 3, 4), bank, 10, sales, 10.09);
    const qint64 ten = Pair(QDate(2024, 3, 5), sales, 10.10, bank, 10);
    // The lowest rounding code is the one changed, whatever the line order.
    const qint64 first = Voucher(QDate(2024, 3, 6), "n");
    const qint64 onSales = Line(first, sales, 0, 20);
    const qint64 onWholesale = Line(first, wholesale, 0, 10);
    Line(first, bank, 30.04, 0);
    // Registered, of another year, without a rounding line: left alone.
    const qint64 registered = Pair(QDate(2024, 3, 7), retail, 5.05, bank, 5, 0);
    Db().Execute("UPDATE precept SET status = 'p' WHERE preceptid = ?", {registered});
    const qint64 lastYear = Pair(QDate(2023, 12, 31), retail, 5.05, bank, 5);
    const qint64 noRounding = Pair(QDate(2024, 3, 8), bank, 5.05, buyers, 5);
    const qint64 balanced = Pair(QDate(2024, 3, 9), retail, 5, bank, 5);

    TBulkJobs jobs(*dm);
    const TBulkResult r = jobs.AutoRound(0);
    EXPECT_EQ(r.ids, QVector<qint64>({a, b, cent, nine, first}));
    EXPECT_EQ(r.message, "5 naloga je zaokruženo.");
    EXPECT_EQ(ui.LastText(), r.message);
    EXPECT_EQ(ui.Shown().back().type, TMessageType::Information);
    EXPECT_DOUBLE_EQ(Amount(aRound, "credit"), 100);
    EXPECT_DOUBLE_EQ(Amount(aRound, "debit"), 0);
    EXPECT_DOUBLE_EQ(Amount(bRound, "debit"), 99.95);
    EXPECT_DOUBLE_EQ(Amount(bRound, "credit"), 0);
    EXPECT_DOUBLE_EQ(Amount(onWholesale, "credit"), 10.04);
    EXPECT_DOUBLE_EQ(Amount(onSales, "credit"), 20);
    for (qint64 id : r.ids)
        EXPECT_DOUBLE_EQ(Balance(id), 0) << id;
    EXPECT_DOUBLE_EQ(Balance(ten), 0.10);
    for (qint64 id : {registered, lastYear, noRounding})
        EXPECT_DOUBLE_EQ(Balance(id), 0.05) << id;
    EXPECT_DOUBLE_EQ(Balance(balanced), 0);
    EXPECT_EQ(ui.BusyDepth(), 0);

    // One type only; nothing left to round says so.
    const qint64 other = AddType("78", "Drugi");
    const qint64 ofOther = Pair(QDate(2024, 4, 1), retail, 1.02, bank, 1, other);
    const qint64 ofTest = Pair(QDate(2024, 4, 1), retail, 1.02, bank, 1);
    EXPECT_EQ(jobs.AutoRound(other).ids, QVector<qint64>({ofOther}));
    EXPECT_DOUBLE_EQ(Balance(ofTest), 0.02);
    EXPECT_EQ(jobs.AutoRound(other).message, "0 naloga je zaokruženo.");
}

TEST_F(BulkJobs, RegistrationTakesBalancedVouchersWithUsableNumbers) {
    const qint64 balanced = Pair(QDate(2024, 1, 1), bank, 100, buyers, 100);
    const qint64 onBounds = Pair(QDate(2024, 12, 31), bank, 100.004, buyers, 100);
    const qint64 uneven = Pair(QDate(2024, 2, 1), bank, 100.01, buyers, 100);
    const qint64 lastYear = Pair(QDate(2023, 12, 31), bank, 1, buyers, 1);
    // A temporary account and a line without a new-chart account do not count.
    const qint64 withTemporary = Pair(QDate(2024, 2, 2), bank, 7, buyers, 7);
    Line(withTemporary, temporary, 3, 0);
    Line(withTemporary, 0, 0, 9, {}, OldAccount("2410"));
    const qint64 onlyTemporary = Pair(QDate(2024, 2, 3), temporary, 1, temporary, 1);
    // Merged into a group voucher: never registered in bulk.
    const qint64 group = AddPrecept(30, QDate(2024, 2, 4), "G-1", "n");
    const qint64 merged = Pair(QDate(2024, 2, 4), bank, 5, buyers, 5);
    Db().Execute("UPDATE precept SET parentid = ? WHERE preceptid = ?", {group, merged});
    // Without a number, or with one another voucher of the type has (in any letter case).
    const qint64 noNumber = Pair(QDate(2024, 2, 5), bank, 2, buyers, 2);
    Db().Execute("UPDATE precept SET number = '' WHERE preceptid = ?", {noNumber});
    const qint64 twin = Pair(QDate(2024, 2, 6), bank, 2, buyers, 2);
    const qint64 twinRegistered = AddPrecept(type, QDate(2024, 2, 7), "X-1", "p");
    Db().Execute("UPDATE precept SET number = 'x-1' WHERE preceptid = ?", {twin});
    // The same number in another type is no obstacle.
    const qint64 other = AddType("78", "Drugi");
    const qint64 sameNumberOtherType = Pair(QDate(2024, 2, 8), bank, 3, buyers, 3, other);
    Db().Execute("UPDATE precept SET number = 'X-1' WHERE preceptid = ?", {sameNumberOtherType});
    // Empty vouchers: of type 5 registered with the setting, of type 7 not.
    const qint64 empty5 = AddPrecept(5, QDate(2024, 3, 1), "E5");
    const qint64 empty7 = AddPrecept(7, QDate(2024, 3, 1), "E7");
    const qint64 emptyMerged = AddPrecept(5, QDate(2024, 3, 2), "E5b", "n", group);
    const qint64 emptyNoNumber = AddPrecept(6, QDate(2024, 3, 2), "");
    Setting("IncludeEmptyTypes", " 5, 6 ");

    TBulkJobs jobs(*dm);
    const TBulkResult r = jobs.AutoRegister(0);
    EXPECT_EQ(r.ids,
              QVector<qint64>({balanced, onBounds, withTemporary, sameNumberOtherType, empty5}));
    EXPECT_EQ(r.message, "5 naloga je proknjiženo.");
    EXPECT_EQ(ui.LastText(), r.message);
    EXPECT_EQ(Statuses(r.ids), QStringList(5, "p"));
    EXPECT_EQ(Statuses({uneven, lastYear, onlyTemporary, merged, noNumber, twin, empty7,
                        emptyMerged, emptyNoNumber, group}),
              QStringList(10, "n"));
    EXPECT_EQ(Status(twinRegistered), "p");
    // Only the status changes.
    EXPECT_EQ(Db().SelectValue("SELECT registerdate FROM precept WHERE preceptid = ?", {balanced})
                  .toDate(),
              QDate(2024, 1, 1));

    // One type; types excepted by the setting are never registered.
    const qint64 ofOther = Pair(QDate(2024, 4, 1), bank, 4, buyers, 4, other);
    const qint64 ofTest = Pair(QDate(2024, 4, 1), bank, 4, buyers, 4);
    const qint64 ofFive = Pair(QDate(2024, 4, 1), bank, 4, buyers, 4, 5);
    EXPECT_EQ(jobs.AutoRegister(other).ids, QVector<qint64>({ofOther}));
    Setting("ExceptTypes", QStringLiteral("%1,5").arg(type));
    EXPECT_EQ(jobs.AutoRegister(0).message, "0 naloga je proknjiženo.");
    EXPECT_EQ(Statuses({ofTest, ofFive}), QStringList({"n", "n"}));
    Setting("ExceptTypes", "");
    EXPECT_EQ(jobs.AutoRegister(0).ids, QVector<qint64>({ofTest, ofFive}));
}

TEST_F(BulkJobs, SettingsAreNumbersOnlyAndARefusalChangesNothing) {
    Pair(QDate(2024, 1, 1), bank, 100, buyers, 100);
    const QString before = Snapshot();
    TBulkJobs jobs(*dm);
    for (const char* key : {"ExceptTypes", "IncludeEmptyTypes"})
        for (const char* bad : {"5,x", "0) OR (1=1", "5'", "5;6", "5,,6", "-5", "+5"}) {
            Setting(key, QString::fromLatin1(bad));
            try {
                jobs.AutoRegister(0);
                ADD_FAILURE() << key << ' ' << bad;
            } catch (const TError& e) {
                EXPECT_TRUE(e.Message().contains(QString::fromLatin1(key))) << bad;
                EXPECT_TRUE(e.Message().contains("AutoRegister"));
                EXPECT_TRUE(e.Message().contains(QString::fromLatin1(bad)));
            }
            Setting(key, "0");
        }
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(TypeIdList("S", "K", " 12 ,3"), QVector<qint64>({12, 3}));
    EXPECT_TRUE(TypeIdList("S", "K", "  ").isEmpty());
}

TEST_F(BulkJobs, EachJobIsAllOrNothing) {
    const qint64 one = Pair(QDate(2024, 1, 1), bank, 100, buyers, 100);
    const qint64 two = Pair(QDate(2024, 1, 2), bank, 100, buyers, 100);
    const qint64 three = Pair(QDate(2024, 1, 3), bank, 100, buyers, 100);
    const qint64 r1 = Pair(QDate(2024, 1, 4), retail, 1.01, bank, 1);
    const qint64 r2 = Pair(QDate(2024, 1, 5), retail, 1.01, bank, 1);
    const QString before = Snapshot();
    TBulkJobs jobs(*dm);

    // The second of three vouchers refuses its change: none of the three is registered.
    Db().ExecuteDirect(QStringLiteral("CREATE TRIGGER refuse_register BEFORE UPDATE ON precept "
                                      "FOR EACH ROW BEGIN IF NEW.preceptid = %1 THEN SIGNAL "
                                      "SQLSTATE '45000' SET MESSAGE_TEXT = 'odbijeno'; END IF; END")
                           .arg(two));
    EXPECT_THROW(jobs.AutoRegister(0), TError);
    EXPECT_EQ(Snapshot(), before);
    Db().ExecuteDirect("DROP TRIGGER refuse_register");

    // The second rounding line refuses: the first is not rounded either.
    Db().ExecuteDirect(QStringLiteral("CREATE TRIGGER refuse_round BEFORE UPDATE ON preceptitem "
                                      "FOR EACH ROW BEGIN IF NEW.preceptid = %1 THEN SIGNAL "
                                      "SQLSTATE '45000' SET MESSAGE_TEXT = 'odbijeno'; END IF; END")
                           .arg(r2));
    EXPECT_THROW(jobs.AutoRound(0), TError);
    EXPECT_EQ(Snapshot(), before);
    Db().ExecuteDirect("DROP TRIGGER refuse_round");

    // Stopped at the progress: nothing written, nothing said.
    const size_t shown = ui.Shown().size();
    ui.StopProgressAt(2);
    EXPECT_THROW(jobs.AutoRegister(0), TAbort);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(ui.Shown().size(), shown);
    ui.StopProgressAt(-1);

    // The temporary tables went with their jobs; the same jobs run again as new.
    EXPECT_EQ(jobs.AutoRegister(0).ids, QVector<qint64>({one, two, three}));
    EXPECT_EQ(jobs.AutoRound(0).ids, QVector<qint64>({r1, r2}));
    EXPECT_EQ(Db().TransactionDepth(), 0);
}

TEST_F(BulkJobs, WritesSkipWhatAnotherWorkstationChangedMeanwhile) {
    const qint64 keep = Pair(QDate(2024, 1, 1), bank, 100, buyers, 100);
    const qint64 registered = Pair(QDate(2024, 1, 2), bank, 100, buyers, 100);
    const qint64 merged = Pair(QDate(2024, 1, 3), bank, 100, buyers, 100);
    const qint64 deleted = Pair(QDate(2024, 1, 4), bank, 100, buyers, 100);
    const qint64 group = AddPrecept(30, QDate(2024, 1, 5), "G-1", "p");
    TBulkJobs jobs(*dm);
    jobs.BeforeWrite = [&] {
        TConnection& other = Other();
        other.Execute("UPDATE precept SET status = 'p' WHERE preceptid = ?", {registered});
        other.Execute("UPDATE precept SET parentid = ? WHERE preceptid = ?", {group, merged});
        other.Execute("DELETE FROM preceptitem WHERE preceptid = ?", {deleted});
        other.Execute("DELETE FROM precept WHERE preceptid = ?", {deleted});
    };
    EXPECT_EQ(jobs.AutoRegister(0).ids, QVector<qint64>({keep}));
    EXPECT_EQ(Status(merged), "n");

    // Rounding: a line another workstation changed, a voucher it registered and one whose
    // other line it corrected keep what it wrote.
    const qint64 round = Pair(QDate(2024, 2, 1), retail, 1.01, bank, 1);
    const qint64 changedLineVoucher = Voucher(QDate(2024, 2, 2), "n");
    const qint64 changedLine = Line(changedLineVoucher, retail, 1.01, 0);
    Line(changedLineVoucher, bank, 0, 1);
    const qint64 registeredRound = Pair(QDate(2024, 2, 3), retail, 1.01, bank, 1);
    const qint64 corrected = Voucher(QDate(2024, 2, 4), "n");
    const qint64 correctedRound = Line(corrected, retail, 1.01, 0);
    const qint64 correctedOther = Line(corrected, bank, 0, 1);
    jobs.BeforeWrite = [&] {
        TConnection& other = Other();
        other.Execute("UPDATE preceptitem SET debit = 1.03 WHERE preceptitemid = ?", {changedLine});
        other.Execute("UPDATE precept SET status = 'p' WHERE preceptid = ?", {registeredRound});
        other.Execute("UPDATE preceptitem SET credit = 1.01 WHERE preceptitemid = ?",
                      {correctedOther});
    };
    EXPECT_EQ(jobs.AutoRound(0).ids, QVector<qint64>({round}));
    EXPECT_DOUBLE_EQ(Amount(changedLine, "debit"), 1.03);
    EXPECT_DOUBLE_EQ(Balance(registeredRound), 0.01);
    EXPECT_DOUBLE_EQ(Amount(correctedRound, "debit"), 1.01);
    EXPECT_DOUBLE_EQ(Balance(corrected), 0);
}

class Merge : public BulkJobs {
protected:
    void SetUp() override {
        BulkJobs::SetUp();
        if (HasFatalFailure())
            return;
        receipts = AddType("01", "Kalkulacija");
    }
    QVector<qint64> Lines(qint64 voucher) {
        QVector<qint64> ids;
        for (const auto& r : Db().Select("SELECT preceptitemid FROM preceptitem WHERE preceptid "
                                         "= ? ORDER BY sort",
                                         {voucher})
                                 .rows)
            ids << r[0].toLongLong();
        return ids;
    }
    QVariant Parent(qint64 voucher) {
        return Db().SelectValue("SELECT parentid FROM precept WHERE preceptid = ?", {voucher});
    }
    qint64 receipts = 0;
};

TEST_F(Merge, LinesMoveInTheirVouchersOrderIntoOneGroupVoucher) {
    // Three lines and two, on the period's bounds; their own order is by "sort".
    const qint64 a = Voucher(QDate(2024, 3, 1), "n", receipts);
    const qint64 a3 = Line(a, bank, 3, 0);
    const qint64 a1 = Line(a, bank, 1, 0);
    const qint64 a2 = Line(a, buyers, 0, 4);
    Db().Execute("UPDATE preceptitem SET sort = 3 WHERE preceptitemid = ?", {a3});
    Db().Execute("UPDATE preceptitem SET sort = 1 WHERE preceptitemid = ?", {a1});
    Db().Execute("UPDATE preceptitem SET sort = 2 WHERE preceptitemid = ?", {a2});
    const qint64 b = Pair(QDate(2024, 3, 31), bank, 5, buyers, 5, receipts);
    const QVector<qint64> bLines = Lines(b);
    // Left alone: registered, empty, outside the period, of another type.
    const qint64 registered = Pair(QDate(2024, 3, 15), bank, 9, buyers, 9, receipts);
    Db().Execute("UPDATE precept SET status = 'p' WHERE preceptid = ?", {registered});
    const qint64 empty = Voucher(QDate(2024, 3, 16), "n", receipts);
    const qint64 outside = Pair(QDate(2024, 4, 1), bank, 9, buyers, 9, receipts);
    const qint64 otherType = Pair(QDate(2024, 3, 16), bank, 9, buyers, 9);
    dm->Today = [] { return QDate(2024, 5, 5); };

    TBulkJobs jobs(*dm);
    const TBulkResult r = jobs.MergeIt(QDate(2024, 3, 1), QDate(2024, 3, 31), receipts);
    ASSERT_GT(r.groupId, 0);
    EXPECT_EQ(r.ids, QVector<qint64>({a, b}));
    EXPECT_EQ(Lines(r.groupId), QVector<qint64>({a1, a2, a3, bLines[0], bLines[1]}));
    QStringList sorts;
    for (const auto& row :
         Db().Select("SELECT sort FROM preceptitem WHERE preceptid = ? ORDER BY sort", {r.groupId})
             .rows)
        sorts << row[0].toString();
    EXPECT_EQ(sorts, QStringList({"1", "2", "3", "4", "5"}));
    EXPECT_TRUE(Lines(a).isEmpty());
    EXPECT_TRUE(Lines(b).isEmpty());
    EXPECT_EQ(Parent(a).toLongLong(), r.groupId);
    EXPECT_EQ(Parent(b).toLongLong(), r.groupId);
    for (qint64 id : {registered, empty, outside, otherType})
        EXPECT_TRUE(Parent(id).isNull()) << id;
    EXPECT_EQ(Lines(registered).size(), 2);
    EXPECT_EQ(Statuses({a, b, registered}), QStringList({"n", "n", "p"}));

    // The group voucher: type 30, dated at the period's end, numbered, described, and the
    // list's current record.
    const TResultSet g = Db().Select(
        "SELECT precepttypeid, preceptdate, status, number, description, parentid FROM precept "
        "WHERE preceptid = ?",
        {r.groupId});
    EXPECT_EQ(g.rows[0][0].toInt(), 30);
    EXPECT_EQ(g.rows[0][1].toDate(), QDate(2024, 3, 31));
    EXPECT_EQ(g.rows[0][2].toString(), "n");
    EXPECT_TRUE(g.rows[0][3].toString().endsWith("-30")) << g.rows[0][3].toString().toStdString();
    EXPECT_EQ(g.rows[0][4].toString(), "01 - Kalkulacija od 01.03.2024 do 31.03.2024");
    EXPECT_TRUE(g.rows[0][5].isNull());
    TQuery& list = dm->PreceptZQ();
    EXPECT_EQ(list.FieldByName("preceptid").AsInteger(), r.groupId);
    EXPECT_EQ(list.FieldByName("PreceptType").AsString(), "Grupni nalog");
    EXPECT_TRUE(r.message.contains(g.rows[0][3].toString()));
    EXPECT_DOUBLE_EQ(Balance(r.groupId), 0);

    // The emptied vouchers are not registered in bulk, even as empty ones.
    Setting("IncludeEmptyTypes", QString::number(receipts));
    const QVector<qint64> registeredNow = jobs.AutoRegister(0).ids;
    EXPECT_FALSE(registeredNow.contains(a));
    EXPECT_FALSE(registeredNow.contains(b));
    EXPECT_TRUE(registeredNow.contains(empty));
    EXPECT_TRUE(registeredNow.contains(r.groupId));

    // Nothing left to merge: said, and nothing written.
    const QString before = Snapshot();
    const int rows = list.RecordCount();
    const TBulkResult none = jobs.MergeIt(QDate(2024, 3, 1), QDate(2024, 3, 31), receipts);
    EXPECT_EQ(none.groupId, 0);
    EXPECT_EQ(none.message, res::MERGE_NO_PERC);
    EXPECT_EQ(ui.LastText(), res::MERGE_NO_PERC);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(list.RecordCount(), rows);
}

TEST_F(Merge, RefusalsAndFailuresLeaveEverythingAsItWas) {
    const qint64 a = Voucher(QDate(2024, 3, 1), "n", receipts);
    Line(a, bank, 1, 0);
    Line(a, bank, 2, 0);
    Line(a, buyers, 0, 3);
    const qint64 b = Pair(QDate(2024, 3, 2), bank, 5, buyers, 5, receipts);
    const QString before = Snapshot();
    TBulkJobs jobs(*dm);
    TQuery& list = dm->PreceptZQ();
    list.Open();
    const int rows = list.RecordCount();
    auto refused = [&](const QDate& from, const QDate& to, qint64 typeId, const QString& text) {
        try {
            jobs.MergeIt(from, to, typeId);
            ADD_FAILURE() << text.toStdString();
        } catch (const TError& e) {
            EXPECT_TRUE(e.Message().contains(text)) << e.Message().toStdString();
        }
        EXPECT_EQ(Snapshot(), before);
        EXPECT_EQ(list.RecordCount(), rows);
    };
    refused(QDate(2024, 3, 31), QDate(2024, 3, 1), receipts, "pre \"Od datuma\"");
    refused(QDate(2024, 3, 1), QDate(2024, 3, 31), 999, "Tip naloga 999 ne postoji.");
    Db().Execute("UPDATE precepttype SET precepttypeid = 300 WHERE precepttypeid = 30");
    refused(QDate(2024, 3, 1), QDate(2024, 3, 31), receipts, "tip naloga 30");
    Db().Execute("UPDATE precepttype SET precepttypeid = 30 WHERE precepttypeid = 300");

    // The fourth line refuses its move: no group voucher, no mark, every line in place.
    Db().ExecuteDirect(
        "CREATE TRIGGER refuse_move BEFORE UPDATE ON preceptitem FOR EACH ROW "
        "BEGIN IF NEW.sort = 4 THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = "
        "'odbijeno'; END IF; END");
    refused(QDate(2024, 3, 1), QDate(2024, 3, 31), receipts, "odbijeno");
    Db().ExecuteDirect("DROP TRIGGER refuse_move");

    // A voucher registered by another workstation meanwhile is neither merged nor marked.
    jobs.BeforeWrite = [&] {
        Other().Execute("UPDATE precept SET status = 'p' WHERE preceptid = ?", {b});
    };
    const TBulkResult r = jobs.MergeIt(QDate(2024, 3, 1), QDate(2024, 3, 31), receipts);
    EXPECT_EQ(r.ids, QVector<qint64>({a}));
    EXPECT_TRUE(Parent(b).isNull());
    EXPECT_EQ(Lines(b).size(), 2);
    EXPECT_EQ(Lines(r.groupId).size(), 3);

    // Every voucher taken meanwhile: the group voucher is not written after all.
    const qint64 c = Pair(QDate(2024, 3, 3), bank, 5, buyers, 5, receipts);
    jobs.BeforeWrite = [&] {
        Other().Execute("UPDATE precept SET status = 'p' WHERE preceptid = ?", {c});
    };
    const qint64 vouchers = Count("precept");
    const int listed = list.RecordCount();
    EXPECT_EQ(jobs.MergeIt(QDate(2024, 3, 1), QDate(2024, 3, 31), receipts).groupId, 0);
    EXPECT_EQ(ui.LastText(), res::MERGE_NO_PERC);
    EXPECT_EQ(Count("precept"), vouchers);
    EXPECT_EQ(list.RecordCount(), listed);
}

TEST_F(Merge, CommandLineRunsTheSameJobs) {
    qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
    TDBIniFile(&Db()).WriteString("Financial", "FinancialYear", "2024");
    const qint64 balanced = Pair(QDate(2024, 1, 1), bank, 100, buyers, 100);
    const qint64 round = Pair(QDate(2024, 1, 2), retail, 100, buyers, 99.95);
    const qint64 a = Pair(QDate(2024, 3, 1), bank, 1, buyers, 1, receipts);
    const qint64 b = Pair(QDate(2024, 3, 2), bank, 2, buyers, 2, receipts);
    TCliRun run;
    const QString& out = run.out;
    const QString& err = run.err;
    const QString receiptsId = QString::number(receipts);

    ASSERT_EQ(run({"voucher", "round", "--json"}), 0) << err.toStdString();
    EXPECT_EQ(out.trimmed(), QStringLiteral("{\"count\":1,\"message\":\"1 naloga je zaokruženo."
                                            "\",\"preceptids\":[%1]}")
                                 .arg(round));
    ASSERT_EQ(run({"voucher", "register-balanced", "--type", QString::number(type)}), 0);
    EXPECT_EQ(out, "2 naloga je proknjiženo.\n");
    EXPECT_EQ(Statuses({balanced, round, a}), QStringList({"p", "p", "n"}));

    ASSERT_EQ(run({"voucher", "merge", "--type", receiptsId, "--from", "1.3.2024", "--to",
                   "2024-03-31", "--json"}),
              0)
        << err.toStdString();
    const qint64 group = Parent(a).toLongLong();
    EXPECT_GT(group, 0);
    EXPECT_TRUE(out.contains(QStringLiteral("\"groupid\":%1").arg(group))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("\"preceptids\":[%1,%2]").arg(a).arg(b)));

    // Refusals: exit 1 with the message, nothing written; wrong usage: exit 2.
    const QString before = Snapshot();
    EXPECT_EQ(run({"voucher", "merge", "--type", receiptsId, "--from", "2024-03-01", "--to",
                   "2024-03-31"}),
              1);
    EXPECT_EQ(err, res::MERGE_NO_PERC + "\n");
    EXPECT_EQ(run({"voucher", "merge", "--type", receiptsId, "--from", "2024-03-31", "--to",
                   "2024-03-01"}),
              1);
    EXPECT_TRUE(err.contains("pre \"Od datuma\"")) << err.toStdString();
    EXPECT_EQ(
        run({"voucher", "merge", "--type", receiptsId, "--from", "juče", "--to", "2024-03-01"}), 2);
    EXPECT_EQ(run({"voucher", "merge", "--type", receiptsId}), 2);
    EXPECT_EQ(run({"voucher", "round", "--type", "999"}), 1);
    EXPECT_EQ(err, "Tip naloga 999 ne postoji.\n");
    EXPECT_EQ(run({"voucher", "round", "5"}), 2);
    Setting("ExceptTypes", "5 OR 1=1");
    EXPECT_EQ(run({"voucher", "register-balanced"}), 1);
    EXPECT_TRUE(err.contains("\"ExceptTypes\"")) << err.toStdString();
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(run({"voucher", "register-balanced", "--help"}), 0);
    EXPECT_TRUE(out.contains("ExceptTypes"));
}

}  // namespace
}  // namespace fin::test
