#pragma once

// Crash safety seen from outside: a real finansije process runs a writing job on a copy of a
// fixture ledger, slowed down by the statement delay switch, and is killed (SIGKILL) or has
// its server stopped under it at a chosen moment. Afterwards the ledger must be exactly as it
// was before the job or exactly as a whole run leaves it, and the ledger check must find
// nothing. The suite's test and crashbench share this.

#include <QHash>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <vector>

#include "host/db/connection.h"
#include "tests/host/privateserver.h"

namespace fin::crash {

using test::MsSince;
using test::SleepMs;
using test::TChild;
using test::TClock;
using test::TPrivateServer;

// The rows of every table of a database, as sorted texts. Keys the server numbered during
// the job ("fresh": above the highest key before it) are written by their rank, in the
// table and wherever a column names them, so a rolled-back insert's gap does not count.
// The automatic posting's running flags are kept apart: an interrupted run leaves them set
// on purpose, for "post reset", and they are no ledger data.
struct TLedgerState {
    QMap<QString, QStringList> tables;
    QStringList markers;

    bool SameLedger(const TLedgerState& other) const { return tables == other.tables; }
    bool operator==(const TLedgerState& other) const {
        return tables == other.tables && markers == other.markers;
    }

    // The first table that differs and a row of each side that the other lacks.
    QString Difference(const TLedgerState& other) const {
        QStringList names = tables.keys() + other.tables.keys();
        names.removeDuplicates();
        names.sort();
        for (const QString& t : names) {
            const QStringList a = tables.value(t), b = other.tables.value(t);
            if (a == b)
                continue;
            if (!tables.contains(t) || !other.tables.contains(t))
                return QStringLiteral("tabela %1 postoji samo na jednoj strani").arg(t);
            const QSet<QString> sa(a.begin(), a.end()), sb(b.begin(), b.end());
            const QSet<QString> onlyA = sa - sb, onlyB = sb - sa;
            return QStringLiteral("tabela %1: redova %2 prema %3; samo ovde: %4; samo tamo: %5")
                .arg(t)
                .arg(a.size())
                .arg(b.size())
                .arg(onlyA.isEmpty() ? QString() : *onlyA.begin(),
                     onlyB.isEmpty() ? QString() : *onlyB.begin());
        }
        return {};
    }
};

inline QString Qualified(const QString& database, const QString& table) {
    return TConnection::QuoteIdentifier(database) + QLatin1Char('.') +
           TConnection::QuoteIdentifier(table);
}

inline QStringList Tables(TConnection& admin, const QString& database) {
    QStringList names;
    for (const auto& row :
         admin
             .Select(QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE "
                                    "TABLE_SCHEMA = ? ORDER BY TABLE_NAME"),
                     {database})
             .rows)
        names << row[0].toString();
    return names;
}

// Table -> its column the server numbers.
inline QHash<QString, QString> AutoIncrementColumns(TConnection& admin, const QString& database) {
    QHash<QString, QString> columns;
    for (const auto& row :
         admin
             .Select(QStringLiteral("SELECT TABLE_NAME, COLUMN_NAME FROM information_schema."
                                    "COLUMNS WHERE TABLE_SCHEMA = ? AND EXTRA LIKE "
                                    "'%auto_increment%'"),
                     {database})
             .rows)
        columns.insert(row[0].toString(), row[1].toString());
    return columns;
}

// The highest key of every numbered table: what counts as fresh afterwards.
inline QHash<QString, qint64> HighestKeys(TConnection& admin, const QString& database) {
    QHash<QString, qint64> keys;
    const auto columns = AutoIncrementColumns(admin, database);
    for (auto it = columns.cbegin(); it != columns.cend(); ++it)
        keys.insert(it.key(), admin
                                  .SelectValue(QStringLiteral("SELECT COALESCE(MAX(%1), 0) FROM %2")
                                                   .arg(TConnection::QuoteIdentifier(it.value()),
                                                        Qualified(database, it.key())))
                                  .toLongLong());
    return keys;
}

