#include "host/common/captions.h"
#include "ledger/ledgercaptions.h"
#include "tests/ledger/ledgertest.h"

namespace fin::test {
namespace {

using Numbering = TLedgerTest;

TEST_F(Numbering, CountersPerYearMonthAndDayWithPaddingAndQuotedText) {
    const qint64 type = AddType(QStringLiteral("10"));
    const qint64 other = AddType(QStringLiteral("11"));
    AddPrecept(type, QDate(2024, 1, 3), "a");
    AddPrecept(type, QDate(2024, 3, 9), "b");
    AddPrecept(type, QDate(2024, 12, 31), "c");  // later in the year still counts
    AddPrecept(type, QDate(2025, 1, 1), "d");    // the next year does not
    AddPrecept(type, QDate(2023, 12, 31), "e");
    AddPrecept(other, QDate(2024, 3, 5), "f");  // another type does not

    dm->Options().PreceptNumFmt = QStringLiteral("{g}{g}{g}/yy");
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 3, 5), 0, type), "004/24-10");
    // Without a type every voucher of the period counts.
    EXPECT_EQ(dm->GetPreceptIndex('g', QDate(2024, 3, 5), 0, 0), 5);

    dm->Options().PreceptNumFmt = QStringLiteral("{m}{m}.mm.yyyy");
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 7, 7), 0, type), "01.07.2024-10");
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 3, 7), 0, type), "02.03.2024-10");

    dm->Options().PreceptNumFmt = QStringLiteral("d.m.yy/{d}");
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 3, 9), 0, type), "9.3.24/2-10");

    // Five places and counter 12; a counter longer than its places keeps all its digits.
    for (int i = 0; i < 8; ++i)
        AddPrecept(type, QDate(2024, 6, 1), QString::number(i));
    dm->Options().PreceptNumFmt = QStringLiteral("{g}{g}{g}{g}{g}/yy");
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 6, 1), 0, type), "00012/24-10");
    dm->Options().PreceptNumFmt = QStringLiteral("{g}/yy");
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 6, 1), 0, type), "12/24-10");

    // Quoted text is copied without its quotes and its letters are not date letters.
    dm->Options().PreceptNumFmt = QStringLiteral("'NM-'{g}{g}{g}\"dy\"yy");
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 6, 1), 0, type), "NM-012dy24-10");

    // Without a counter the date part is dropped as well.
    dm->Options().PreceptNumFmt = QStringLiteral("yyyy");
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 6, 1), 0, type), "-10");
    dm->Options().PreceptNumFmt = QString();
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 6, 1), 0, type), "-10");

    // Formats a user mistypes give some number, never a crash.
    for (const char* bad : {"{g", "{{g}}", "'open", "\"", "{g}{m}{d}", "0#,E+{g}", "}{"}) {
        dm->Options().PreceptNumFmt = QString::fromUtf8(bad);
        EXPECT_TRUE(dm->GetPreceptNum(QDate(2024, 6, 1), 0, type).endsWith("-10")) << bad;
    }
}

TEST_F(Numbering, RenumberingDoesNotCountItselfAndTypeNumbersStayLiteral) {
    const qint64 type = AddType(QStringLiteral("K'1%_"));
    const qint64 first = AddPrecept(type, QDate(2024, 2, 1), "x");
    AddPrecept(type, QDate(2024, 2, 2), "y");
    dm->Options().PreceptNumFmt = QStringLiteral("{g}{g}/yy");
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 2, 1), first, type), "02/24-K'1%_");
    EXPECT_EQ(dm->GetPreceptNum(QDate(2024, 2, 1), 0, type), "03/24-K'1%_");
}

