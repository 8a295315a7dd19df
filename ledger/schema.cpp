#include "ledger/schema.h"

#include <QSet>

#include "host/data/dbinifile.h"
#include "host/db/connection.h"
#include "ledger/financialoptions.h"
#include "ledger/schemadata.h"

namespace fin {

namespace {

const QString kTableOptions = QStringLiteral(" DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci");

// Rows per INSERT: few enough for the server's packet limit, many enough to save round trips.
constexpr int kSeedBatch = 200;

QString Q(const QString& identifier) {
    return TConnection::QuoteIdentifier(identifier);
}

bool TableExists(TConnection& c, const QString& table) {
    return c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM information_schema.TABLES "
                                        "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ?"),
                         {table})
               .toLongLong() > 0;
}

QSet<QString> LowerNames(const TResultSet& r) {
    QSet<QString> names;
    for (const auto& row : r.rows)
        names.insert(row.value(0).toString().toLower());
    return names;
}

QString IndexClause(const TIndexDef& index) {
    return QStringLiteral("%1 %2 (%3)")
        .arg(index.unique ? QStringLiteral("UNIQUE KEY") : QStringLiteral("KEY"), Q(index.name),
             index.columns);
}

// When a voucher or a line last changed, kept by the server itself: the consistency check
// finds registered vouchers of a closed period changed after it was closed. No index, so
// inserts stay as fast as before.
const QString kChangedColumn =
    QStringLiteral("TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP");
const QStringList kChangedTables{QStringLiteral("precept"), QStringLiteral("preceptitem")};

// The ledger's own tables. Keys are 64-bit and numbered by the server; the voucher type's
// key stays 32-bit because its ids 1..30 are fixed system values.
std::vector<TTableDef> LedgerTables() {
    return {
        {QStringLiteral("precept"),
         {{"preceptid", "BIGINT NOT NULL AUTO_INCREMENT"},
          {"preceptdate", "DATE NOT NULL"},
          {"registerdate", "DATE NOT NULL"},
          {"number", "VARCHAR(30) NOT NULL DEFAULT ''"},
          {"status", "CHAR(1) NOT NULL DEFAULT 'n'"},
          {"foreignid", "BIGINT NULL"},
          {"foreigntable", "VARCHAR(20) NULL"},
          {"precepttypeid", "INT NOT NULL"},
          {"description", "VARCHAR(255) NULL"},
          {"parentid", "BIGINT NULL"},
          {"userid", "BIGINT NULL"},
          {"changed", kChangedColumn}},
         QStringLiteral("`preceptid`"),
         {{"precept_date", "`preceptdate`"},
          {"precept_status_date", "`status`, `preceptdate`"},
          {"precept_foreign", "`foreigntable`, `foreignid`"},
          {"precept_type_number", "`precepttypeid`, `number`"},
          {"precept_parent", "`parentid`"}}},
        {QStringLiteral("preceptitem"),
         {{"preceptitemid", "BIGINT NOT NULL AUTO_INCREMENT"},
          {"preceptid", "BIGINT NOT NULL"},
          {"sort", "INT NULL"},
          {"description", "VARCHAR(100) NULL"},
          {"debit", "DOUBLE NOT NULL DEFAULT 0"},
          {"credit", "DOUBLE NOT NULL DEFAULT 0"},
          {"accountid", "BIGINT NULL"},
          {"accountnewid", "BIGINT NULL"},
          {"foreignid", "BIGINT NULL"},
          {"changed", kChangedColumn}},
         QStringLiteral("`preceptitemid`"),
         {{"preceptitem_precept", "`preceptid`, `sort`"},
          // A voucher's balance read from the index alone: bulk registration and rounding
          // add up a year's unregistered vouchers at once.
          {"preceptitem_balance", "`preceptid`, `accountnewid`, `debit`, `credit`"},
          {"preceptitem_account", "`accountid`, `foreignid`"},
          {"preceptitem_accountnew", "`accountnewid`, `foreignid`"}}},
        {QStringLiteral("precepttype"),
         {{"precepttypeid", "INT NOT NULL AUTO_INCREMENT"},
          {"name", "VARCHAR(50) NOT NULL"},
          {"number", "VARCHAR(15) NOT NULL"}},
         QStringLiteral("`precepttypeid`"),
         {{"precepttype_number", "`number`"}}},
        {QStringLiteral("account"),
         {{"accountid", "BIGINT NOT NULL AUTO_INCREMENT"},
          {"code", "VARCHAR(9) NOT NULL"},
          {"name", "VARCHAR(150) NOT NULL"},
          {"type", "VARCHAR(255) NULL"},
          {"note", "VARCHAR(255) NULL"}},
         QStringLiteral("`accountid`"),
         {{"account_code", "`code`"}}},
        {QStringLiteral("accountnew"),
         {{"accountnewid", "BIGINT NOT NULL AUTO_INCREMENT"},
          {"code", "VARCHAR(9) NOT NULL"},
          {"name", "VARCHAR(255) NOT NULL"},
          {"type", "VARCHAR(255) NULL"},
          {"note", "VARCHAR(255) NULL"}},
         QStringLiteral("`accountnewid`"),
         {{"accountnew_code", "`code`"}}},
        {QStringLiteral("financialini"),
         {{"financialini", "BIGINT NOT NULL AUTO_INCREMENT"},
          {"module", "VARCHAR(20) NOT NULL"},
          {"entitytype", "VARCHAR(2) NULL"},
          {"conto", "VARCHAR(9) NOT NULL DEFAULT ''"},
          {"contonew", "VARCHAR(9) NULL"},
          {"subaccount", "VARCHAR(20) NULL"},
          {"debitexp", "LONGTEXT NULL"},
          {"creditexp", "LONGTEXT NULL"},
          {"descriptionfmt", "VARCHAR(200) NULL"}},
         QStringLiteral("`financialini`"),
         {{"financialini_module", "`module`, `entitytype`"}}},
        {QStringLiteral("accountframe"),
         {{"accountframeid", "BIGINT NOT NULL AUTO_INCREMENT"},
          {"number", "VARCHAR(9) NOT NULL"},
          {"description", "VARCHAR(255) NOT NULL DEFAULT ''"}},
         QStringLiteral("`accountframeid`"),
         {{"accountframe_number", "`number`", true}}},
        {QStringLiteral("accountframenew"),
         {{"accountframenewid", "BIGINT NOT NULL AUTO_INCREMENT"},
          {"number", "VARCHAR(9) NOT NULL"},
          {"description", "VARCHAR(255) NOT NULL DEFAULT ''"}},
         QStringLiteral("`accountframenewid`"),
         {{"accountframenew_number", "`number`", true}}},
        // Versions of the parts of the schema, so that a later release knows what to migrate.
        {QStringLiteral("finschema"),
         {{"module", "VARCHAR(40) NOT NULL"}, {"version", "INT NOT NULL"}},
         QStringLiteral("`module`"),
         {}},
    };
}

