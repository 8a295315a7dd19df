#include <QMap>

#include "console/demo/demo.h"
#include "host/data/dbinifile.h"
#include "journal/ledgercheck.h"
#include "ledger/financialoptions.h"
#include "ledger/schema.h"
#include "ledger/schemadata.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

using TFound = QMap<TCheckKind, QVector<qint64>>;

TFound Found(const TCheckResult& r) {
    TFound found;
    for (const TCheckFinding& f : r.findings)
        found[f.kind] << f.id;
    return found;
}

std::string Describe(const TCheckResult& r) {
    std::string text;
    for (const TCheckFinding& f : r.findings)
        text += CheckKindInfo(f.kind).key.toStdString() + " " + std::to_string(f.id) + ": " +
                f.note.toStdString() + "\n";
    return text;
}

// A small ledger without faults on both charts: 2013 on the old chart, 2014 on both, 2024 on
// the new one, with a partner sub-account, a posted source document and a group voucher.
class LedgerCheck : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        Db().Execute("INSERT INTO partner (name) VALUES ('Alfa')");
        alfa = Db().LastInsertId();
        buyers = NewAccount("2040", "Kupci", "partner");
        sales = NewAccount("6040", "Prihodi");
        oldBuyers = OldAccount("2020", "Kupci", "partner");
        oldSales = OldAccount("6020", "Prihodi");

        sale = AddPrecept(type, QDate(2024, 3, 5), "00001/24-77", "p");
        saleLine = Line(sale, buyers, 100, 0, alfa);
        Line(sale, sales, 0, 100);
        Db().Execute(
            "UPDATE precept SET foreigntable = 'document', foreignid = 7 WHERE "
            "preceptid = ?",
            {sale});
        old = AddPrecept(type, QDate(2013, 4, 1), "00001/13-77", "p");
        Line(old, 0, 50, 0, alfa, oldBuyers);
        Line(old, 0, 0, 50, {}, oldSales);
        both = AddPrecept(type, QDate(2014, 6, 1), "00001/14-77", "p");
        Line(both, buyers, 20, 0, alfa, oldBuyers);
        Line(both, sales, 0, 20, {}, oldSales);
        draft = AddPrecept(type, QDate(2024, 8, 1), "00002/24-77");
        Line(draft, sales, 5, 0);  // a draft need not balance
        // The same number in another year and in another type is no repetition.
        AddPrecept(type, QDate(2023, 3, 5), "00001/24-77", "p");
        AddPrecept(AddType("78"), QDate(2024, 3, 5), "00001/24-77", "p");
        group = AddPrecept(kGroupPreceptType, QDate(2024, 9, 30), "00001/24-30");
        Line(group, sales, 1, 1);
        merged = AddPrecept(type, QDate(2024, 9, 2), "00003/24-77", "n", group);
    }

    TCheckResult Check(std::optional<int> year = {}) {
        TLedgerCheck check(Db());
        check.Year = year;
        return check.Run();
    }

    qint64 alfa = 0, buyers = 0, sales = 0, oldBuyers = 0, oldSales = 0;
    qint64 sale = 0, saleLine = 0, old = 0, both = 0, draft = 0, group = 0, merged = 0;
};