// Columns the server fills with the time of a change: they say when, not what, and differ
// between two runs of the same job.
inline QSet<QString> ClockColumns(TConnection& admin, const QString& database) {
    QSet<QString> columns;
    for (const auto& row :
         admin
             .Select(QStringLiteral("SELECT TABLE_NAME, COLUMN_NAME FROM information_schema."
                                    "COLUMNS WHERE TABLE_SCHEMA = ? AND (EXTRA LIKE "
                                    "'%on update%' OR COLUMN_DEFAULT LIKE 'current_timestamp%')"),
                     {database})
             .rows)
        columns.insert(row[0].toString() + QLatin1Char('.') + row[1].toString());
    return columns;
}

inline TLedgerState ReadState(TConnection& admin, const QString& database,
                              const QHash<QString, qint64>& highest) {
    const QStringList tables = Tables(admin, database);
    const QHash<QString, QString> numbered = AutoIncrementColumns(admin, database);
    const QSet<QString> clocks = ClockColumns(admin, database);
    QHash<QString, TResultSet> rows;
    for (const QString& t : tables)
        rows.insert(t,
                    admin.Select(QStringLiteral("SELECT * FROM %1").arg(Qualified(database, t))));
    // Fresh keys by rank, per numbered table; a column named after another table's key (or
    // a voucher's parent) names that table's rows.
    QHash<QString, QHash<qint64, int>> rank;
    QHash<QString, QString> tableOfKey{{QStringLiteral("parentid"), QStringLiteral("precept")}};
    for (auto it = numbered.cbegin(); it != numbered.cend(); ++it) {
        tableOfKey.insert(it.value(), it.key());
        const TResultSet& r = rows[it.key()];
        const int at = r.ColumnIndex(it.value());
        const qint64 before = highest.value(it.key(), 0);
        QVector<qint64> fresh;
        for (const auto& row : r.rows)
            if (row[at].toLongLong() > before)
                fresh << row[at].toLongLong();
        std::sort(fresh.begin(), fresh.end());
        for (int i = 0; i < fresh.size(); ++i)
            rank[it.key()].insert(fresh[i], i + 1);
    }
    TLedgerState state;
    for (const QString& t : tables) {
        const TResultSet& r = rows[t];
        QVector<const QHash<qint64, int>*> ranks(r.columns.size(), nullptr);
        for (int c = 0; c < r.columns.size(); ++c) {
            const QString name = r.columns[c].name;
            const QString owner = numbered.value(t) == name ? t : tableOfKey.value(name);
            if (!owner.isEmpty() && rank.contains(owner))
                ranks[c] = &rank[owner];
        }
        const int section =
            t == QLatin1String("ini") ? r.ColumnIndex(QStringLiteral("section")) : -1;
        QStringList& lines = state.tables[t];
        for (const auto& row : r.rows) {
            QStringList cells;
            for (int c = 0; c < row.size(); ++c) {
                const QVariant& v = row[c];
                if (clocks.contains(t + QLatin1Char('.') + r.columns[c].name))
                    continue;
                if (v.isNull())
                    cells << QStringLiteral("NULL");
                else if (ranks[c] && ranks[c]->contains(v.toLongLong()))
                    cells << QStringLiteral("new#%1").arg(ranks[c]->value(v.toLongLong()));
                else
                    cells << v.toString();
            }
            const QString line = cells.join(QLatin1Char('|'));
            if (section >= 0 && row[section].toString() == QLatin1String("AutoConter"))
                state.markers << line;
            else
                lines << line;
        }
        lines.sort();
    }
    state.markers.sort();
    return state;
}

// The work database as a fresh copy of the fixture.
inline void CopyDatabase(TConnection& admin, const QString& fixture, const QString& work) {
    const QString w = TConnection::QuoteIdentifier(work);
    admin.ExecuteDirect(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(w));
    admin.ExecuteDirect(
        QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci")
            .arg(w));
    for (const QString& t : Tables(admin, fixture)) {
        admin.ExecuteDirect(QStringLiteral("CREATE TABLE %1 LIKE %2")
                                .arg(Qualified(work, t), Qualified(fixture, t)));
        admin.ExecuteDirect(QStringLiteral("INSERT INTO %1 SELECT * FROM %2")
                                .arg(Qualified(work, t), Qualified(fixture, t)));
    }
}

