#include "journal/preceptedit.h"
#include "host/common/captions.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "journal/journalcaptions.h"
#include "journal/preceptsearch.h"
#include "ledger/ledgercaptions.h"
#include "tests/console/clirun.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

class Vouchers : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        dm->Options().FinancialYear = 2024;
        bank = NewAccount("2410", "Tekući račun");
        buyers = NewAccount("2040", "Kupci", "partner");
        Db().Execute("INSERT INTO partner (partnerid, name) VALUES (7, 'Sedmi')");
    }
    // A voucher of two lines in the list, unregistered.
    qint64 TwoLines(const QDate& date, double debit, double credit, const QString& number) {
        const qint64 id = AddPrecept(type, date, number);
        Line(id, bank, debit, 0);
        Line(id, buyers, 0, credit, 7);
        EXPECT_TRUE(fin::LoadPrecept(*dm, id));
        return id;
    }
    QString Status(qint64 id) {
        return Db().SelectValue("SELECT status FROM precept WHERE preceptid = ?", {id}).toString();
    }
    QStringList Found(const TPreceptSearch& s) {
        FindPrecepts(*dm, s);
        QStringList numbers;
        TQuery& list = dm->PreceptZQ();
        for (list.First(); !list.Eof(); list.Next())
            numbers << list.FieldByName("number").AsString();
        return numbers;
    }
    qint64 bank = 0, buyers = 0;
};

TEST_F(Vouchers, SearchConditionsAreBoundAndNewestComesFirst) {
    AddPrecept(type, QDate(2024, 1, 5), "12");
    AddPrecept(type, QDate(2024, 1, 6), "120");
    const qint64 group = AddPrecept(type, QDate(2024, 1, 7), "12/24", "p");
    AddPrecept(type, QDate(2024, 1, 7), "012", "n", group);
    AddPrecept(type, QDate(2024, 2, 1), "1%", "n");
    AddPrecept(type, QDate(2024, 2, 2), "1_x", "n");
    Db().Execute("UPDATE precept SET description = 'Ulaz robe' WHERE number = '12'");
    Db().Execute("UPDATE precept SET description = 'Nabavka, ulaz' WHERE number = '120'");
    Db().Execute("UPDATE precept SET description = 'O''Brien' WHERE number = '012'");
    Db().Execute(
        "UPDATE precept SET foreigntable = 'document', foreignid = 9 WHERE number = '120'");

    EXPECT_EQ(Found({}), QStringList({"1_x", "1%", "012", "12/24", "120", "12"}));
    TPreceptSearch s;
    s.number = "12";
    EXPECT_EQ(Found(s), QStringList({"12/24", "120", "12"}));
    s.number = "1%";
    EXPECT_EQ(Found(s), QStringList({"1%"}));
    s.number = "1_";
    EXPECT_EQ(Found(s), QStringList({"1_x"}));
    s = {};
    s.description = "Ulaz";
    EXPECT_EQ(Found(s), QStringList({"12"}));
    s.description = "O'B";
    EXPECT_EQ(Found(s), QStringList({"012"}));
    s = {};
    s.status = res::DOC_REG_STATUS_CAPTION;
    EXPECT_EQ(Found(s), QStringList({"12/24"}));
    s = {};
    s.groupprecept = PRE_GROUP_PRECEPT_Y;
    EXPECT_EQ(Found(s), QStringList({"012"}));
    s.groupprecept = PRE_GROUP_PRECEPT_N;
    EXPECT_EQ(Found(s).size(), 5);
    s = {};
    s.datefrom = "6.1.2024";
    s.dateto = "2024-01-07";
    EXPECT_EQ(Found(s), QStringList({"012", "12/24", "120"}));
    s = {};
    s.relatedentity = "Dokument R - 1";
    s.foreignTable = "document";
    s.foreignId = 9;
    EXPECT_EQ(Found(s), QStringList({"120"}));
    s.relatedentity.clear();  // cleared: no source condition
    EXPECT_EQ(Found(s).size(), 6);
    s = {};
    s.precepttype = "Temeljnica' OR '1'='1";
    EXPECT_TRUE(Found(s).isEmpty());
    s = {};
    s.datefrom = "juče";
    EXPECT_THROW(Found(s), TError);
}