const QString kLedgerModule = QStringLiteral("ledger");

bool HasColumn(TConnection& c, const QString& table, const QString& column) {
    return c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM information_schema.COLUMNS WHERE "
                                        "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ? AND "
                                        "COLUMN_NAME = ?"),
                         {table, column})
               .toLongLong() > 0;
}

// Version 2: the change time of vouchers and lines. Rows that exist get a moment long past,
// not the time of the migration, which would mark every old voucher as changed just now;
// only then does the column take the current time for what comes.
void AddChangedColumns(TConnection& c, TSchemaReport& report) {
    // That moment is only a valid TIMESTAMP in UTC; a server east of Greenwich would refuse
    // it in its own zone.
    const QVariant zone = c.SelectValue(QStringLiteral("SELECT @@session.time_zone"));
    c.ExecuteDirect(QStringLiteral("SET time_zone = '+00:00'"));
    struct TRestoreZone {
        TConnection& c;
        QVariant zone;
        ~TRestoreZone() {
            try {
                c.Execute(QStringLiteral("SET time_zone = ?"), {zone});
            } catch (const TError&) {
            }
        }
    } restore{c, zone};
    for (const QString& table : kChangedTables) {
        if (!TableExists(c, table) || HasColumn(c, table, QStringLiteral("changed")))
            continue;
        c.ExecuteDirect(QStringLiteral("ALTER TABLE %1 ADD COLUMN `changed` TIMESTAMP NOT NULL "
                                       "DEFAULT '1970-01-01 00:00:01' ON UPDATE "
                                       "CURRENT_TIMESTAMP")
                            .arg(Q(table)));
        c.ExecuteDirect(QStringLiteral("ALTER TABLE %1 MODIFY COLUMN `changed` %2")
                            .arg(Q(table), kChangedColumn));
        report.addedColumns << table + QStringLiteral(".changed");
    }
    // A period closed before the moment was kept is watched from now on.
    TDBIniFile ini(&c);
    const QDate closed =
        ini.ReadDate(kFinancialSection, QStringLiteral("UnregisterClosedPeriod"), kClosedPeriodOff);
    if (closed > kClosedPeriodOff && !ini.ValueExists(kFinancialSection, kClosedPeriodSinceKey))
        WriteClosedPeriodSince(c);
}

