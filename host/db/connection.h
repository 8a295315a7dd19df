#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <unordered_map>

#include "host/common/error.h"

typedef struct st_mysql MYSQL;
typedef struct st_mysql_stmt MYSQL_STMT;

namespace fin {

// Where the shared database lives; a host means a company server over TCP, otherwise the
// local Unix socket.
struct TConnectionSettings {
    QString host;
    unsigned port = 0;
    QString socket;
    QString user;
    QString password;
    QString database;

    static TConnectionSettings FromEnvironment();
    QString Describe() const;
};

class TDbError : public TError {
public:
    TDbError(QString message, unsigned code = 0, QString sqlState = {})
        : TError(std::move(message)), code_(code), sqlState_(std::move(sqlState)) {}
    unsigned Code() const { return code_; }
    const QString& SqlState() const { return sqlState_; }

private:
    unsigned code_;
    QString sqlState_;
};

// The server went away (or could not be reached). Whatever the open transaction held was
// rolled back by the server; the next statement outside a transaction connects again.
class TConnectionLost : public TDbError {
public:
    using TDbError::TDbError;
};

enum class TFieldType { Unknown, Integer, Float, String, Boolean, Date, DateTime, Time, Blob };

struct TColumnInfo {
    QString name;      // as the result names it (alias)
    QString orgTable;  // base table; empty for computed columns
    QString orgName;   // base column name
    TFieldType type = TFieldType::Unknown;
    int length = 0;  // characters for text columns
};

struct TResultSet {
    QVector<TColumnInfo> columns;
    QVector<QVector<QVariant>> rows;

    int ColumnIndex(const QString& name) const;  // -1 when absent, case-insensitive
    bool IsEmpty() const { return rows.isEmpty(); }
};

// One owned client connection. Every value reaches the server as a bound parameter of a
// prepared statement; only DDL without values may go as plain text.
class TConnection {
public:
    explicit TConnection(TConnectionSettings settings = TConnectionSettings::FromEnvironment());
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    void Open();
    void Close();
    bool Connected() const { return mysql_ != nullptr; }
    void Reconnect();
    const TConnectionSettings& Settings() const { return settings_; }

    TResultSet Select(const QString& sql, const QVariantList& params = {});
    // The rows of a statement handed over one at a time as the server sends them, so a
    // result of any length takes the memory of one row. The connection serves no other
    // statement until this returns; the columns come first, before any row.
    void SelectEach(const QString& sql, const QVariantList& params,
                    const std::function<void(const QVector<TColumnInfo>& columns)>& start,
                    const std::function<void(const QVector<QVariant>& row)>& row);
    // First column of the first row, or a null value when there is none.
    QVariant SelectValue(const QString& sql, const QVariantList& params = {});
    // Returns the rows matched (found rows, not only changed ones).
    quint64 Execute(const QString& sql, const QVariantList& params = {});
    // Plain text for statements that carry no values (schema); never for user data.
    void ExecuteDirect(const QString& sql);

    qint64 LastInsertId() const { return lastInsertId_; }
    quint64 ThreadId();

    // Nested calls use savepoints, so an inner failure undoes only its own part.
    void BeginTransaction();
    void Commit();
    void Rollback();
    int TransactionDepth() const { return depth_; }

    // The primary key of a table of the current database, read from the schema once (a
    // result's own key flags vanish when the server sorts through a temporary table).
    struct TTableKey {
        QStringList columns;
        QString autoIncrement;  // the column the server numbers, if any
    };
    const TTableKey& PrimaryKey(const QString& table);

    // Identifiers that come from data (user tables) must match a strict pattern.
    static bool IsSafeIdentifier(const QString& name);
    static QString QuoteIdentifier(const QString& name);

private:
    struct TStatementCache;
    void EnsureOpen();
    [[noreturn]] void Fail(unsigned code, const char* sqlState, const char* message);
    [[noreturn]] void FailConnection();
    [[noreturn]] void FailStatement(MYSQL_STMT* stmt);
    MYSQL_STMT* Prepare(const QString& sql);
    void Forget(const QString& sql);
    TResultSet Run(const QString& sql, const QVariantList& params, quint64* affected);
    MYSQL_STMT* Start(const QString& sql, const QVariantList& params);
    void Plain(const char* sql);

    TConnectionSettings settings_;
    MYSQL* mysql_ = nullptr;
    std::unique_ptr<TStatementCache> cache_;
    qint64 lastInsertId_ = 0;
    int depth_ = 0;
    QHash<QString, TTableKey> keys_;
};

// Scope guard: rolls back unless committed, also when an exception leaves the scope.
class TTransaction {
public:
    explicit TTransaction(TConnection& connection);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;
    void Commit();

private:
    TConnection& connection_;
    int level_;
    bool done_ = false;
};

}  // namespace fin