// The work database back to the fixture after a run: only the tables whose rows differ from
// the state before are filled again, and a table the run made is dropped. Rows, not tables,
// are replaced: schema statements are slow, and the server's numbering may go on where it
// is, since fresh keys count by rank.
inline void Refill(TConnection& admin, const QString& fixture, const QString& work,
                   const TLedgerState& now, const TLedgerState& before) {
    const QStringList source = Tables(admin, fixture);
    for (const QString& t : Tables(admin, work)) {
        if (!source.contains(t)) {
            admin.ExecuteDirect(QStringLiteral("DROP TABLE %1").arg(Qualified(work, t)));
            continue;
        }
        if (now.tables.value(t) == before.tables.value(t) &&
            (t != QLatin1String("ini") || now.markers == before.markers))
            continue;
        TTransaction tx(admin);
        admin.ExecuteDirect(QStringLiteral("DELETE FROM %1").arg(Qualified(work, t)));
        admin.ExecuteDirect(QStringLiteral("INSERT INTO %1 SELECT * FROM %2")
                                .arg(Qualified(work, t), Qualified(fixture, t)));
        tx.Commit();
    }
}

// A killed client's session stays until the server notices the closed socket and has rolled
// its transaction back; nothing is compared before that.
inline bool WaitSessionsGone(TConnection& admin, const QString& database,
                             double timeoutMs = 60000) {
    const auto start = TClock::now();
    while (admin
               .SelectValue(QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST "
                                           "WHERE DB = ? AND ID <> CONNECTION_ID()"),
                            {database})
               .toInt() > 0) {
        if (MsSince(start) > timeoutMs)
            return false;
        SleepMs(5);
    }
    return true;
}

// One writing job: the command's arguments, found on the fixture database.
struct TCrashJob {
    QString name;
    int year;  // the fixture: the demo company of this year
    std::function<QStringList(TConnection& admin, const QString& fixture)> args;
};

inline QString FirstValue(TConnection& admin, const QString& sql) {
    return admin.SelectValue(sql).toString();
}

// Every job that writes more than one statement, on the demo company.
inline QVector<TCrashJob> CrashJobs() {
    auto fixed = [](QStringList args) {
        return [args](TConnection&, const QString&) { return args; };
    };
    return {
        {QStringLiteral("voucher add"), 2024,
         fixed({"voucher", "add", "--type", "3", "--date", "2024-06-14", "--description",
                "Proba pada", "--line", "2040:1;1500;0;Kupac", "--line", "6040;0;1250;Prihod",
                "--line", "4700;0;250;PDV"})},
        {QStringLiteral("voucher copy"), 2024,
         [](TConnection& admin, const QString& db) {
             return QStringList{
                 "voucher", "copy",
                 FirstValue(admin, QStringLiteral("SELECT preceptid FROM %1 GROUP BY preceptid "
                                                  "ORDER BY COUNT(*) DESC, preceptid LIMIT 1")
                                       .arg(Qualified(db, QStringLiteral("preceptitem"))))};
         }},
        {QStringLiteral("post"), 2024,
         [](TConnection& admin, const QString& db) {
             // The first document of the demo's that waits for posting.
             return QStringList{
                 "post", "--module", "Dokument", "--id",
                 FirstValue(admin, QStringLiteral("SELECT d.documentid FROM %1 AS d WHERE NOT "
                                                  "EXISTS (SELECT 1 FROM %2 AS p WHERE "
                                                  "p.foreigntable = 'document' AND p.foreignid = "
                                                  "d.documentid) ORDER BY d.documentid LIMIT 1")
                                       .arg(Qualified(db, QStringLiteral("document")),
                                            Qualified(db, QStringLiteral("precept"))))};
         }},
        {QStringLiteral("voucher register-balanced"), 2024,
         fixed({"voucher", "register-balanced"})},
        {QStringLiteral("voucher round"), 2024, fixed({"voucher", "round"})},
        {QStringLiteral("close class"), 2024, fixed({"close", "class", "6"})},
        {QStringLiteral("close year"), 2024, fixed({"close", "year"})},
        {QStringLiteral("open year"), 2024, fixed({"open", "year"})},
        {QStringLiteral("voucher merge"), 2024,
         fixed({"voucher", "merge", "--type", "1", "--from", "2024-10-01", "--to", "2024-10-31"})},
        {QStringLiteral("card transfer"), 2024,
         fixed({"card", "transfer", "2040:3", "--target", "2040:4"})},
        {QStringLiteral("chart transfer"), 2013, fixed({"chart", "transfer", "--recommended"})},
        {QStringLiteral("subaccount-type add"), 2024,
         fixed({"subaccount-type", "add", "Projekti"})},
    };
}