int SeedTypes(TConnection& c) {
    QSet<int> present;
    for (const auto& row :
         c.Select(QStringLiteral("SELECT precepttypeid FROM precepttype WHERE precepttypeid "
                                 "BETWEEN 1 AND 30"))
             .rows)
        present.insert(row.value(0).toInt());
    QStringList values;
    QVariantList params;
    for (const TSystemPreceptType& t : SystemPreceptTypes()) {
        // An id that is taken keeps its row, whatever it holds: user data is never rewritten.
        if (present.contains(t.id))
            continue;
        values << QStringLiteral("(?, ?, ?)");
        params << t.id << QString::fromUtf8(t.name) << QString::number(t.id);
    }
    if (!values.isEmpty())
        c.Execute(QStringLiteral("INSERT INTO precepttype (precepttypeid, name, number) VALUES ") +
                      values.join(QLatin1Char(',')),
                  params);
    return int(values.size());
}

int SeedFrame(TConnection& c, const QString& table, std::span<const TFrameEntry> frame) {
    const QSet<QString> present =
        LowerNames(c.Select(QStringLiteral("SELECT number FROM %1").arg(Q(table))));
    int added = 0;
    QStringList values;
    QVariantList params;
    auto flush = [&] {
        if (values.isEmpty())
            return;
        c.Execute(QStringLiteral("INSERT INTO %1 (number, description) VALUES ").arg(Q(table)) +
                      values.join(QLatin1Char(',')),
                  params);
        values.clear();
        params.clear();
    };
    for (const TFrameEntry& e : frame) {
        const QString number = QString::fromLatin1(e.number);
        if (present.contains(number))
            continue;
        values << QStringLiteral("(?, ?)");
        params << number << QString::fromUtf8(e.description);
        ++added;
        if (values.size() == kSeedBatch)
            flush();
    }
    flush();
    return added;
}

}  // namespace

void EnsureTable(TConnection& c, const TTableDef& table, TSchemaReport* report) {
    if (!TableExists(c, table.name)) {
        QStringList parts;
        for (const TColumnDef& col : table.columns)
            parts << Q(col.name) + QLatin1Char(' ') + col.definition;
        if (!table.primaryKey.isEmpty())
            parts << QStringLiteral("PRIMARY KEY (%1)").arg(table.primaryKey);
        for (const TIndexDef& index : table.indexes)
            parts << IndexClause(index);
        c.ExecuteDirect(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2) ENGINE=%3")
                            .arg(Q(table.name), parts.join(QStringLiteral(", ")), table.engine) +
                        kTableOptions);
        if (report)
            report->createdTables << table.name;
        return;
    }
    const QSet<QString> columns = LowerNames(
        c.Select(QStringLiteral("SELECT COLUMN_NAME FROM information_schema.COLUMNS WHERE "
                                "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ?"),
                 {table.name}));
    for (const TColumnDef& col : table.columns) {
        if (columns.contains(col.name.toLower()))
            continue;
        c.ExecuteDirect(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                            .arg(Q(table.name), Q(col.name), col.definition));
        if (report)
            report->addedColumns << table.name + QLatin1Char('.') + col.name;
    }
    const QSet<QString> indexes = LowerNames(
        c.Select(QStringLiteral("SELECT DISTINCT INDEX_NAME FROM information_schema.STATISTICS "
                                "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ?"),
                 {table.name}));
    for (const TIndexDef& index : table.indexes) {
        if (indexes.contains(index.name.toLower()))
            continue;
        c.ExecuteDirect(
            QStringLiteral("ALTER TABLE %1 ADD %2").arg(Q(table.name), IndexClause(index)));
        if (report)
            report->addedIndexes << table.name + QLatin1Char('.') + index.name;
    }
}

int LedgerSchemaVersion(TConnection& c) {
    if (!TableExists(c, QStringLiteral("finschema")))
        return 0;
    return c
        .SelectValue(QStringLiteral("SELECT version FROM finschema WHERE module = ?"),
                     {kLedgerModule})
        .toInt();
}

TSchemaReport CreateLedgerSchema(TConnection& c) {
    TSchemaReport report;
    if (!TableExists(c, QStringLiteral("ini")))
        report.createdTables << QStringLiteral("ini");
    TDBIniFile::CreateTable(c);
    // DDL commits on its own in MariaDB, so only the seeding below shares a transaction.
    if (LedgerSchemaVersion(c) < 2)
        AddChangedColumns(c, report);
    for (const TTableDef& table : LedgerTables())
        EnsureTable(c, table, &report);

    TTransaction tx(c);
    report.seededTypes = SeedTypes(c);
    report.seededFrameRows = SeedFrame(c, QStringLiteral("accountframe"), OldAccountFrame()) +
                             SeedFrame(c, QStringLiteral("accountframenew"), NewAccountFrame());
    // A database written by a newer release keeps its higher version.
    c.Execute(QStringLiteral("INSERT INTO finschema (module, version) VALUES (?, ?) ON DUPLICATE "
                             "KEY UPDATE version = GREATEST(version, VALUES(version))"),
              {kLedgerModule, kLedgerSchemaVersion});
    tx.Commit();
    return report;
}

}  // namespace fin
