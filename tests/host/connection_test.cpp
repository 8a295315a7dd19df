#include <gtest/gtest.h>

#include "host/db/namedparams.h"
#include "testdatabase.h"

namespace fin::test {
namespace {

class ConnectionTest : public TDatabaseTest {
protected:
    void SetUp() override {
        TDatabaseTest::SetUp();
        Db().ExecuteDirect(
            "CREATE TABLE t (id BIGINT AUTO_INCREMENT PRIMARY KEY, txt TEXT, big BIGINT, "
            "amount DOUBLE, day DATE, flag TINYINT, dec_value DECIMAL(12,2)) ENGINE=InnoDB");
    }
    qint64 Count() { return Db().SelectValue("SELECT COUNT(*) FROM t").toLongLong(); }
};

TEST_F(ConnectionTest, EveryValueTypeRoundTripsThroughBoundParameters) {
    const QString tricky = QStringLiteral("O'Brien \"navodnik\" \\ 100% a_b ćčžšđ ЖЉ 😀");
    const QString longText = QString(20000, QChar(u'ž'));
    const QDate day(2024, 2, 29);
    Db().Execute("INSERT INTO t (txt, big, amount, day, flag, dec_value) VALUES (?,?,?,?,?,?)",
                 {tricky, Q_INT64_C(9223372036854775807), 2.675, day, true, 1234.5});
    const qint64 first = Db().LastInsertId();
    Db().Execute("INSERT INTO t (txt, big, amount, day) VALUES (?,?,?,?)",
                 {longText, QVariant(), -0.01, QVariant()});
    EXPECT_EQ(Db().LastInsertId(), first + 1);

    const TResultSet r = Db().Select("SELECT * FROM t WHERE txt = ?", {tricky});
    ASSERT_EQ(r.rows.size(), 1);
    const auto& row = r.rows[0];
    EXPECT_EQ(row[r.ColumnIndex("txt")].toString(), tricky);
    EXPECT_EQ(row[r.ColumnIndex("big")].toLongLong(), Q_INT64_C(9223372036854775807));
    EXPECT_DOUBLE_EQ(row[r.ColumnIndex("amount")].toDouble(), 2.675);
    EXPECT_EQ(row[r.ColumnIndex("day")].toDate(), day);
    EXPECT_EQ(row[r.ColumnIndex("flag")].toLongLong(), 1);
    EXPECT_DOUBLE_EQ(row[r.ColumnIndex("dec_value")].toDouble(), 1234.5);
    EXPECT_EQ(r.columns[r.ColumnIndex("day")].type, TFieldType::Date);
    EXPECT_EQ(r.columns[r.ColumnIndex("dec_value")].type, TFieldType::Float);
    EXPECT_EQ(Db().PrimaryKey("t").columns, QStringList{"id"});
    EXPECT_EQ(Db().PrimaryKey("t").autoIncrement, "id");
    EXPECT_EQ(r.columns[r.ColumnIndex("txt")].orgTable, "t");

    const TResultSet second = Db().Select("SELECT txt, big, day FROM t WHERE id = ?", {first + 1});
    EXPECT_EQ(second.rows[0][0].toString(), longText);
    EXPECT_TRUE(second.rows[0][1].isNull());
    EXPECT_TRUE(second.rows[0][2].isNull());

    // A value is never SQL: the classic injection finds nothing and changes nothing.
    EXPECT_TRUE(Db().Select("SELECT id FROM t WHERE txt = ?", {"x' OR '1'='1"}).IsEmpty());
    Db().Execute("DELETE FROM t WHERE txt = ?", {"x'; DELETE FROM t; --"});
    EXPECT_EQ(Count(), 2);
    // Prefix searches with LIKE take % and _ from the user literally only when escaped by
    // the caller; the value itself still travels bound.
    EXPECT_EQ(
        Db().Select("SELECT id FROM t WHERE txt LIKE CONCAT(?, '%')", {"O'Brien"}).rows.size(), 1);
}

TEST_F(ConnectionTest, RowsStreamOneAtATimeAndAStopLeavesTheConnectionReady) {
    const QString longText = QString(9000, QChar(u'ž'));  // past the streamed text buffer
    for (int i = 0; i < 300; ++i)
        Db().Execute("INSERT INTO t (txt, big, day) VALUES (?, ?, ?)",
                     {i == 150 ? longText : QString("red %1").arg(i), i, QDate(2024, 1, 1)});
    QStringList names;
    QVector<qint64> bigs;
    QStringList texts;
    Db().SelectEach(
        "SELECT txt, big, day, NULL AS nothing FROM t WHERE big >= ? ORDER BY big", {100},
        [&](const QVector<TColumnInfo>& columns) {
            for (const TColumnInfo& c : columns)
                names << c.name;
        },
        [&](const QVector<QVariant>& row) {
            bigs << row[1].toLongLong();
            texts << row[0].toString();
            EXPECT_EQ(row[2].toDate(), QDate(2024, 1, 1));
            EXPECT_TRUE(row[3].isNull());
        });
    EXPECT_EQ(names, QStringList({"txt", "big", "day", "nothing"}));
    ASSERT_EQ(bigs.size(), 200);
    EXPECT_EQ(bigs.first(), 100);
    EXPECT_EQ(bigs.last(), 299);
    EXPECT_EQ(texts[50], longText);  // read again whole, and the rows after it too
    EXPECT_EQ(texts[51], "red 151");

    // A reader that stops half-way: the rest is dropped, the next statement is answered.
    struct TEnough {};
    int read = 0;
    EXPECT_THROW(Db().SelectEach("SELECT big FROM t ORDER BY big", {}, {},
                                 [&](const QVector<QVariant>&) {
                                     if (++read == 10)
                                         throw TEnough{};
                                 }),
                 TEnough);
    EXPECT_EQ(Count(), 300);
    EXPECT_EQ(Db().Select("SELECT big FROM t WHERE big = ?", {7}).rows.size(), 1);
    EXPECT_THROW(
        Db().SelectEach("DELETE FROM t WHERE big = ?", {-1}, {}, [](const QVector<QVariant>&) {}),
        TDbError);
}

TEST_F(ConnectionTest, ServerErrorsCarryTheServerMessage) {
    Db().Execute("INSERT INTO t (id, txt) VALUES (?, ?)", {7, "a"});
    try {
        Db().Execute("INSERT INTO t (id, txt) VALUES (?, ?)", {7, "b"});
        FAIL() << "duplicate key accepted";
    } catch (const TDbError& e) {
        EXPECT_EQ(e.Code(), 1062u);
        EXPECT_TRUE(e.Message().contains("Duplicate")) << e.Message().toStdString();
    }
    EXPECT_THROW(Db().Select("SELECT nope FROM t"), TDbError);
    EXPECT_THROW(Db().Select("SELECT id FROM t WHERE id = ?", {}), TDbError);
    // The same statement still works after a failure on it.
    Db().Execute("INSERT INTO t (id, txt) VALUES (?, ?)", {8, "c"});
    EXPECT_EQ(Count(), 2);
}

TEST_F(ConnectionTest, TransactionsCommitRollBackAndNestWithSavepoints) {
    {
        TTransaction tx(Db());
        Db().Execute("INSERT INTO t (txt) VALUES (?)", {"kept"});
        tx.Commit();
    }
    try {
        TTransaction tx(Db());
        Db().Execute("INSERT INTO t (txt) VALUES (?)", {"lost"});
        throw std::runtime_error("failure half-way");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Db().TransactionDepth(), 0);

    {
        TTransaction outer(Db());
        Db().Execute("INSERT INTO t (txt) VALUES (?)", {"outer"});
        try {
            TTransaction inner(Db());
            Db().Execute("INSERT INTO t (txt) VALUES (?)", {"inner"});
            throw std::runtime_error("inner fails");
        } catch (const std::runtime_error&) {
        }
        outer.Commit();
    }
    EXPECT_EQ(Count(), 2);
    EXPECT_TRUE(Db().Select("SELECT id FROM t WHERE txt = 'inner'").IsEmpty());

    // Another session sees nothing of an open transaction.
    auto other = OpenSecond();
    {
        TTransaction tx(Db());
        Db().Execute("INSERT INTO t (txt) VALUES (?)", {"pending"});
        EXPECT_EQ(other->SelectValue("SELECT COUNT(*) FROM t").toLongLong(), 2);
    }
    EXPECT_EQ(other->SelectValue("SELECT COUNT(*) FROM t").toLongLong(), 2);
}

TEST_F(ConnectionTest, LostConnectionIsReportedAndTheNextActionReconnects) {
    auto killer = OpenSecond();
    const quint64 id = Db().ThreadId();
    killer->ExecuteDirect(QStringLiteral("KILL %1").arg(id));
    EXPECT_THROW(Db().Select("SELECT 1"), TConnectionLost);
    EXPECT_FALSE(Db().Connected());
    EXPECT_EQ(Db().SelectValue("SELECT 1").toInt(), 1);  // connects again by itself

    // Lost in the middle of a write: nothing of it stays, and no statement of it goes on
    // over a new connection.
    try {
        TTransaction tx(Db());
        Db().Execute("INSERT INTO t (txt) VALUES (?)", {"first half"});
        killer->ExecuteDirect(QStringLiteral("KILL %1").arg(Db().ThreadId()));
        try {
            Db().Execute("INSERT INTO t (txt) VALUES (?)", {"second half"});
        } catch (const TConnectionLost& e) {
            EXPECT_FALSE(e.Message().isEmpty());
        }
        EXPECT_THROW(Db().Execute("INSERT INTO t (txt) VALUES (?)", {"third"}), TConnectionLost);
        tx.Commit();
        FAIL() << "commit after a lost connection";
    } catch (const TConnectionLost&) {
    }
    EXPECT_EQ(Db().TransactionDepth(), 0);
    EXPECT_EQ(Count(), 0);
}

TEST_F(ConnectionTest, SchemaStatementsCannotSplitATransaction) {
    {
        TTransaction tx(Db());
        Db().Execute("INSERT INTO t (txt) VALUES (?)", {"first half"});
        // It would commit the first half behind the transaction's back.
        EXPECT_THROW(Db().ExecuteDirect("CREATE TABLE other (id INT) ENGINE=InnoDB"), TDbError);
        EXPECT_THROW(Db().ExecuteDirect("  drop table t"), TDbError);
        Db().ExecuteDirect("CREATE TEMPORARY TABLE scratch (id INT)");
        Db().ExecuteDirect("DROP TEMPORARY TABLE scratch");
    }
    EXPECT_EQ(Count(), 0);
    Db().ExecuteDirect("CREATE TABLE other (id INT) ENGINE=InnoDB");  // outside: as ever
}

TEST_F(ConnectionTest, UnreachableServerGivesAClearMessage) {
    TConnectionSettings s;
    s.socket = "/nonexistent/finansije.sock";
    s.user = "root";
    TConnection c(s);
    try {
        c.Open();
        FAIL();
    } catch (const TConnectionLost& e) {
        EXPECT_TRUE(e.Message().startsWith("Nije moguće povezati se sa bazom podataka"));
        EXPECT_TRUE(e.Message().contains("server se ne javlja")) << e.Message().toStdString();
    }
    // A refused login and a missing database say so, in Serbian.
    auto refusal = [](const TConnectionSettings& settings) {
        TConnection c(settings);
        try {
            c.Open();
        } catch (const TConnectionLost& e) {
            return e.Message();
        }
        return QString();
    };
    TConnectionSettings wrong = TConnectionSettings::FromEnvironment();
    wrong.password += QStringLiteral("x");
    wrong.user = QStringLiteral("nepostojeci");
    EXPECT_TRUE(refusal(wrong).contains("server je odbio korisnika \"nepostojeci\""))
        << refusal(wrong).toStdString();
    TConnectionSettings missing = TConnectionSettings::FromEnvironment();
    missing.database = QStringLiteral("nema_ove_baze");
    EXPECT_TRUE(refusal(missing).contains("baza \"nema_ove_baze\" ne postoji"))
        << refusal(missing).toStdString();
}

TEST(NamedParams, NamesBecomePlaceholdersOutsideLiteralsAndComments) {
    const TParsedSql p = ParseNamedParams(
        "SELECT * FROM preceptitem WHERE preceptid = :IDPrecept AND note <> ':not' "
        "AND `odd:col` = :Other /* :comment */ AND x = :IDPrecept AND t = '10:30' "
        "AND @v := 1 -- :tail\n AND y = :Last");
    EXPECT_EQ(p.names, (QStringList{"IDPrecept", "Other", "IDPrecept", "Last"}));
    EXPECT_TRUE(p.sql.contains("preceptid = ?"));
    EXPECT_TRUE(p.sql.contains("':not'"));
    EXPECT_TRUE(p.sql.contains("'10:30'"));
    EXPECT_TRUE(p.sql.contains("@v := 1"));
    EXPECT_TRUE(p.sql.contains("y = ?"));
}

TEST(Identifiers, OnlyStrictNamesAreQuoted) {
    EXPECT_EQ(TConnection::QuoteIdentifier("subaccount_kupci"), "`subaccount_kupci`");
    // Encoded sub-account type names keep "$" and the letters that are not encoded.
    EXPECT_EQ(TConnection::QuoteIdentifier("subaccount_Ra\u010Duni_tros$kovi"),
              "`subaccount_Ra\u010Duni_tros$kovi`");
    for (const char* bad : {"a`b", "a b", "1abc", "x;DROP", "", "$x", "a'b", "a-b", "a.b"})
        EXPECT_THROW(TConnection::QuoteIdentifier(bad), TError) << bad;
}

}  // namespace
}  // namespace fin::test