// Where a kill or a server stop left the ledger.
enum class TLanding { Before, Done, Finished };

// One job on one server: its fixture, the states before and after a whole run, and runs
// stopped at chosen moments. Every method returns an empty text or what went wrong.
class TCrashHarness {
public:
    TCrashHarness(QString program, TConnectionSettings server, QString prefix, int delayMs)
        : program_(std::move(program)),
          server_(std::move(server)),
          prefix_(std::move(prefix)),
          delayMs_(delayMs) {
        server_.database.clear();
        admin_ = std::make_unique<TConnection>(server_);
    }

    TConnection& Admin() { return *admin_; }
    int DelayMs() const { return delayMs_; }

    // The finansije process on a database of the server; delay 0 switches the delay off.
    std::unique_ptr<TChild> Start(const QStringList& args, const QString& database, int delayMs) {
        QHash<QString, QString> env{
            {QStringLiteral("FINANSIJE_DB_HOST"), server_.host},
            {QStringLiteral("FINANSIJE_DB_PORT"),
             server_.port ? QString::number(server_.port) : QString()},
            {QStringLiteral("FINANSIJE_DB_SOCKET"), server_.socket},
            {QStringLiteral("FINANSIJE_DB_USER"), server_.user},
            {QStringLiteral("FINANSIJE_DB_PASSWORD"), server_.password},
            {QStringLiteral("FINANSIJE_DB_NAME"), database},
            {QStringLiteral("FINANSIJE_TEST_STATEMENT_DELAY_MS"), QString::number(delayMs)},
            {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
        };
        return std::make_unique<TChild>(program_, args, env);
    }

    QString Cli(const QStringList& args, const QString& database, QString* out = nullptr) {
        auto child = Start(args, database, 0);
        child->Wait();
        if (out)
            *out = child->Out();
        if (child->ExitCode() != 0)
            return QStringLiteral("finansije %1: izlazni kod %2: %3")
                .arg(args.join(QLatin1Char(' ')))
                .arg(child->ExitCode())
                .arg(child->Err());
        return {};
    }

    // The demo company of the year, made once per harness.
    QString Fixture(int year, QString& database) {
        database = QStringLiteral("%1_demo%2").arg(prefix_).arg(year);
        if (fixtures_.contains(year))
            return {};
        const QString d = TConnection::QuoteIdentifier(database);
        admin_->ExecuteDirect(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(d));
        admin_->ExecuteDirect(
            QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci")
                .arg(d));
        QString wrong = Cli({"db", "demo", "--year", QString::number(year)}, database);
        // A voucher three cents short on a rounding account, for "voucher round".
        if (wrong.isEmpty() && year == 2024)
            wrong = Cli({"voucher", "add", "--type", "3", "--date", "2024-10-20", "--line",
                         "1329;100.03;0;Razlika", "--line", "4350:1;0;100;Dobavljač"},
                        database);
        // A ledger the check finds fault with could not tell a job's faults from its own.
        if (wrong.isEmpty())
            wrong = Cli({"check", "--json"}, database);
        if (wrong.isEmpty())
            fixtures_.insert(year);
        return wrong;
    }

    // What a job is measured by before it is stopped anywhere.
    struct TPlan {
        TCrashJob job;
        QStringList args;
        QString fixture;
        TLedgerState before, done;
        double plainMs = 0, delayedMs = 0;
        int statements = 0;  // as the server counted them in the whole run
    };

    // Runs the job whole twice, without and with the delay, from the fixture: both must
    // change the ledger, and the same way.
    QString Learn(const TCrashJob& job, TPlan& plan) {
        plan.job = job;
        if (QString wrong = Fixture(job.year, plan.fixture); !wrong.isEmpty())
            return wrong;
        plan.args = job.args(*admin_, plan.fixture);
        for (const int delay : {0, delayMs_}) {
            Reset(plan);
            plan.before = workBefore_;
            const qint64 asked = Questions();
            auto child = Start(plan.args, Work(), delay);
            child->Wait();
            // Besides the run, the server counted the statement that reads the count.
            if (delay == 0)
                plan.statements = int(Questions() - asked - 1);
            const TLedgerState& after = Read();
            if (child->ExitCode() != 0)
                return QStringLiteral("%1: izlazni kod %2: %3")
                    .arg(job.name)
                    .arg(child->ExitCode())
                    .arg(child->Err());
            if (delay == 0) {
                plan.plainMs = child->Ms();
                plan.done = after;
                if (plan.done.SameLedger(plan.before))
                    return job.name + QStringLiteral(": posao nije ništa promenio");
                // The fixture passes the check (see Fixture), and so must a whole run.
                if (QString wrong = Check(plan); !wrong.isEmpty())
                    return wrong;
            } else {
                plan.delayedMs = child->Ms();
                if (!after.SameLedger(plan.done))
                    return job.name + QStringLiteral(": dva cela izvršavanja se razlikuju: ") +
                           after.Difference(plan.done);
            }
        }
        return {};
    }

    // The state after a stop must be one of the two; the check must find nothing.
    QString Judge(const TPlan& plan, TLanding& landing) {
        if (!WaitSessionsGone(*admin_, Work()))
            return plan.job.name + QStringLiteral(": server nije zatvorio vezu ubijenog procesa");
        const TLedgerState& now = Read();
        if (now.SameLedger(plan.before))
            landing = TLanding::Before;
        else if (now.SameLedger(plan.done))
            landing = TLanding::Done;
        else
            return plan.job.name + QStringLiteral(": polovično upisano: ") +
                   now.Difference(plan.done);
        return Check(plan);
    }

    // The ledger check on the work database must find nothing. It only reads.
    QString Check(const TPlan& plan) {
        auto child = Start({"check", "--json"}, Work(), 0);
        child->Wait();
        if (child->ExitCode() != 0)
            return plan.job.name + QStringLiteral(": provera baze, izlazni kod %1: %2 %3")
                                       .arg(child->ExitCode())
                                       .arg(child->Out().trimmed(), child->Err().trimmed());
        return {};
    }

    // A run killed with SIGKILL at the moment (from its start), or finished before it.
    QString KillAt(const TPlan& plan, double atMs, TLanding& landing) {
        Reset(plan);
        auto child = Start(plan.args, Work(), delayMs_);
        if (!child->Wait(atMs)) {
            landing = TLanding::Finished;
            if (child->ExitCode() != 0 || !Read().SameLedger(plan.done))
                return plan.job.name + QStringLiteral(": nije ubijen, a nije ni završio posao");
            return {};
        }
        return Judge(plan, landing);
    }

    // A run whose server is stopped (by stop) at a share of the run and started again (by
    // start): the job must end with the Serbian lost-connection message. Stopping a server
    // takes long beside a statement, so these runs have a delay of their own.
    QString StopServerAt(const TPlan& plan, double share, int delayMs,
                         const std::function<QString()>& stop,
                         const std::function<QString()>& start, TLanding& landing) {
        const double atMs = share * plan.delayedMs * delayMs / delayMs_;
        Reset(plan);
        admin_->Close();
        auto child = Start(plan.args, Work(), delayMs);
        SleepMs(atMs - child->ElapsedMs());
        QString wrong = stop();
        child->Wait(-1, 120000);
        if (wrong.isEmpty())
            wrong = start();
        if (!wrong.isEmpty()) {
            workFixture_.clear();  // whatever the database holds, it is copied again
            return wrong;
        }
        admin_->Open();
        if (child->ExitCode() == 0) {
            landing = TLanding::Finished;
            if (!Read().SameLedger(plan.done))
                return plan.job.name + QStringLiteral(": završio, a posao nije ceo");
            return {};
        }
        // Lost in the middle, or gone when a new transaction tried a new connection.
        const QString err = child->Err();
        if (child->ExitCode() != 1 ||
            !(err.contains(QStringLiteral("Veza sa bazom podataka je prekinuta")) ||
              err.contains(QStringLiteral("Nije moguće povezati se sa bazom podataka"))))
            wrong = plan.job.name +
                    QStringLiteral(": zaustavljen server, a izlazni kod %1 i poruka: %2")
                        .arg(child->ExitCode())
                        .arg(child->Err().trimmed());
        const QString judged = Judge(plan, landing);
        return wrong.isEmpty() ? judged : wrong;
    }

    // The moments a run is stopped at, from its start: the middle of every statement's delay
    // when n is 0; otherwise n spread over the last quarter of the run, where the jobs write
    // and commit (as shares of the run, which a loaded machine stretches as a whole).
    std::vector<double> Moments(const TPlan& plan, int n) const {
        std::vector<double> at;
        if (n <= 0) {
            const int total = int(plan.delayedMs / delayMs_) + 1;
            for (int k = 0; k < total; ++k)
                at.push_back(k * delayMs_ + delayMs_ / 2.0);
            return at;
        }
        for (int i = n; i >= 1; --i)
            at.push_back(plan.delayedMs * (1.0 - 0.3 * i / (n + 1)));
        return at;
    }

    void Drop(const QString& database) {
        admin_->ExecuteDirect(QStringLiteral("DROP DATABASE IF EXISTS %1")
                                  .arg(TConnection::QuoteIdentifier(database)));
    }

    void DropAll() {
        for (const int year : fixtures_)
            Drop(QStringLiteral("%1_demo%2").arg(prefix_).arg(year));
        Drop(Work());
        fixtures_.clear();
        workFixture_.clear();
    }

private:
    QString Work() const { return prefix_ + QStringLiteral("_work"); }

    // The work database as the plan's fixture, however the last run left it.
    void Reset(const TPlan& plan) {
        if (workFixture_ != plan.fixture) {
            CopyDatabase(*admin_, plan.fixture, Work());
            workFixture_ = plan.fixture;
            highest_ = HighestKeys(*admin_, Work());
            workBefore_ = ReadState(*admin_, Work(), highest_);
        } else {
            Refill(*admin_, plan.fixture, Work(), workLast_, workBefore_);
        }
        workLast_ = workBefore_;
    }

    // Statements the server has received from every client. Exact for the job's run on a
    // server of its own; on a shared one, other clients' statements count too.
    qint64 Questions() {
        return admin_
            ->SelectValue(QStringLiteral("SELECT VARIABLE_VALUE FROM information_schema."
                                         "GLOBAL_STATUS WHERE VARIABLE_NAME = 'QUESTIONS'"))
            .toLongLong();
    }

    // The work database's state now; every run is followed by this, so that the next
    // Reset knows what to fill again.
    const TLedgerState& Read() {
        workLast_ = ReadState(*admin_, Work(), highest_);
        return workLast_;
    }

    QString workFixture_;
    QHash<QString, qint64> highest_;
    TLedgerState workBefore_, workLast_;

    QString program_;
    TConnectionSettings server_;
    QString prefix_;
    int delayMs_;
    std::unique_ptr<TConnection> admin_;
    QSet<int> fixtures_;
};

}  // namespace fin::crash
