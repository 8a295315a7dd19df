#include "host/data/relationalintegrity.h"

namespace fin {

namespace {
TRelationalIntegrity* g_integrity = nullptr;

bool Referenced(TConnection& connection, const QString& referringTable,
                const QString& referringColumn, const QVariant& id) {
    return !connection
                .Select(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? LIMIT 1")
                            .arg(TConnection::QuoteIdentifier(referringTable),
                                 TConnection::QuoteIdentifier(referringColumn)),
                        {id})
                .IsEmpty();
}
}  // namespace

TRelationalIntegrity* RelationalIntegrity() {
    return g_integrity;
}
void SetRelationalIntegrity(TRelationalIntegrity* integrity) {
    g_integrity = integrity;
}

void TRelationalIntegrity::AddReference(const QString& table, const QString& referringTable,
                                        const QString& referringColumn) {
    references_.push_back({table, referringTable, referringColumn});
}

bool TRelationalIntegrity::CanDelete(const QString& table, const QVariant& id,
                                     TConnection& connection) const {
    for (const TReference& r : references_)
        if (r.table.compare(table, Qt::CaseInsensitive) == 0 &&
            Referenced(connection, r.referringTable, r.referringColumn, id))
            return false;
    const TResultSet keys = connection.Select(
        QStringLiteral("SELECT TABLE_NAME, COLUMN_NAME FROM information_schema.KEY_COLUMN_USAGE "
                       "WHERE REFERENCED_TABLE_SCHEMA = DATABASE() AND REFERENCED_TABLE_NAME = ?"),
        {table});
    for (const auto& row : keys.rows)
        if (Referenced(connection, row[0].toString(), row[1].toString(), id))
            return false;
    return true;
}

bool TRelationalIntegrity::CanDeleteFinancial(const QString& table, const QVariant& id) const {
    if (!connection_)
        return true;
    for (const TCheck& check : financial_)
        if (check(*connection_, table, id))
            return false;
    return true;
}

}  // namespace fin