TEST_F(Vouchers, RegisterChecksComeInTheirOrderAndRefusalsChangeNothing) {
    const qint64 id = TwoLines(QDate(2024, 3, 31), 100.004, 100, "N1");
    {
        TPreceptEditor editor(*dm);
        EXPECT_TRUE(dm->PreceptOpen);
        EXPECT_THROW(TPreceptEditor second(*dm), TError);
        EXPECT_DOUBLE_EQ(editor.Balance(), 0);
        EXPECT_TRUE(editor.CanRegister());
        EXPECT_EQ(dm->PreceptItemZQ().FieldByName("SubcontoName").AsString(), "");
        dm->PreceptItemZQ().Last();
        EXPECT_EQ(dm->PreceptItemZQ().FieldByName("SubcontoName").AsString(), "Sedmi");

        // 1. Closed period, inclusive.
        editor.UnregisterClosedPeriod = QDate(2024, 3, 31);
        EXPECT_FALSE(editor.Register());
        EXPECT_EQ(ui.LastText(), res::PREC_CLOSED_PERIOD_ERR);
        editor.UnregisterClosedPeriod = QDate(2024, 3, 30);
        // 2. Financial year.
        dm->Options().FinancialYear = 2023;
        EXPECT_FALSE(editor.Register());
        EXPECT_EQ(ui.LastText(), res::PREC_FIN_YEAR_ERR);
        dm->Options().FinancialYear = 2024;
        // 3. Registered meanwhile on another workstation.
        Db().Execute("UPDATE precept SET status = 'p' WHERE preceptid = ?", {id});
        EXPECT_FALSE(editor.Register());
        EXPECT_EQ(ui.LastText(), res::PRECEPT_REG_WRN);
        Db().Execute("UPDATE precept SET status = 'n' WHERE preceptid = ?", {id});
        // 4. Number taken by another voucher of the type.
        AddPrecept(type, QDate(2024, 3, 1), "N1");
        EXPECT_FALSE(editor.Register());
        EXPECT_EQ(ui.LastText(), res::PRECEPT_SAME_NUM_ERR);
        Db().Execute("DELETE FROM precept WHERE number = 'N1' AND preceptid <> ?", {id});
        // 7. A sub-account kind without a sub-account, when the option asks.
        dm->Options().NotAllowRegisterOnSyntAcc = true;
        Db().Execute("UPDATE preceptitem SET foreignid = NULL WHERE preceptid = ?", {id});
        EXPECT_THROW(editor.Register(), TError);
        Db().Execute("UPDATE preceptitem SET foreignid = 7 WHERE preceptid = ?", {id});
        // 8. A temporary line.
        Db().Execute("UPDATE accountnew SET code = '241-1' WHERE accountnewid = ?", {bank});
        editor.LoadLines();
        EXPECT_TRUE(editor.IsTemporaryLine(1));
        EXPECT_FALSE(editor.Register());
        EXPECT_EQ(ui.LastText(), res::PREC_TMP_OR_UNDEF_ERR);
        Db().Execute("UPDATE accountnew SET code = '2410' WHERE accountnewid = ?", {bank});
        editor.LoadLines();
        // 9. The confirmation, declined, then given.
        ui.Answer(TAnswer::No);
        EXPECT_FALSE(editor.Register());
        EXPECT_EQ(Status(id), "n");
        ui.Answer(TAnswer::Yes);
        EXPECT_TRUE(editor.Register());
        EXPECT_EQ(Status(id), "p");
        EXPECT_FALSE(editor.Active());
        // Unregistering refuses a voucher that another workstation unregistered.
        Db().Execute("UPDATE precept SET status = 'n' WHERE preceptid = ?", {id});
        EXPECT_FALSE(editor.Unregister());
        EXPECT_EQ(ui.LastText(), res::PRECEPT_REG_WRN);
        Db().Execute("UPDATE precept SET status = 'p' WHERE preceptid = ?", {id});
        ui.Answer(TAnswer::Yes);
        EXPECT_TRUE(editor.Unregister());
        EXPECT_EQ(Status(id), "n");
    }
    EXPECT_FALSE(dm->PreceptOpen);

    // A merged voucher cannot be registered; the save before the check stays.
    const qint64 parent = AddPrecept(type, QDate(2024, 4, 1), "G1");
    const qint64 child = TwoLines(QDate(2024, 4, 2), 5, 5, "N2");
    Db().Execute("UPDATE precept SET parentid = ? WHERE preceptid = ?", {parent, child});
    fin::LoadPrecept(*dm, child);
    TPreceptEditor editor(*dm);
    try {
        editor.Register();
        ADD_FAILURE();
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::PART_EXIST_REG_ERR);
    }
    EXPECT_EQ(Status(child), "n");
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();

    dm->PreceptItemZQ().Edit();
    dm->PreceptItemZQ().FieldByName("debit").SetValue(5.01);
    dm->PreceptItemZQ().Post();
    editor.ComputeTotals();
    EXPECT_FALSE(editor.CanRegister());
    editor.Save();
    Db().Execute("UPDATE precept SET parentid = NULL WHERE preceptid = ?", {child});
    fin::LoadPrecept(*dm, child);
    editor.LoadLines();
    EXPECT_FALSE(editor.Register());
    EXPECT_TRUE(ui.LastText().contains("saldo je ")) << ui.LastText().toStdString();
    EXPECT_EQ(Status(child), "n");
}