TEST_F(LedgerCheck, EachPlantedFaultIsFoundAloneWithItsIds) {
    const TCheckResult clean = Check();
    ASSERT_TRUE(clean.Clean()) << Describe(clean);

    // Each fault in a transaction of its own, taken back after the check.
    auto planted = [&](const char* what, const std::function<TFound()>& plant,
                       std::optional<int> year = {}) {
        TTransaction tx(Db());
        const TFound expected = plant();
        const TCheckResult r = Check(year);
        EXPECT_EQ(Found(r), expected) << what << "\n" << Describe(r);
    };
    using K = TCheckKind;
    planted("unbalanced", [&]() -> TFound {
        Db().Execute("UPDATE preceptitem SET debit = 100.01 WHERE preceptitemid = ?", {saleLine});
        return {{K::Unbalanced, {sale}}};
    });
    planted("a difference under half a cent", [&]() -> TFound {
        Db().Execute("UPDATE preceptitem SET debit = 100.004 WHERE preceptitemid = ?", {saleLine});
        return {};
    });
    planted("line without voucher", [&]() -> TFound {
        return {{K::LineWithoutVoucher, {Line(999999, sales, 1, 0)}}};
    });
    planted("old account missing", [&]() -> TFound {
        return {{K::MissingAccount, {Line(old, 0, 0, 0, {}, 88888)}}};
    });
    planted("new account missing", [&]() -> TFound {
        return {{K::MissingAccountNew, {Line(sale, 88888, 0, 0)}}};
    });
    planted("sub-account missing", [&]() -> TFound {
        return {{K::MissingSubaccount, {Line(sale, buyers, 0, 0, 424242)}}};
    });
    planted("sub-account missing on the old chart of 2014", [&]() -> TFound {
        return {{K::MissingSubaccount, {Line(both, buyers, 0, 0, 424242, oldBuyers)}}};
    });
    planted("sub-account on an account without a type", [&]() -> TFound {
        return {{K::MissingSubaccount, {Line(sale, sales, 0, 0, alfa)}}};
    });
    planted("type without table", [&]() -> TFound {
        Db().Execute("UPDATE accountnew SET type = 'subaccount_Nema' WHERE accountnewid = ?",
                     {sales});
        return {{K::SubaccountTable, {sales}}};
    });
    planted("no new account in 2024", [&]() -> TFound {
        return {{K::NoAccountNew, {Line(sale, 0, 0, 0, {}, oldSales)}}};
    });
    planted("no old account in 2014", [&]() -> TFound {
        return {{K::NoAccount, {Line(both, sales, 0, 0)}}};
    });
    planted("no old account in 2013", [&]() -> TFound {
        return {{K::NoAccount, {Line(old, sales, 0, 0)}}};
    });
    planted("repeated number", [&]() -> TFound {
        const qint64 twin = AddPrecept(type, QDate(2024, 11, 5), "00001/24-77");
        return {{K::RepeatedNumber, {sale, twin}}};
    });
    planted("repeated source", [&]() -> TFound {
        const qint64 twin = AddPrecept(type, QDate(2024, 11, 6), "");
        Db().Execute(
            "UPDATE precept SET foreigntable = 'document', foreignid = 7 WHERE "
            "preceptid = ?",
            {twin});
        return {{K::RepeatedSource, {sale, twin}}};
    });
    planted("missing parent", [&]() -> TFound {
        return {{K::MissingParent, {AddPrecept(type, QDate(2024, 9, 3), "M-1", "n", 999999)}}};
    });
    planted("merged parent", [&]() -> TFound {
        Db().Execute("UPDATE precept SET parentid = ? WHERE preceptid = ?", {draft, group});
        return {{K::MergedParent, {merged}}};
    });
    planted("empty group", [&]() -> TFound {
        return {{K::EmptyGroup, {AddPrecept(kGroupPreceptType, QDate(2024, 10, 31), "G-2")}}};
    });
    // A year sees its own vouchers only.
    planted(
        "a fault of another year",
        [&]() -> TFound {
            Db().Execute("UPDATE preceptitem SET debit = 100.01 WHERE preceptitemid = ?",
                         {saleLine});
            return {{K::NoAccount, {Line(old, sales, 0, 0)}}};
        },
        2013);
}

TEST_F(LedgerCheck, ClosedPeriodFindsVouchersChangedAfterClosingOnly) {
    // Everything so far was written long before the period was closed.
    Db().Execute("UPDATE precept SET changed = '2005-01-01 00:00:00'");
    Db().Execute("UPDATE preceptitem SET changed = '2005-01-01 00:00:00'");
    WriteClosedPeriod(Db(), QDate(2024, 6, 30));
    const TClosedPeriod closed = ReadClosedPeriod(Db());
    EXPECT_EQ(closed.date, QDate(2024, 6, 30));
    ASSERT_TRUE(closed.since.isValid());
    EXPECT_LT(qAbs(closed.since.secsTo(Db().SelectValue("SELECT NOW()").toDateTime())), 5);
    // Saving the same date again keeps the moment.
    TDBIniFile(&Db()).WriteString(kFinancialSection, kClosedPeriodSinceKey, "2010-01-01 00:00:00");
    WriteClosedPeriod(Db(), QDate(2024, 6, 30));
    EXPECT_EQ(ReadClosedPeriod(Db()).since, QDateTime(QDate(2010, 1, 1), QTime(0, 0)));
    ASSERT_TRUE(Check().Clean()) << Describe(Check());

    // Registered and closed: a line changed now is found, and so is a header.
    Db().Execute("UPDATE preceptitem SET description = 'Izmena' WHERE preceptitemid = ?",
                 {saleLine});
    Db().Execute("UPDATE precept SET description = 'Izmena' WHERE preceptid = ?", {old});
    // Changed before the closing; a draft; a voucher after the closed date: none counts.
    Db().Execute(
        "UPDATE precept SET description = 'Ranije', changed = '2009-12-31 23:59:59' "
        "WHERE preceptid = ?",
        {both});
    Db().Execute("UPDATE preceptitem SET description = 'Izmena' WHERE preceptid = ?", {draft});
    const qint64 later = AddPrecept(type, QDate(2024, 7, 1), "00009/24-77", "p");
    Line(later, sales, 0, 0);
    TCheckResult r = Check();
    EXPECT_EQ(Found(r), (TFound{{TCheckKind::ChangedWhenClosed, {sale, old}}})) << Describe(r);
    r = Check(2024);
    EXPECT_EQ(Found(r), (TFound{{TCheckKind::ChangedWhenClosed, {sale}}})) << Describe(r);

    // Opening the period turns the finding off.
    WriteClosedPeriod(Db(), kClosedPeriodOff);
    EXPECT_TRUE(Check().Clean());
}

