#include "ledger/accountlookup.h"

#include "host/db/connection.h"

namespace fin {

bool GetAccountByCode(TConnection& connection, TAccountDesc& desc, bool newChart) {
    const TResultSet r = connection.Select(
        newChart ? QStringLiteral("SELECT accountnewid, code, name, type FROM accountnew WHERE "
                                  "code = ?")
                 : QStringLiteral("SELECT accountid, code, name, type FROM account WHERE code = ?"),
        {newChart ? desc.CodeNew : desc.Code});
    if (r.rows.size() != 1)
        return false;
    const auto& row = r.rows[0];
    (newChart ? desc.AccountNewID : desc.AccountID) = row[0].toInt();
    (newChart ? desc.CodeNew : desc.Code) = row[1].toString();
    desc.Name = row[2].toString();
    desc.AccountType = row[3].toString();
    return true;
}

bool GetSubAccountByCode(TConnection& connection, TAccountDesc& desc, bool newChart) {
    TConnection* c = &connection;
    const TResultSet r = c->Select(
        newChart ? QStringLiteral("SELECT code, name, type FROM accountnew WHERE accountnewid = ?")
                 : QStringLiteral("SELECT code, name, type FROM account WHERE accountid = ?"),
        {newChart ? desc.AccountNewID : desc.AccountID});
    if (r.rows.size() != 1)
        return false;
    (newChart ? desc.CodeNew : desc.Code) = r.rows[0][0].toString();
    desc.Name = r.rows[0][1].toString();
    desc.AccountType = r.rows[0][2].toString();
    // The type names the sub-account table; one that is no safe name has no rows.
    const QString type = desc.AccountType;
    if (!TConnection::IsSafeIdentifier(type) ||
        !TConnection::IsSafeIdentifier(type + QStringLiteral("id")))
        return false;
    bool ok = false;
    const qint64 id = desc.SubaccountCode.trimmed().toLongLong(&ok);
    const QString key = TConnection::QuoteIdentifier(type + QStringLiteral("id"));
    try {
        return c->Select(QStringLiteral("SELECT %1 FROM %2 WHERE %1 = ?")
                             .arg(key, TConnection::QuoteIdentifier(type)),
                         {ok ? id : 0})
                   .rows.size() == 1;
    } catch (const TConnectionLost&) {
        throw;
    } catch (const TDbError&) {
        return false;  // a type whose table does not exist has no sub-accounts
    }
}

}  // namespace fin
