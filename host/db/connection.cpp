#include "host/db/connection.h"

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

#include <QRegularExpression>
#include <chrono>
#include <cstring>
#include <list>
#include <string>
#include <thread>
#include <vector>

namespace fin {

namespace {

QString Env(const char* name) {
    return qEnvironmentVariable(name);
}

// Test switch, never set in use: FINANSIJE_TEST_STATEMENT_DELAY_MS makes every statement
// wait that long before it goes to the server, so that a crash test can stop a job between
// any two of its statements. Read once; unset, it costs one test of a number.
void TestStatementDelay() {
    static const int delay = qEnvironmentVariableIntValue("FINANSIJE_TEST_STATEMENT_DELAY_MS");
    if (delay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
}

bool IsConnectionError(unsigned code) {
    switch (code) {
        case CR_SERVER_GONE_ERROR:
        case CR_SERVER_LOST:
        case CR_SERVER_LOST_EXTENDED:
        case CR_CONNECTION_ERROR:
        case CR_CONN_HOST_ERROR:
        case CR_UNKNOWN_HOST:
        case ER_CONNECTION_KILLED:
        case ER_SERVER_SHUTDOWN:
        case 4031:  // the server closed an idle session
            return true;
        default:
            return false;
    }
}

TFieldType TypeOf(const MYSQL_FIELD& f) {
    switch (f.type) {
        case MYSQL_TYPE_TINY:
        case MYSQL_TYPE_SHORT:
        case MYSQL_TYPE_LONG:
        case MYSQL_TYPE_INT24:
        case MYSQL_TYPE_LONGLONG:
        case MYSQL_TYPE_YEAR:
            return TFieldType::Integer;
        case MYSQL_TYPE_FLOAT:
        case MYSQL_TYPE_DOUBLE:
        case MYSQL_TYPE_DECIMAL:
        case MYSQL_TYPE_NEWDECIMAL:
            return TFieldType::Float;
        case MYSQL_TYPE_DATE:
        case MYSQL_TYPE_NEWDATE:
            return TFieldType::Date;
        case MYSQL_TYPE_DATETIME:
        case MYSQL_TYPE_TIMESTAMP:
            return TFieldType::DateTime;
        case MYSQL_TYPE_TIME:
            return TFieldType::Time;
        case MYSQL_TYPE_TINY_BLOB:
        case MYSQL_TYPE_MEDIUM_BLOB:
        case MYSQL_TYPE_LONG_BLOB:
        case MYSQL_TYPE_BLOB:
        case MYSQL_TYPE_STRING:
        case MYSQL_TYPE_VAR_STRING:
        case MYSQL_TYPE_VARCHAR:
            return f.charsetnr == 63 && (f.flags & BINARY_FLAG) ? TFieldType::Blob
                                                                : TFieldType::String;
        default:
            return TFieldType::String;
    }
}

void ToTime(const QDate& d, MYSQL_TIME& t) {
    std::memset(&t, 0, sizeof t);
    t.year = d.year();
    t.month = d.month();
    t.day = d.day();
    t.time_type = MYSQL_TIMESTAMP_DATE;
}

// Keeps parameter bytes alive while the statement runs.
struct TParamBuffers {
    std::vector<MYSQL_BIND> binds;
    std::list<QByteArray> bytes;
    std::vector<long long> ints;
    std::vector<double> doubles;
    std::vector<MYSQL_TIME> times;

    explicit TParamBuffers(const QVariantList& params) : binds(params.size()) {
        ints.reserve(params.size());
        doubles.reserve(params.size());
        times.reserve(params.size());
        for (int i = 0; i < params.size(); ++i)
            Bind(binds[i], params[i]);
    }

    void Bind(MYSQL_BIND& b, const QVariant& v) {
        std::memset(&b, 0, sizeof b);
        if (!v.isValid() || v.isNull()) {
            b.buffer_type = MYSQL_TYPE_NULL;
            return;
        }
        switch (v.typeId()) {
            case QMetaType::Bool:
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::Long:
            case QMetaType::LongLong:
            case QMetaType::Short:
            case QMetaType::Char:
            case QMetaType::SChar:
            case QMetaType::UChar:
            case QMetaType::UShort:
                ints.push_back(v.toLongLong());
                b.buffer_type = MYSQL_TYPE_LONGLONG;
                b.buffer = &ints.back();
                return;
            case QMetaType::ULong:
            case QMetaType::ULongLong:
                ints.push_back(static_cast<long long>(v.toULongLong()));
                b.buffer_type = MYSQL_TYPE_LONGLONG;
                b.buffer = &ints.back();
                b.is_unsigned = 1;
                return;
            case QMetaType::Double:
            case QMetaType::Float:
                doubles.push_back(v.toDouble());
                b.buffer_type = MYSQL_TYPE_DOUBLE;
                b.buffer = &doubles.back();
                return;
            case QMetaType::QDate:
                times.emplace_back();
                ToTime(v.toDate(), times.back());
                b.buffer_type = MYSQL_TYPE_DATE;
                b.buffer = &times.back();
                return;
            case QMetaType::QDateTime: {
                const QDateTime dt = v.toDateTime();
                times.emplace_back();
                MYSQL_TIME& t = times.back();
                ToTime(dt.date(), t);
                t.hour = dt.time().hour();
                t.minute = dt.time().minute();
                t.second = dt.time().second();
                t.time_type = MYSQL_TIMESTAMP_DATETIME;
                b.buffer_type = MYSQL_TYPE_DATETIME;
                b.buffer = &t;
                return;
            }
            case QMetaType::QByteArray:
                bytes.push_back(v.toByteArray());
                b.buffer_type = MYSQL_TYPE_BLOB;
                break;
            default:
                bytes.push_back(v.toString().toUtf8());
                b.buffer_type = MYSQL_TYPE_STRING;
                break;
        }
        b.buffer = bytes.back().data();
        b.buffer_length = static_cast<unsigned long>(bytes.back().size());
    }
};

// Receives one result row in buffers sized by the longest value of each column.
struct TResultBuffers {
    struct TColumn {
        long long i = 0;
        double d = 0;
        MYSQL_TIME t{};
        std::vector<char> text;
        unsigned long length = 0;
        my_bool isNull = 0;
        my_bool error = 0;
    };
    bool streamed;
    std::vector<MYSQL_BIND> binds;
    std::vector<TColumn> columns;
    const QVector<TColumnInfo>& info;
    std::vector<bool> unsignedInt;
    std::vector<bool> decimalText;

    // Stored results size text buffers by the longest value; streamed ones by the column's
    // declared length, up to a bound past which a value is fetched again whole.
    TResultBuffers(MYSQL_FIELD* fields, const QVector<TColumnInfo>& infos, bool streamed = false)
        : streamed(streamed),
          binds(infos.size()),
          columns(infos.size()),
          info(infos),
          unsignedInt(infos.size()),
          decimalText(infos.size()) {
        for (int i = 0; i < infos.size(); ++i) {
            MYSQL_BIND& b = binds[i];
            TColumn& c = columns[i];
            std::memset(&b, 0, sizeof b);
            b.is_null = &c.isNull;
            b.length = &c.length;
            b.error = &c.error;
            const MYSQL_FIELD& f = fields[i];
            switch (infos[i].type) {
                case TFieldType::Integer:
                    b.buffer_type = MYSQL_TYPE_LONGLONG;
                    b.buffer = &c.i;
                    b.is_unsigned = (f.flags & UNSIGNED_FLAG) ? 1 : 0;
                    unsignedInt[i] = b.is_unsigned;
                    break;
                case TFieldType::Float:
                    if (f.type == MYSQL_TYPE_DECIMAL || f.type == MYSQL_TYPE_NEWDECIMAL) {
                        decimalText[i] = true;
                        AsText(b, c, f, streamed);
                    } else {
                        b.buffer_type = MYSQL_TYPE_DOUBLE;
                        b.buffer = &c.d;
                    }
                    break;
                case TFieldType::Date:
                case TFieldType::DateTime:
                case TFieldType::Time:
                    b.buffer_type = f.type == MYSQL_TYPE_TIME   ? MYSQL_TYPE_TIME
                                    : f.type == MYSQL_TYPE_DATE ? MYSQL_TYPE_DATE
                                                                : MYSQL_TYPE_DATETIME;
                    b.buffer = &c.t;
                    break;
                default:
                    AsText(b, c, f, streamed);
                    b.buffer_type =
                        infos[i].type == TFieldType::Blob ? MYSQL_TYPE_BLOB : MYSQL_TYPE_STRING;
                    break;
            }
        }
    }

    static void AsText(MYSQL_BIND& b, TColumn& c, const MYSQL_FIELD& f, bool streamed) {
        constexpr unsigned long kStreamedText = 4096;
        const unsigned long longest =
            streamed ? std::min<unsigned long>(f.length, kStreamedText) : f.max_length;
        c.text.resize(std::max<unsigned long>(longest, 1) + 1);
        b.buffer_type = MYSQL_TYPE_STRING;
        b.buffer = c.text.data();
        b.buffer_length = static_cast<unsigned long>(c.text.size());
    }

    // After a fetch that reported truncation: the cut text columns read again whole.
    bool FetchTruncated(MYSQL_STMT* stmt) {
        for (size_t i = 0; i < columns.size(); ++i) {
            TColumn& c = columns[i];
            if (!c.error || c.isNull)
                continue;
            c.text.resize(c.length + 1);
            MYSQL_BIND& b = binds[i];
            b.buffer = c.text.data();
            b.buffer_length = static_cast<unsigned long>(c.text.size());
            if (mysql_stmt_fetch_column(stmt, &b, static_cast<unsigned>(i), 0) != 0)
                return false;
            c.error = 0;
        }
        // The longer buffers serve the rows that follow.
        return mysql_stmt_bind_result(stmt, binds.data()) == 0;
    }

    QVariant Value(int i) const {
        const TColumn& c = columns[i];
        if (c.isNull)
            return QVariant();
        switch (info[i].type) {
            case TFieldType::Integer:
                if (unsignedInt[i] && c.i < 0)
                    return QVariant::fromValue(static_cast<qulonglong>(c.i));
                return QVariant::fromValue(static_cast<qlonglong>(c.i));
            case TFieldType::Float:
                if (decimalText[i])
                    return QByteArray(c.text.data(), static_cast<int>(c.length)).toDouble();
                return c.d;
            case TFieldType::Date: {
                const QDate d(c.t.year, c.t.month, c.t.day);
                return d.isValid() ? QVariant(d) : QVariant();  // zero dates read as empty
            }
            case TFieldType::DateTime: {
                const QDate d(c.t.year, c.t.month, c.t.day);
                if (!d.isValid())
                    return QVariant();
                return QDateTime(d, QTime(c.t.hour, c.t.minute, c.t.second));
            }
            case TFieldType::Time:
                return QTime(c.t.hour % 24, c.t.minute, c.t.second);
            case TFieldType::Blob:
                return QByteArray(c.text.data(), static_cast<int>(c.length));
            default:
                return QString::fromUtf8(c.text.data(), static_cast<int>(c.length));
        }
    }
};

}  // namespace

TConnectionSettings TConnectionSettings::FromEnvironment() {
    TConnectionSettings s;
    s.host = Env("FINANSIJE_DB_HOST");
    s.port = Env("FINANSIJE_DB_PORT").toUInt();
    s.socket = Env("FINANSIJE_DB_SOCKET");
    s.user = Env("FINANSIJE_DB_USER");
    s.password = Env("FINANSIJE_DB_PASSWORD");
    s.database = Env("FINANSIJE_DB_NAME");
    if (s.user.isEmpty())
        s.user = QStringLiteral("root");
    if (s.database.isEmpty())
        s.database = QStringLiteral("finansije");
    return s;
}

QString TConnectionSettings::Describe() const {
    const QString where = !host.isEmpty()
                              ? QStringLiteral("%1:%2").arg(host).arg(port ? port : 3306)
                          : socket.isEmpty() ? QStringLiteral("lokalni server")
                                             : socket;
    return QStringLiteral("%1@%2/%3").arg(user, where, database);
}

int TResultSet::ColumnIndex(const QString& name) const {
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// Prepared statements by text; a small bound keeps server resources in check.
struct TConnection::TStatementCache {
    static constexpr size_t kLimit = 256;
    std::unordered_map<std::string, MYSQL_STMT*> statements;

    void Clear() {
        for (auto& [sql, stmt] : statements)
            mysql_stmt_close(stmt);
        statements.clear();
    }
    ~TStatementCache() { Clear(); }
};

TConnection::TConnection(TConnectionSettings settings)
    : settings_(std::move(settings)), cache_(std::make_unique<TStatementCache>()) {}

TConnection::~TConnection() {
    Close();
}

void TConnection::Open() {
    if (mysql_)
        return;
    MYSQL* m = mysql_init(nullptr);
    if (!m)
        throw TDbError(QStringLiteral("Nema dovoljno memorije za vezu sa bazom podataka."));
    mysql_optionsv(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    unsigned timeout = 10;
    mysql_optionsv(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    my_bool reconnect = 0;  // silent reconnects would hide a lost transaction
    mysql_optionsv(m, MYSQL_OPT_RECONNECT, &reconnect);
    const QByteArray host = settings_.host.toUtf8(), user = settings_.user.toUtf8(),
                     password = settings_.password.toUtf8(), db = settings_.database.toUtf8(),
                     socket = settings_.socket.toUtf8();
    if (!mysql_real_connect(m, host.isEmpty() ? nullptr : host.constData(), user.constData(),
                            password.constData(), db.isEmpty() ? nullptr : db.constData(),
                            settings_.port, socket.isEmpty() ? nullptr : socket.constData(),
                            CLIENT_FOUND_ROWS)) {
        const unsigned code = mysql_errno(m);
        mysql_close(m);
        // The client library's own text is English: the user reads what it means and the
        // code, which an administrator can look up.
        QString why;
        switch (code) {
            case ER_ACCESS_DENIED_ERROR:
            case ER_DBACCESS_DENIED_ERROR:
                why = QStringLiteral("server je odbio korisnika \"%1\"; proverite ime i lozinku")
                          .arg(settings_.user);
                break;
            case ER_BAD_DB_ERROR:
                why = QStringLiteral("baza \"%1\" ne postoji na serveru").arg(settings_.database);
                break;
            default:
                why = QStringLiteral(
                    "server se ne javlja; proverite da li radi, pa pokušajte ponovo");
        }
        throw TConnectionLost(QStringLiteral("Nije moguće povezati se sa bazom podataka %1: %2. "
                                             "(greška %3)")
                                  .arg(settings_.Describe(), why)
                                  .arg(code),
                              code);
    }
    mysql_ = m;
    depth_ = 0;
    Plain("SET NAMES utf8mb4 COLLATE utf8mb4_unicode_ci");
}

void TConnection::Close() {
    cache_->Clear();
    if (mysql_)
        mysql_close(mysql_);
    mysql_ = nullptr;
    depth_ = 0;
}

void TConnection::Reconnect() {
    Close();
    Open();
}

void TConnection::EnsureOpen() {
    if (mysql_)
        return;
    // Reconnecting inside a transaction would continue writes whose first half is gone.
    if (depth_ > 0)
        throw TConnectionLost(
            QStringLiteral("Veza sa bazom podataka je prekinuta; izmene nisu upisane."));
    Open();
}

void TConnection::Fail(unsigned code, const char* sqlState, const char* message) {
    const QString text = QString::fromUtf8(message);
    if (IsConnectionError(code)) {
        // The server rolled back whatever was open. The transaction depth stays, so that no
        // statement of a half-done write reconnects and goes on until its guards unwind.
        cache_->Clear();
        if (mysql_)
            mysql_close(mysql_);
        mysql_ = nullptr;
        throw TConnectionLost(
            QStringLiteral("Veza sa bazom podataka je prekinuta; nesačuvane izmene nisu upisane. "
                           "Pokušajte ponovo. (greška %1)")
                .arg(code),
            code, QString::fromLatin1(sqlState));
    }
    throw TDbError(QStringLiteral("Greška baze podataka: %1").arg(text), code,
                   QString::fromLatin1(sqlState));
}

void TConnection::FailConnection() {
    Fail(mysql_errno(mysql_), mysql_sqlstate(mysql_), mysql_error(mysql_));
}

void TConnection::FailStatement(MYSQL_STMT* stmt) {
    const unsigned code = mysql_stmt_errno(stmt);
    const std::string state = mysql_stmt_sqlstate(stmt), message = mysql_stmt_error(stmt);
    Fail(code, state.c_str(), message.c_str());
}

void TConnection::Plain(const char* sql) {
    EnsureOpen();
    TestStatementDelay();
    if (mysql_real_query(mysql_, sql, std::strlen(sql)) != 0)
        FailConnection();
    if (MYSQL_RES* res = mysql_store_result(mysql_))
        mysql_free_result(res);
}

void TConnection::ExecuteDirect(const QString& sql) {
    // A schema statement commits the open transaction on its own, and the rest of the
    // write would go on without one: refused before it can split a job in two. Temporary
    // tables do not commit and stay allowed.
    static const QRegularExpression schema(
        QStringLiteral("^\\s*(CREATE|ALTER|DROP|RENAME|TRUNCATE)\\b(?!\\s+TEMPORARY\\b)"),
        QRegularExpression::CaseInsensitiveOption);
    if (depth_ > 0 && schema.match(sql).hasMatch())
        throw TDbError(
            QStringLiteral("Izmena šeme baze nije dozvoljena usred upisa; "
                           "ništa nije upisano."));
    const QByteArray text = sql.toUtf8();
    EnsureOpen();
    TestStatementDelay();
    if (mysql_real_query(mysql_, text.constData(), text.size()) != 0)
        FailConnection();
    if (MYSQL_RES* res = mysql_store_result(mysql_))
        mysql_free_result(res);
    lastInsertId_ = static_cast<qint64>(mysql_insert_id(mysql_));
}

MYSQL_STMT* TConnection::Prepare(const QString& sql) {
    const std::string key = sql.toStdString();
    if (auto it = cache_->statements.find(key); it != cache_->statements.end())
        return it->second;
    if (cache_->statements.size() >= TStatementCache::kLimit)
        cache_->Clear();
    MYSQL_STMT* stmt = mysql_stmt_init(mysql_);
    if (!stmt)
        FailConnection();
    my_bool updateMax = 1;
    mysql_stmt_attr_set(stmt, STMT_ATTR_UPDATE_MAX_LENGTH, &updateMax);
    if (mysql_stmt_prepare(stmt, key.c_str(), key.size()) != 0) {
        const unsigned code = mysql_stmt_errno(stmt);
        const std::string state = mysql_stmt_sqlstate(stmt), message = mysql_stmt_error(stmt);
        mysql_stmt_close(stmt);
        Fail(code, state.c_str(), message.c_str());
    }
    cache_->statements.emplace(key, stmt);
    return stmt;
}

void TConnection::Forget(const QString& sql) {
    auto it = cache_->statements.find(sql.toStdString());
    if (it == cache_->statements.end())
        return;
    mysql_stmt_close(it->second);
    cache_->statements.erase(it);
}

MYSQL_STMT* TConnection::Start(const QString& sql, const QVariantList& params) {
    EnsureOpen();
    MYSQL_STMT* stmt = Prepare(sql);
    const unsigned long expected = mysql_stmt_param_count(stmt);
    if (expected != static_cast<unsigned long>(params.size())) {
        throw TDbError(QStringLiteral("Upit očekuje %1 parametara, a dato je %2.")
                           .arg(expected)
                           .arg(params.size()));
    }
    TParamBuffers in(params);
    if (!in.binds.empty() && mysql_stmt_bind_param(stmt, in.binds.data()) != 0)
        FailStatement(stmt);
    TestStatementDelay();
    if (mysql_stmt_execute(stmt) != 0) {
        const unsigned code = mysql_stmt_errno(stmt);
        if (!IsConnectionError(code)) {
            // A failed execute can leave the statement in a state where reuse misbehaves.
            const std::string state = mysql_stmt_sqlstate(stmt), message = mysql_stmt_error(stmt);
            Forget(sql);
            Fail(code, state.c_str(), message.c_str());
        }
        FailStatement(stmt);
    }
    return stmt;
}

namespace {

QVector<TColumnInfo> ColumnsOf(MYSQL_RES* meta) {
    const unsigned count = mysql_num_fields(meta);
    MYSQL_FIELD* fields = mysql_fetch_fields(meta);
    QVector<TColumnInfo> columns(count);
    for (unsigned i = 0; i < count; ++i) {
        const MYSQL_FIELD& f = fields[i];
        TColumnInfo& c = columns[i];
        c.name = QString::fromUtf8(f.name, f.name_length);
        c.orgTable = QString::fromUtf8(f.org_table, f.org_table_length);
        c.orgName = QString::fromUtf8(f.org_name, f.org_name_length);
        c.type = TypeOf(f);
        // Lengths come in bytes; utf8mb4 takes up to four per character.
        c.length = static_cast<int>(f.length / (c.type == TFieldType::String ? 4 : 1));
    }
    return columns;
}

// Frees a statement's result however the reading ends; an unread rest of a streamed
// result is read and dropped, so the connection can serve the next statement.
struct TResultGuard {
    MYSQL_RES* meta;
    MYSQL_STMT* stmt;
    ~TResultGuard() {
        mysql_free_result(meta);
        mysql_stmt_free_result(stmt);
    }
};

}  // namespace

TResultSet TConnection::Run(const QString& sql, const QVariantList& params, quint64* affected) {
    MYSQL_STMT* stmt = Start(sql, params);
    TResultSet result;
    MYSQL_RES* meta = mysql_stmt_result_metadata(stmt);
    if (!meta) {
        lastInsertId_ = static_cast<qint64>(mysql_stmt_insert_id(stmt));
        if (affected)
            *affected = mysql_stmt_affected_rows(stmt);
        return result;
    }
    const TResultGuard guard{meta, stmt};
    if (mysql_stmt_store_result(stmt) != 0)
        FailStatement(stmt);
    const unsigned count = mysql_num_fields(meta);
    MYSQL_FIELD* fields = mysql_fetch_fields(meta);
    result.columns = ColumnsOf(meta);
    TResultBuffers out(fields, result.columns);
    if (count && mysql_stmt_bind_result(stmt, out.binds.data()) != 0)
        FailStatement(stmt);
    result.rows.reserve(static_cast<int>(mysql_stmt_num_rows(stmt)));
    for (;;) {
        const int rc = mysql_stmt_fetch(stmt);
        if (rc == MYSQL_NO_DATA)
            break;
        if (rc == 1)
            FailStatement(stmt);
        QVector<QVariant> row(count);
        for (unsigned i = 0; i < count; ++i)
            row[i] = out.Value(static_cast<int>(i));
        result.rows.push_back(std::move(row));
    }
    if (affected)
        *affected = static_cast<quint64>(result.rows.size());
    return result;
}

TResultSet TConnection::Select(const QString& sql, const QVariantList& params) {
    return Run(sql, params, nullptr);
}

void TConnection::SelectEach(const QString& sql, const QVariantList& params,
                             const std::function<void(const QVector<TColumnInfo>&)>& start,
                             const std::function<void(const QVector<QVariant>&)>& row) {
    MYSQL_STMT* stmt = Start(sql, params);
    MYSQL_RES* meta = mysql_stmt_result_metadata(stmt);
    if (!meta)
        throw TDbError(QStringLiteral("Upit ne vraća redove."));
    const TResultGuard guard{meta, stmt};
    const QVector<TColumnInfo> columns = ColumnsOf(meta);
    if (start)
        start(columns);
    const int count = columns.size();
    TResultBuffers out(mysql_fetch_fields(meta), columns, true);
    if (count && mysql_stmt_bind_result(stmt, out.binds.data()) != 0)
        FailStatement(stmt);
    QVector<QVariant> values(count);
    for (;;) {
        const int rc = mysql_stmt_fetch(stmt);
        if (rc == MYSQL_NO_DATA)
            break;
        if (rc == 1 || (rc == MYSQL_DATA_TRUNCATED && !out.FetchTruncated(stmt)))
            FailStatement(stmt);
        for (int i = 0; i < count; ++i)
            values[i] = out.Value(i);
        row(values);
    }
}

QVariant TConnection::SelectValue(const QString& sql, const QVariantList& params) {
    const TResultSet r = Run(sql, params, nullptr);
    if (r.rows.isEmpty() || r.columns.isEmpty())
        return QVariant();
    return r.rows.first().first();
}

quint64 TConnection::Execute(const QString& sql, const QVariantList& params) {
    quint64 affected = 0;
    Run(sql, params, &affected);
    return affected;
}

quint64 TConnection::ThreadId() {
    EnsureOpen();
    return mysql_thread_id(mysql_);
}

void TConnection::BeginTransaction() {
    if (depth_ == 0) {
        try {
            Plain("START TRANSACTION");
        } catch (const TConnectionLost&) {
            // Nothing of the new transaction exists yet, so one more try on a new connection
            // loses nothing: a session dropped between two jobs' steps does not end the job.
            Plain("START TRANSACTION");
        }
    } else {
        Plain(QStringLiteral("SAVEPOINT fin_sp%1").arg(depth_).toLatin1().constData());
    }
    ++depth_;
}

void TConnection::Commit() {
    if (depth_ <= 0)
        throw TDbError(QStringLiteral("Nema započete transakcije."));
    if (depth_ == 1) {
        Plain("COMMIT");
    } else {
        Plain(QStringLiteral("RELEASE SAVEPOINT fin_sp%1").arg(depth_ - 1).toLatin1().constData());
    }
    --depth_;
}

void TConnection::Rollback() {
    if (depth_ <= 0)
        return;
    const int level = depth_--;
    if (!mysql_)
        return;
    if (level == 1) {
        Plain("ROLLBACK");
    } else {
        Plain(
            QStringLiteral("ROLLBACK TO SAVEPOINT fin_sp%1").arg(level - 1).toLatin1().constData());
    }
}

const TConnection::TTableKey& TConnection::PrimaryKey(const QString& table) {
    const QString name = table.toLower();
    if (auto it = keys_.constFind(name); it != keys_.constEnd())
        return *it;
    const TResultSet r = Select(
        QStringLiteral(
            "SELECT COLUMN_NAME, EXTRA FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = "
            "DATABASE() AND TABLE_NAME = ? AND COLUMN_KEY = 'PRI' ORDER BY ORDINAL_POSITION"),
        {table});
    TTableKey key;
    for (const auto& row : r.rows) {
        key.columns << row[0].toString();
        if (row[1].toString().contains(QLatin1String("auto_increment"), Qt::CaseInsensitive))
            key.autoIncrement = row[0].toString();
    }
    return *keys_.insert(name, key);
}

bool TConnection::IsSafeIdentifier(const QString& name) {
    // Letters (user sub-account types keep č, ć and đ), digits, "_" and "$": nothing that
    // could close a back-quoted name.
    static const QRegularExpression pattern(QStringLiteral("^[\\p{L}_][\\p{L}0-9_$]{0,63}$"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    return pattern.match(name).hasMatch();
}

QString TConnection::QuoteIdentifier(const QString& name) {
    if (!IsSafeIdentifier(name))
        throw TError(QStringLiteral("Neispravan naziv tabele ili kolone: \"%1\".").arg(name));
    return QLatin1Char('`') + name + QLatin1Char('`');
}

TTransaction::TTransaction(TConnection& connection) : connection_(connection) {
    connection_.BeginTransaction();
    level_ = connection_.TransactionDepth();
}

TTransaction::~TTransaction() {
    if (done_ || connection_.TransactionDepth() != level_)
        return;
    try {
        connection_.Rollback();
    } catch (...) {
        // The server drops an open transaction with the connection; nothing more to undo.
    }
}

void TTransaction::Commit() {
    if (connection_.TransactionDepth() != level_)
        throw TConnectionLost(QStringLiteral("Transakcija je prekinuta; izmene nisu upisane."));
    connection_.Commit();
    done_ = true;
}

}  // namespace fin
