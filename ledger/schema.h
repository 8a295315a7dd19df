#pragma once

#include <QStringList>
#include <vector>

namespace fin {

class TConnection;

// One table as this system wants it. Columns and indexes are SQL fragments written by the
// developer, never by data; an existing table gets whatever of them it lacks.
struct TColumnDef {
    QString name;
    QString definition;  // e.g. "BIGINT NOT NULL AUTO_INCREMENT"
};

struct TIndexDef {
    QString name;
    QString columns;  // e.g. "`precepttypeid`, `number`"
    bool unique = false;
};

struct TTableDef {
    QString name;
    std::vector<TColumnDef> columns;
    QString primaryKey;  // column list
    std::vector<TIndexDef> indexes;
    QString engine = QStringLiteral("InnoDB");
};

// What a schema run changed, for people to read ("precept", "precept.userid", ...).
struct TSchemaReport {
    QStringList createdTables;
    QStringList addedColumns;
    QStringList addedIndexes;
    int seededTypes = 0;
    int seededFrameRows = 0;

    bool Changed() const {
        return !createdTables.isEmpty() || !addedColumns.isEmpty() || !addedIndexes.isEmpty() ||
               seededTypes > 0 || seededFrameRows > 0;
    }
};

// Creates the table when it is missing, otherwise adds its missing columns and indexes.
// Nothing is ever dropped or changed.
void EnsureTable(TConnection& connection, const TTableDef& table, TSchemaReport* report = nullptr);

// The version the code expects; LedgerSchemaVersion gives what the database has (0: none).
inline constexpr int kLedgerSchemaVersion = 2;
int LedgerSchemaVersion(TConnection& connection);

// Every table the ledger owns, the settings table, the system voucher types 1..30 and the
// account frames of both charts. Re-runnable: what exists is kept as it is.
TSchemaReport CreateLedgerSchema(TConnection& connection);

}  // namespace fin