TEST_F(Numbering, NewVoucherDefaultsAndTheNumberFollowsTheType) {
    const qint64 type = AddType(QStringLiteral("40"));
    struct {
        QDate today;
        int year;
        QDate expected;
    } cases[] = {
        {{2024, 2, 29}, 2023, {2023, 2, 28}},
        {{2024, 2, 29}, 2025, {2025, 2, 28}},
        {{2024, 2, 29}, 2024, {2024, 2, 29}},
        {{2024, 5, 15}, 2023, {2023, 5, 15}},
    };
    dm->Options().PreceptNumFmt = QStringLiteral("{g}{g}{g}/yy");
    for (const auto& c : cases) {
        dm->Today = [&] { return c.today; };
        dm->Options().FinancialYear = c.year;
        LoadPrecept(-1);
        TQuery& p = dm->PreceptZQ();
        dm->LastItemSort = 7;
        p.Append();
        EXPECT_EQ(p.FieldByName("preceptdate").AsDate(), c.expected);
        EXPECT_EQ(p.FieldByName("registerdate").AsDate(), c.expected);
        EXPECT_EQ(p.FieldByName("status").AsString(), "n");
        EXPECT_EQ(dm->LastItemSort, 0);
        EXPECT_TRUE(p.FieldByName("number").IsNull());
        p.FieldByName("precepttypeid").SetValue(type);
        EXPECT_EQ(p.FieldByName("number").AsString(),
                  QStringLiteral("001/%1-40").arg(c.expected.year() % 100, 2, 10, QChar('0')));
        p.Cancel();
    }
}

TEST_F(Numbering, PostTrimsTheNumberAndRequiresOne) {
    const qint64 type = AddType(QStringLiteral("41"));
    dm->Today = [] { return QDate(2024, 4, 1); };
    dm->Options().FinancialYear = 2024;
    LoadPrecept(-1);
    TQuery& p = dm->PreceptZQ();
    p.Append();
    p.FieldByName("precepttypeid").SetValue(type);
    p.FieldByName("number").SetValue(QStringLiteral("   "));
    EXPECT_THROW(p.Post(), TError);
    EXPECT_EQ(Count("precept"), 0);
    p.FieldByName("number").SetValue(QStringLiteral("  5'%_ "));
    p.FieldByName("description").SetValue(QStringLiteral("Opis sa ' i \" i %"));
    p.Post();
    EXPECT_EQ(Db().SelectValue("SELECT number FROM precept").toString(), "5'%_");
    EXPECT_EQ(Db().SelectValue("SELECT description FROM precept").toString(), "Opis sa ' i \" i %");
}

using VoucherRules = TLedgerTest;

TEST_F(VoucherRules, NumbersAreUniqueWithinTheirTypeAndComparedLiterally) {
    const qint64 five = AddType(QStringLiteral("35"));
    const qint64 six = AddType(QStringLiteral("36"));
    AddPrecept(five, QDate(2024, 1, 5), "00001/24-5", "p");
    const qint64 same = AddPrecept(five, QDate(2024, 1, 6), "00001/24-5");
    const qint64 other = AddPrecept(six, QDate(2024, 1, 6), "00001/24-5");

    LoadPrecept(same);
    EXPECT_FALSE(dm->ValidatePreceptNumber());
    EXPECT_EQ(ui.LastText(), res::PRECEPT_SAME_NUM_ERR);
    LoadPrecept(other);
    EXPECT_TRUE(dm->ValidatePreceptNumber());

    EXPECT_FALSE(dm->ValidatePreceptNumberString("00001/24-5", five, same));
    EXPECT_TRUE(dm->ValidatePreceptNumberString("00001/24-5", six, other));
    EXPECT_FALSE(dm->ValidatePreceptNumberString("", six, other));
    // "_" and "%" are characters here, not patterns.
    AddPrecept(six, QDate(2024, 1, 7), "7_%");
    EXPECT_TRUE(dm->ValidatePreceptNumberString("7a%", six, 0));
    EXPECT_TRUE(dm->ValidatePreceptNumberString("7_", six, 0));
    EXPECT_FALSE(dm->ValidatePreceptNumberString("7_%", six, 0));
}

