#include "console/standins/security.h"

namespace fin {

TSecurityModule::TSecurityModule(TConnectionSettings settings) : connection_(std::move(settings)) {}

TConnection* TSecurityModule::GetConnection() {
    try {
        connection_.Open();
    } catch (const TError&) {
        // Left unconnected on purpose; see the declaration.
    }
    return &connection_;
}

void TSecurityModule::CreateTables(TConnection& connection) {
    connection.ExecuteDirect(
        QStringLiteral("CREATE TABLE IF NOT EXISTS securityuser ("
                       "securityuserid BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                       "login VARCHAR(64) NOT NULL, "
                       "firstname VARCHAR(100) NOT NULL DEFAULT '', "
                       "lastname VARCHAR(100) NOT NULL DEFAULT '', "
                       "UNIQUE KEY securityuser_login (login)"
                       ") ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci"));
}

QString TSecurityModule::CurrentLogin() {
    for (const char* name : {"USER", "LOGNAME"}) {
        const QString login = qEnvironmentVariable(name).trimmed();
        if (!login.isEmpty())
            return login.left(64);
    }
    return QStringLiteral("korisnik");
}

// A read, or the idempotent registration of the current user, may be repeated once when
// the server dropped the session since the last call; inside a caller's transaction it
// may not, and a server that could not be reached at all is not asked twice.
template <typename F>
auto TSecurityModule::Retrying(F&& action) {
    const bool wasConnected = connection_.Connected();
    try {
        return action();
    } catch (const TConnectionLost&) {
        if (!wasConnected || connection_.TransactionDepth() > 0)
            throw;
        return action();
    }
}

bool TSecurityModule::PrepareTables() {
    if (tablesReady_)
        return true;
    // The first lookup often comes inside a job's transaction (a new voucher records its
    // user), where a schema statement would commit the job half done and leave the rest of
    // it to autocommit. So the table is looked up first and made only outside a
    // transaction; inside one, a missing table knows no users.
    const bool exists =
        connection_
            .SelectValue(QStringLiteral("SELECT COUNT(*) FROM information_schema.TABLES WHERE "
                                        "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = "
                                        "'securityuser'"))
            .toInt() > 0;
    if (!exists) {
        if (connection_.TransactionDepth() > 0)
            return false;
        CreateTables(connection_);
    }
    tablesReady_ = true;
    return true;
}

bool TSecurityModule::ReadUser(const QString& where, const QVariant& key, TUserDescription& user) {
    const TResultSet r = connection_.Select(
        QStringLiteral("SELECT securityuserid, firstname, lastname FROM securityuser WHERE ") +
            where,
        {key});
    if (r.IsEmpty())
        return false;
    user.id = r.rows[0][0].toLongLong();
    user.firstName = r.rows[0][1].toString();
    user.lastName = r.rows[0][2].toString();
    return true;
}

void TSecurityModule::Login() {
    TUserDescription user;
    GetCurrentUser(user);
}

bool TSecurityModule::GetCurrentUser(TUserDescription& user) {
    const QString login = CurrentLogin();
    return Retrying([&] {
        if (!PrepareTables())
            return false;
        if (ReadUser(QStringLiteral("login = ?"), login, user))
            return true;
        // IGNORE: another workstation of the same login may register it at the same time.
        connection_.Execute(QStringLiteral("INSERT IGNORE INTO securityuser (login, firstname) "
                                           "VALUES (?, ?)"),
                            {login, login});
        return ReadUser(QStringLiteral("login = ?"), login, user);
    });
}

bool TSecurityModule::GetUser(qint64 userId, TUserDescription& user) {
    return Retrying([&] {
        return PrepareTables() && ReadUser(QStringLiteral("securityuserid = ?"), userId, user);
    });
}

}  // namespace fin