TEST_F(Vouchers, SavingWritesHeaderAndLinesTogetherOrNothing) {
    TQuery& header = dm->PreceptZQ();
    fin::LoadPrecept(*dm, -1);
    header.Append();
    header.FieldByName("precepttypeid").SetValue(type);
    header.FieldByName("preceptdate").SetValue(QDate(2024, 6, 1));
    header.FieldByName("registerdate").SetValue(QDate(2024, 6, 1));
    header.FieldByName("number").SetValue("S1");
    header.FieldByName("description").SetValue("Novi");
    TPreceptEditor editor(*dm);
    TQuery& lines = dm->PreceptItemZQ();
    for (double amount : {10.0, -10.0}) {
        lines.Append();
        lines.FieldByName("ContoNewCode").SetValue(amount > 0 ? "2410" : "2040");
        lines.FieldByName(amount > 0 ? "debit" : "credit").SetValue(std::abs(amount));
        lines.Post();
    }
    const qint64 vouchers = Count("precept");
    Db().ExecuteDirect(
        "CREATE TRIGGER refuse_lines BEFORE INSERT ON preceptitem FOR EACH ROW "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'odbijeno'");
    EXPECT_THROW(editor.Save(), TError);
    EXPECT_EQ(Count("precept"), vouchers);
    EXPECT_EQ(Count("preceptitem"), 0);
    // Everything typed is still there, ready for another try.
    EXPECT_EQ(header.State(), TDataSetState::Insert);
    EXPECT_EQ(header.FieldByName("description").AsString(), "Novi");
    EXPECT_EQ(lines.RecordCount(), 2);
    EXPECT_TRUE(lines.UpdatesPending());
    Db().ExecuteDirect("DROP TRIGGER refuse_lines");
    editor.Save();
    const qint64 id = header.FieldByName("preceptid").AsInteger();
    EXPECT_GT(id, 0);
    EXPECT_EQ(
        Db().SelectValue("SELECT COUNT(*) FROM preceptitem WHERE preceptid = ?", {id}).toInt(), 2);

    // An edit that fails keeps the edit; the stored voucher is as before.
    header.Edit();
    header.FieldByName("description").SetValue("Izmenjen");
    lines.First();
    lines.Edit();
    lines.FieldByName("debit").SetValue(11.0);
    lines.Post();
    Db().ExecuteDirect(
        "CREATE TRIGGER refuse_change BEFORE UPDATE ON preceptitem FOR EACH ROW "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'odbijeno'");
    EXPECT_THROW(editor.Save(), TError);
    EXPECT_EQ(
        Db().SelectValue("SELECT description FROM precept WHERE preceptid = ?", {id}).toString(),
        "Novi");
    EXPECT_EQ(header.State(), TDataSetState::Edit);
    EXPECT_EQ(header.FieldByName("description").AsString(), "Izmenjen");
    Db().ExecuteDirect("DROP TRIGGER refuse_change");
    editor.Save();
    EXPECT_EQ(
        Db().SelectValue("SELECT description FROM precept WHERE preceptid = ?", {id}).toString(),
        "Izmenjen");
}

TEST_F(Vouchers, CopyMoveAndDeleteAllLines) {
    const qint64 id = TwoLines(QDate(2023, 5, 5), 10, 10, "C1");
    dm->Options().FinancialYear = 2023;
    dm->Today = [] { return QDate(2024, 2, 29); };
    TPreceptEditor editor(*dm);
    const qint64 copy = editor.Copy();
    ASSERT_GT(copy, 0);
    EXPECT_EQ(ui.LastText(), res::PRE_COPIED);
    EXPECT_EQ(
        Db().SelectValue("SELECT preceptdate FROM precept WHERE preceptid = ?", {copy}).toDate(),
        QDate(2023, 2, 28));
    EXPECT_EQ(
        Db().SelectValue("SELECT COUNT(*) FROM preceptitem WHERE preceptid = ?", {copy}).toInt(),
        2);
    (void)id;

    TQuery& lines = dm->PreceptItemZQ();
    lines.First();
    EXPECT_FALSE(editor.CanMoveUp());
    ASSERT_TRUE(editor.CanMoveDown());
    editor.MoveDown();
    lines.First();
    EXPECT_EQ(lines.FieldByName("accountnewid").AsInteger(), buyers);
    editor.SortByValue();
    EXPECT_FALSE(editor.CanMoveDown());
    lines.Last();
    EXPECT_FALSE(editor.CanMoveUp());
    // A posted line takes its place in the order at once, and the totals follow.
    lines.First();
    EXPECT_EQ(lines.FieldByName("accountnewid").AsInteger(), buyers);
    lines.Edit();
    lines.FieldByName("debit").SetValue(20.0);
    lines.Post();
    lines.First();
    EXPECT_EQ(lines.FieldByName("accountnewid").AsInteger(), bank);
    EXPECT_DOUBLE_EQ(editor.TotalDebit(), 30);

    ui.Answer(TAnswer::Yes);
    editor.DeleteAllLines();
    EXPECT_TRUE(lines.IsEmpty());
    EXPECT_DOUBLE_EQ(editor.TotalDebit(), 0);
    EXPECT_TRUE(ui.Unexpected().isEmpty());
    editor.Cancel();
    EXPECT_EQ(lines.RecordCount(), 2);
}

TEST_F(Vouchers, CommandLineAddsListsAndRegisters) {
    qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
    TDBIniFile(&Db()).WriteString(kFinancialSection, "FinancialYear", "2024");
    TCliRun run;
    const QString& out = run.out;
    const QString& err = run.err;
    const QString typeId = QString::number(type);
    ASSERT_EQ(run({"voucher", "add", "--type", typeId, "--date", "2024-05-10", "--description",
                   "Uplata 'A' 100%", "--line", "2410;100;0;Uplata", "--line", "2040:7;0;100"}),
              0)
        << err.toStdString();
    const QString id = out.section('\t', 0, 0);
    EXPECT_FALSE(out.section('\t', 1).trimmed().isEmpty());
    ASSERT_EQ(run({"voucher", "show", id, "--json"}), 0);
    EXPECT_TRUE(out.contains("\"ContoNewCode\": \"2040\"")) << out.toStdString();
    EXPECT_TRUE(out.contains("\"sort\": 2"));
    ASSERT_EQ(run({"voucher", "list", "--description", "Uplata 'A' 1", "--status", "n"}), 0);
    EXPECT_TRUE(out.contains("Uplata 'A' 100%"));

    // Nothing is written when a line is wrong.
    const qint64 before = Count("precept");
    EXPECT_EQ(run({"voucher", "add", "--type", typeId, "--line", "2410;1,5;0"}), 1);
    EXPECT_EQ(run({"voucher", "add", "--type", typeId, "--line", "9999;1;0"}), 1);
    EXPECT_TRUE(err.contains("9999"));
    EXPECT_EQ(run({"voucher", "add", "--type", typeId, "--line", "2040:8;1;0"}), 1);
    EXPECT_EQ(Count("precept"), before);

    ASSERT_EQ(run({"voucher", "register", id}), 0) << err.toStdString();
    EXPECT_EQ(Status(id.toLongLong()), "p");
    EXPECT_EQ(run({"voucher", "register", id}), 1);
    EXPECT_TRUE(err.startsWith("Ne možete promeniti nalog")) << err.toStdString();
    EXPECT_EQ(run({"voucher", "unregister", id}), 0);
    EXPECT_EQ(run({"voucher", "register", "x"}), 1);
    EXPECT_EQ(run({"voucher", "register"}), 2);

    // A voucher that does not balance is never registered, whoever asks.
    ASSERT_EQ(run({"voucher", "add", "--type", typeId, "--date", "2024-05-11", "--line",
                   "2410;100.01;0", "--line", "2040:7;0;100"}),
              0);
    const QString uneven = out.section('\t', 0, 0);
    EXPECT_EQ(run({"voucher", "register", uneven}), 1);
    EXPECT_TRUE(err.contains("saldo je 0,01")) << err.toStdString();
    EXPECT_EQ(Status(uneven.toLongLong()), "n");
}

}  // namespace
}  // namespace fin::test