TEST_F(VoucherRules, ReservedTypesCanBeNeitherAddedChangedNorDeleted) {
    EXPECT_EQ(dm->ReservedPreceptTypes.size(), 30);
    EXPECT_TRUE(dm->IsReservedPreceptType("30"));
    EXPECT_FALSE(dm->IsReservedPreceptType("030"));
    EXPECT_FALSE(dm->IsReservedPreceptType("31"));

    TQuery& t = dm->PrecepttypeZQ();
    t.Open();
    const int before = t.RecordCount();
    t.Append();
    t.FieldByName("number").SetValue("30");
    t.FieldByName("name").SetValue("Moj tip");
    try {
        t.Post();
        ADD_FAILURE() << "a reserved number was stored";
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::PREC_TYPE_NO_ADD_WRN);
    }
    t.FieldByName("number").SetValue("030");
    t.Post();
    t.Append();
    t.FieldByName("number").SetValue("31");
    t.FieldByName("name").SetValue("Drugi tip");
    t.Post();
    EXPECT_EQ(Count("precepttype"), before + 2);

    ASSERT_TRUE(t.Locate("number", "30"));
    try {
        t.Delete();
        ADD_FAILURE() << "a reserved type was deleted";
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::PREC_TYPE_NO_DEL_WRN);
    }
    t.Edit();
    t.FieldByName("name").SetValue("Preimenovan");
    EXPECT_THROW(t.Post(), TError);
    t.Cancel();

    ASSERT_TRUE(t.Locate("number", "31"));
    ui.Answer(TAnswer::Yes);
    t.Delete();
    EXPECT_EQ(Count("precepttype"), before + 1);
}

TEST_F(VoucherRules, MergedVouchersKeepTheirParent) {
    const qint64 type = AddType(QStringLiteral("42"));
    const qint64 parent = AddPrecept(type, QDate(2024, 1, 1), "G1");
    const qint64 child = AddPrecept(type, QDate(2024, 1, 1), "C1", "n", parent);
    LoadPrecept(child);
    EXPECT_TRUE(dm->ParentPreceptExists());
    try {
        dm->PreceptZQ().Delete();
        ADD_FAILURE() << "a merged voucher was deleted";
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::PART_EXIST_ERR);
    }
    Db().Execute("DELETE FROM precept WHERE preceptid = ?", {parent});
    LoadPrecept(child);
    EXPECT_FALSE(dm->ParentPreceptExists());
    ui.Answer(TAnswer::No);  // the common question still comes first
    EXPECT_THROW(dm->PreceptZQ().Delete(), TAbort);
    ui.Answer(TAnswer::Yes);
    dm->PreceptZQ().Delete();
    EXPECT_EQ(Count("precept"), 0);
}

TEST_F(VoucherRules, CopyTakesTheLinesOrNothing) {
    const qint64 type = AddType(QStringLiteral("43"));
    const qint64 id = AddPrecept(type, QDate(2024, 3, 1), "N1", "p");
    Db().Execute(
        "UPDATE precept SET foreignid = 9, foreigntable = 'document', description = "
        "'Nabavka' WHERE preceptid = ?",
        {id});
    // An old voucher: its copy is new and must not carry the old change time.
    Db().Execute("UPDATE precept SET changed = '2001-01-01 00:00:00' WHERE preceptid = ?", {id});
    for (int sort = 1; sort <= 3; ++sort)
        Db().Execute(
            "INSERT INTO preceptitem (preceptid, sort, description, debit, credit, "
            "accountnewid, foreignid) VALUES (?, ?, ?, ?, ?, ?, ?)",
            {id, sort, QStringLiteral("Stavka %1").arg(sort), sort * 10.5, 0.0, 100 + sort,
             sort == 2 ? QVariant(5) : QVariant()});

    const qint64 copy =
        dm->CopyPrecept(id, {"preceptdate=15.03.2024.", "registerdate=2024-03-15", "number=N2",
                             "status=n", "foreignid=NULL", "parentid=NULL"});
    ASSERT_GT(copy, id);
    const TResultSet head = Db().Select(
        "SELECT preceptdate, registerdate, number, status, foreignid, foreigntable, "
        "description, precepttypeid FROM precept WHERE preceptid = ?",
        {copy});
    ASSERT_EQ(head.rows.size(), 1);
    EXPECT_EQ(head.rows[0][0].toDate(), QDate(2024, 3, 15));
    EXPECT_EQ(head.rows[0][1].toDate(), QDate(2024, 3, 15));
    EXPECT_EQ(head.rows[0][2].toString(), "N2");
    EXPECT_EQ(head.rows[0][3].toString(), "n");
    EXPECT_TRUE(head.rows[0][4].isNull());
    EXPECT_EQ(head.rows[0][5].toString(), "document");
    EXPECT_EQ(head.rows[0][6].toString(), "Nabavka");
    EXPECT_EQ(head.rows[0][7].toLongLong(), type);
    const auto lines = [&](qint64 p) {
        return Db()
            .Select(
                "SELECT sort, description, debit, credit, accountnewid, foreignid FROM "
                "preceptitem WHERE preceptid = ? ORDER BY sort",
                {p})
            .rows;
    };
    EXPECT_EQ(lines(copy), lines(id));
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM precept WHERE preceptid = ? AND changed > "
                               "NOW() - INTERVAL 1 HOUR",
                               {copy})
                  .toInt(),
              1);
    EXPECT_EQ(dm->CopyPrecept(999999, {"status=n"}), 0);

    // A failure while the lines are copied leaves no voucher without its lines.
    const qint64 vouchers = Count("precept"), items = Count("preceptitem");
    Db().ExecuteDirect(
        "CREATE TRIGGER refuse_lines BEFORE INSERT ON preceptitem FOR EACH ROW "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'odbijeno'");
    EXPECT_THROW(dm->CopyPrecept(id, {"number=N3"}), TError);
    EXPECT_EQ(Count("precept"), vouchers);
    EXPECT_EQ(Count("preceptitem"), items);
    EXPECT_THROW(dm->CopyPrecept(id, {"bez jednakosti"}), TError);
}