TEST_F(LedgerCheck, TheOptionsPageRecordsWhenThePeriodWasClosed) {
    TDBIniFile ini(&Db());
    TOptionsPageValues page = dm->OptionsToControls();
    page.closedPeriodOn = true;
    page.closedPeriod = QDate(2024, 3, 31);
    dm->ControlsToOptions(page);
    EXPECT_EQ(ReadClosedPeriod(Db()).date, QDate(2024, 3, 31));
    EXPECT_TRUE(ReadClosedPeriod(Db()).since.isValid());
    // Saved again unchanged, the moment stays; another date is another moment.
    ini.WriteString(kFinancialSection, kClosedPeriodSinceKey, "2010-01-01 00:00:00");
    dm->ControlsToOptions(page);
    EXPECT_EQ(ReadClosedPeriod(Db()).since, QDateTime(QDate(2010, 1, 1), QTime(0, 0)));
    page.closedPeriodOn = false;
    dm->ControlsToOptions(page);
    EXPECT_FALSE(ReadClosedPeriod(Db()).date.isValid());
    EXPECT_GT(ReadClosedPeriod(Db()).since, QDateTime(QDate(2010, 1, 1), QTime(0, 0)));
}

TEST_F(LedgerCheck, TheMigrationLeavesOldRowsUnflagged) {
    // A database of the first schema version, closed before change times were kept.
    for (const char* table : {"precept", "preceptitem"})
        Db().ExecuteDirect(QStringLiteral("ALTER TABLE `%1` DROP COLUMN `changed`").arg(table));
    Db().Execute("UPDATE finschema SET version = 1 WHERE module = 'ledger'");
    TDBIniFile(&Db()).WriteDate(kFinancialSection, "UnregisterClosedPeriod", QDate(2024, 6, 30));
    ASSERT_EQ(LedgerSchemaVersion(Db()), 1);

    const TSchemaReport report = CreateLedgerSchema(Db());
    EXPECT_TRUE(report.addedColumns.contains("precept.changed"));
    EXPECT_TRUE(report.addedColumns.contains("preceptitem.changed"));
    EXPECT_EQ(LedgerSchemaVersion(Db()), 2);
    for (const char* table : {"precept", "preceptitem"}) {
        EXPECT_EQ(Db().SelectValue(QStringLiteral("SELECT COUNT(*) FROM `%1` WHERE changed >= "
                                                  "'1970-01-02'")
                                       .arg(table))
                      .toInt(),
                  0)
            << table;
        EXPECT_TRUE(Db().SelectValue("SELECT COLUMN_DEFAULT FROM information_schema.COLUMNS "
                                     "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ? AND "
                                     "COLUMN_NAME = 'changed'",
                                     {table})
                        .toString()
                        .contains("current_timestamp", Qt::CaseInsensitive))
            << table;
    }
    // The period closed before is watched from the migration on. The old rows carry no
    // moment near it: closed years ago, they are still not flagged.
    EXPECT_TRUE(ReadClosedPeriod(Db()).since.isValid());
    TDBIniFile(&Db()).WriteString(kFinancialSection, kClosedPeriodSinceKey, "2020-01-01 00:00:00");
    const TCheckResult r = Check();
    EXPECT_TRUE(r.Clean()) << Describe(r);

    // New rows and changed ones take the present time.
    const qint64 fresh = AddPrecept(type, QDate(2024, 12, 1), "00010/24-77");
    Db().Execute("UPDATE preceptitem SET description = 'Izmena' WHERE preceptitemid = ?",
                 {saleLine});
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM precept WHERE preceptid = ? AND changed > "
                               "NOW() - INTERVAL 1 MINUTE",
                               {fresh})
                  .toInt(),
              1);
    EXPECT_EQ(Found(Check()), (TFound{{TCheckKind::ChangedWhenClosed, {sale}}}));
    // Running the schema again changes nothing.
    EXPECT_TRUE(CreateLedgerSchema(Db()).addedColumns.isEmpty());
}

class LedgerCheckDemo : public TReportsTest, public ::testing::WithParamInterface<int> {};

// 2024 on the new chart, 2014 on both, 2013 on the old one.
TEST_P(LedgerCheckDemo, TheDemoCompanyIsClean) {
    TDemoOptions options;
    options.year = GetParam();
    options.vouchers = 150;
    MakeDemoCompany(Db(), options);
    TLedgerCheck check(Db());
    TCheckResult r = check.Run();
    EXPECT_TRUE(r.Clean()) << Describe(r);
    check.Year = GetParam();
    r = check.Run();
    EXPECT_TRUE(r.Clean()) << Describe(r);
}

INSTANTIATE_TEST_SUITE_P(Years, LedgerCheckDemo, ::testing::Values(2013, 2014, 2024));

}  // namespace
}  // namespace fin::test
