#include "ledger/subaccounts.h"

#include "host/db/connection.h"
#include "host/ui/uiservice.h"
#include "ledger/ledgercaptions.h"

namespace fin {

namespace {

// Applied in this order; the decoding undoes them in the same order.
const std::pair<const char*, const char*> kEncoding[] = {
    {" ", "_"}, {"š", "s$"}, {"Š", "S$"}, {"ž", "z$"}, {"Ž", "Z$"},
};

}  // namespace

QString EncodeSubaccStr(const QString& name) {
    QString s = name;
    for (const auto& [plain, coded] : kEncoding)
        s.replace(QString::fromUtf8(plain), QString::fromUtf8(coded));
    return s;
}

QString DecodeSubaccStr(const QString& text) {
    QString s = text;
    for (const auto& [plain, coded] : kEncoding)
        s.replace(QString::fromUtf8(coded), QString::fromUtf8(plain));
    return s;
}

void GetSubaccountTypes(TConnection* connection, QStringList& list) {
    if (!connection || !connection->Connected())
        return;
    const TResultSet tables = connection->Select(QStringLiteral("SHOW TABLES"));
    for (const auto& row : tables.rows) {
        const QString name = row.value(0).toString();
        if (name.startsWith(kSubaccountPrefix))
            list << DecodeSubaccStr(name.mid(kSubaccountPrefix.size()));
    }
}

QString CheckSubaccountTypeName(TConnection* connection, const QString& name) {
    static const QString special = QStringLiteral("_-%',()");
    for (const QChar c : name)
        if (special.contains(c))
            return res::SUB_HASSPEC_ERR;
    const QString table = kSubaccountPrefix + EncodeSubaccStr(name);
    // Whatever else could not stand in a table name is refused as well, before any
    // statement runs.
    if (name.trimmed().isEmpty() || !TConnection::IsSafeIdentifier(table) || table.size() > 64)
        return res::SUB_HASSPEC_ERR;
    QStringList existing;
    GetSubaccountTypes(connection, existing);
    for (const QString& e : existing)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return res::SUB_EXISTS_ERR;
    return {};
}

bool CreateSubaccountTable(TConnection& connection, const QString& name) {
    const QString table = kSubaccountPrefix + EncodeSubaccStr(name);
    if (!TConnection::IsSafeIdentifier(table))
        return false;
    const QString t = TConnection::QuoteIdentifier(table);
    const QString key = TConnection::QuoteIdentifier(table + QStringLiteral("id"));
    try {
        connection.ExecuteDirect(
            QStringLiteral("CREATE TABLE %1 (%2 int(10) unsigned NOT NULL auto_increment,"
                           "`name` varchar(255) NOT NULL default '',PRIMARY KEY (%2)) "
                           "ENGINE=MyISAM DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci")
                .arg(t, key));
    } catch (const TConnectionLost&) {
        throw;  // not a refusal of the name: the user is to learn the connection is gone
    } catch (const TError&) {
        return false;
    }
    return true;
}

bool AddSubaccountType(TConnection* connection, QString& name) {
    QString typed = name;
    if (!Ui().InputText(res::SUB_ADD_CAPT, res::SUB_ADD_PROMT, typed))
        return false;
    typed = typed.trimmed();
    const QString refusal = CheckSubaccountTypeName(connection, typed);
    if (!refusal.isEmpty()) {
        Ui().ShowMessage(TMessageType::Error, refusal);
        return false;
    }
    if (!connection || !CreateSubaccountTable(*connection, typed)) {
        Ui().ShowMessage(TMessageType::Error, res::SUB_CREATE_ERR);
        return false;
    }
    name = typed;
    return true;
}

}  // namespace fin