class TFixedSecurity : public ISecurity {
public:
    TConnection* GetConnection() override { return nullptr; }
    void Login() override {}
    bool GetCurrentUser(TUserDescription& user) override {
        user = {12, QStringLiteral("Ana"), QStringLiteral("Petrović")};
        return known;
    }
    bool GetUser(qint64 id, TUserDescription& user) override {
        if (id != 12)
            return false;
        return GetCurrentUser(user);
    }
    bool known = true;
};

TEST_F(VoucherRules, TheUserIsRecordedWhenTheSecurityModuleKnowsOne) {
    const qint64 type = AddType(QStringLiteral("44"));
    LoadPrecept(-1);
    TQuery& p = dm->PreceptZQ();
    p.Append();  // no security module: nothing recorded
    EXPECT_TRUE(p.FieldByName("userid").IsNull());
    p.Cancel();

    auto security = std::make_shared<TFixedSecurity>();
    dm->SecurityLookup = [&] { return security; };
    p.Append();
    EXPECT_EQ(p.FieldByName("userid").AsInteger(), 12);
    p.FieldByName("precepttypeid").SetValue(type);
    p.Post();
    qint64 id = 12;
    QString name;
    dm->GetPublisher(id, name, false);
    EXPECT_EQ(name, "Ana Petrović");

    security->known = false;
    qint64 userId = 0;
    dm->SetPreceptPublisher(userId, name);  // from browse into edit
    EXPECT_EQ(p.State(), TDataSetState::Edit);
    EXPECT_EQ(p.FieldByName("userid").AsInteger(), -1);
    p.Cancel();
}

TEST_F(VoucherRules, StatusChangedElsewhereIsCaughtAndShown) {
    const qint64 type = AddType(QStringLiteral("45"));
    const qint64 id = AddPrecept(type, QDate(2024, 1, 1), "S1");
    LoadPrecept(id);
    EXPECT_EQ(dm->PreceptZQ().FieldByName("status").DisplayText(), res::DOC_NOT_REG_STATUS_CAPTION);
    EXPECT_TRUE(dm->CheckPreceptStatus());
    auto other = OpenSecond();
    other->Execute("UPDATE precept SET status = 'p' WHERE preceptid = ?", {id});
    EXPECT_FALSE(dm->CheckPreceptStatus());
    EXPECT_EQ(ui.LastText(), res::PRECEPT_REG_WRN);
    other->Execute("DELETE FROM precept WHERE preceptid = ?", {id});
    EXPECT_TRUE(dm->CheckPreceptStatus());
    LoadPrecept(-1);
    EXPECT_EQ(dm->PreceptZQ().FieldByName("status").DisplayText(), "");
}

}  // namespace
}  // namespace fin::test
