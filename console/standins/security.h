#pragma once

#include "host/console/interfaces.h"
#include "host/db/connection.h"

namespace fin {

// The security module until the real one arrives: the suite's one database connection
// and a small table of users, the current one being the operating-system login.
class TSecurityModule : public ISecurity {
public:
    explicit TSecurityModule(TConnectionSettings settings = TConnectionSettings::FromEnvironment());

    // Opens on first call. When the server cannot be reached the connection comes back
    // unconnected rather than as an exception: callers check Connected(), and the reason
    // surfaces (as TConnectionLost) when they open or use it.
    TConnection* GetConnection() override;
    // Connects, creates the user table if missing and registers the current user; throws
    // TError when the database cannot be used.
    void Login() override;
    // False when the user is unknown; database failures throw TError. A connection lost
    // since the last call is opened again once.
    bool GetCurrentUser(TUserDescription& user) override;
    bool GetUser(qint64 userId, TUserDescription& user) override;

    static void CreateTables(TConnection& connection);
    static QString CurrentLogin();

private:
    template <typename F>
    auto Retrying(F&& action);
    bool ReadUser(const QString& where, const QVariant& key, TUserDescription& user);
    bool PrepareTables();  // false: no user table to read (yet)

    TConnection connection_;
    bool tablesReady_ = false;
};

}  // namespace fin
