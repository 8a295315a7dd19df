#include <gtest/gtest.h>

#include "console/standins/security.h"
#include "tests/host/testdatabase.h"

namespace fin::test {
namespace {

class SecurityTest : public TDatabaseTest {
protected:
    std::unique_ptr<TSecurityModule> Module() {
        TConnectionSettings settings = TConnectionSettings::FromEnvironment();
        settings.database = DatabaseName();
        return std::make_unique<TSecurityModule>(settings);
    }
    qint64 Users() {
        return Db().SelectValue(QStringLiteral("SELECT COUNT(*) FROM securityuser")).toLongLong();
    }
};

// Sets or clears an environment variable for the length of a scope.
class TEnvironment {
public:
    TEnvironment(const char* name, const char* value) : name_(name), saved_(qgetenv(name)) {
        value ? qputenv(name, value) : qunsetenv(name);
    }
    ~TEnvironment() { saved_.isNull() ? qunsetenv(name_) : qputenv(name_, saved_); }

private:
    const char* name_;
    QByteArray saved_;
};

TEST_F(SecurityTest, TheCurrentUserIsTheLoginRegisteredOnceWithAStableId) {
    TEnvironment user("USER", "marko");
    auto security = Module();
    TUserDescription me;
    ASSERT_TRUE(security->GetCurrentUser(me));
    EXPECT_GT(me.id, 0);
    EXPECT_EQ(me.firstName, "marko");
    EXPECT_EQ(me.lastName, "");

    TUserDescription again;
    ASSERT_TRUE(security->GetCurrentUser(again));
    EXPECT_EQ(again.id, me.id);
    security->Login();
    ASSERT_TRUE(Module()->GetCurrentUser(again));  // another workstation, same login
    EXPECT_EQ(again.id, me.id);
    EXPECT_EQ(Users(), 1);

    const TResultSet table =
        Db().Select(QStringLiteral("SELECT engine, table_collation FROM information_schema.tables "
                                   "WHERE table_schema = ? AND table_name = 'securityuser'"),
                    {DatabaseName()});
    ASSERT_EQ(table.rows.size(), 1);
    EXPECT_EQ(table.rows[0][0].toString(), "InnoDB");
    EXPECT_TRUE(table.rows[0][1].toString().startsWith("utf8mb4"));
}

TEST_F(SecurityTest, LoginComesFromUserThenLognameThenADefault) {
    {
        TEnvironment user("USER", "ana");
        TEnvironment logname("LOGNAME", "petar");
        EXPECT_EQ(TSecurityModule::CurrentLogin(), "ana");
    }
    {
        TEnvironment user("USER", nullptr);
        TEnvironment logname("LOGNAME", "petar");
        EXPECT_EQ(TSecurityModule::CurrentLogin(), "petar");
    }
    TEnvironment user("USER", nullptr);
    TEnvironment logname("LOGNAME", nullptr);
    EXPECT_EQ(TSecurityModule::CurrentLogin(), "korisnik");
}

TEST_F(SecurityTest, UsersAreFoundByIdAndUnknownIdsAreRefused) {
    TSecurityModule::CreateTables(Db());
    TSecurityModule::CreateTables(Db());  // again: nothing happens
    Db().Execute(QStringLiteral("INSERT INTO securityuser (login, firstname, lastname) "
                                "VALUES (?, ?, ?)"),
                 {"jovana", "Jovana", "Đorđević"});
    const qint64 id = Db().LastInsertId();

    auto security = Module();
    TUserDescription user;
    ASSERT_TRUE(security->GetUser(id, user));
    EXPECT_EQ(user.id, id);
    EXPECT_EQ(user.firstName, "Jovana");
    EXPECT_EQ(user.lastName, "Đorđević");

    TUserDescription unknown;
    EXPECT_FALSE(security->GetUser(id + 1000, unknown));
    EXPECT_EQ(unknown.id, -1);  // left as it was
}

TEST_F(SecurityTest, TheSharedConnectionOpensLazilyAndComesBackAfterAKill) {
    TEnvironment user("USER", "milica");
    auto security = Module();
    TConnection* connection = security->GetConnection();
    ASSERT_TRUE(connection->Connected());
    EXPECT_EQ(connection, security->GetConnection());  // one connection for all modules
    TUserDescription me;
    ASSERT_TRUE(security->GetCurrentUser(me));

    Db().Execute(QStringLiteral("KILL ?"), {connection->ThreadId()});
    TUserDescription after;
    ASSERT_TRUE(security->GetCurrentUser(after));  // reconnects by itself
    EXPECT_EQ(after.id, me.id);
    EXPECT_TRUE(connection->Connected());

    Db().Execute(QStringLiteral("KILL ?"), {connection->ThreadId()});
    ASSERT_TRUE(security->GetUser(me.id, after));
    EXPECT_EQ(after.firstName, "milica");
}

TEST_F(SecurityTest, AnUnreachableServerGivesAnUnconnectedConnection) {
    TConnectionSettings settings = TConnectionSettings::FromEnvironment();
    settings.host.clear();
    settings.socket = QStringLiteral("/nonexistent/finansije.sock");
    TSecurityModule security(settings);
    TConnection* connection = security.GetConnection();
    ASSERT_NE(connection, nullptr);
    EXPECT_FALSE(connection->Connected());
    TUserDescription user;
    EXPECT_THROW(security.GetCurrentUser(user), TConnectionLost);
    EXPECT_THROW(security.Login(), TConnectionLost);
}

}  // namespace
}  // namespace fin::test
