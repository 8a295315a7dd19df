// Speed of registering and of rounding a whole year of unregistered vouchers at once, each
// beside its floor: the one bare UPDATE that writes the same rows, from a table that
// already holds them. Also the statements each job sends, as the server counts them.
// The demo company lives in a database of its own, made once and kept; every round starts
// from the same state: every voucher of the year unregistered, and for rounding every
// voucher with a line on a rounding account three hundredths off.

#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/benchutil.h"
#include "console/demo/demo.h"
#include "host/common/textformat.h"
#include "host/db/connection.h"
#include "host/ui/uiservice.h"
#include "journal/bulkjobs.h"
#include "ledger/financialdm.h"

namespace fin {
namespace {

constexpr int kYear = 2024;
const QString kDatabase = QStringLiteral("finbulk");

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The jobs' count messages are kept, not printed.
class TQuietUi : public TStdErrUiService {
public:
    void ShowMessage(TMessageType type, const QString& text) override {
        if (type != TMessageType::Information)
            errors << text;
    }
    void ProgressStart(const QString&, int) override {}
    bool ProgressStep(int, const QString&) override { return true; }
    void ProgressFinish() override {}
    QStringList errors;
};

void Prepare(int vouchers) {
    if (!CreateDatabaseOnce(kDatabase, QStringLiteral("sa %1 naloga").arg(vouchers)))
        return;
    TConnection c(On(kDatabase));
    c.Open();
    TDemoOptions demo;
    demo.year = kYear;
    demo.vouchers = vouchers;
    MakeDemoCompany(c, demo);
    // The lines of the vouchers that have a rounding line, as the demo made them.
    c.ExecuteDirect(QStringLiteral(
        "CREATE TABLE benchlines (preceptitemid BIGINT NOT NULL PRIMARY KEY, preceptid BIGINT "
        "NOT NULL, debit DOUBLE NOT NULL, credit DOUBLE NOT NULL, KEY (preceptid)) "
        "ENGINE=InnoDB"));
    c.Execute(QStringLiteral(
        "INSERT INTO benchlines SELECT pi.preceptitemid, pi.preceptid, pi.debit, pi.credit FROM "
        "preceptitem AS pi WHERE pi.preceptid IN (SELECT r.preceptid FROM preceptitem AS r JOIN "
        "accountnew AS an ON an.accountnewid = r.accountnewid WHERE an.code LIKE '1329%' OR "
        "an.code LIKE '1349%' OR an.code LIKE '6040%')"));
}

// Waits until the server has purged the old row versions of the statements before, so a
// timed statement does not share the machine with the clean-up of the one before it.
void Settle(TConnection& c) {
    try {
        c.ExecuteDirect(QStringLiteral("SET GLOBAL innodb_max_purge_lag_wait = 0"));
    } catch (const TError&) {
        // without the privilege the measurement is only noisier
    }
}

void UnregisterYear(TConnection& c) {
    c.Execute(QStringLiteral("UPDATE precept SET status = 'n' WHERE preceptdate >= ? AND "
                             "preceptdate <= ?"),
              {QDate(kYear, 1, 1), QDate(kYear, 12, 31)});
    Settle(c);
}

// The demo's amounts back, then each such voucher's first line three hundredths more.
void Unbalance(TConnection& c) {
    TTransaction t(c);
    c.Execute(
        QStringLiteral("UPDATE preceptitem AS pi JOIN benchlines AS b ON b.preceptitemid = "
                       "pi.preceptitemid SET pi.debit = b.debit, pi.credit = b.credit"));
    c.Execute(QStringLiteral(
        "UPDATE preceptitem AS pi JOIN benchlines AS b ON b.preceptitemid = pi.preceptitemid "
        "JOIN (SELECT MIN(preceptitemid) AS id FROM benchlines GROUP BY preceptid) AS f ON f.id "
        "= b.preceptitemid SET pi.debit = IF(b.debit <> 0, b.debit + 0.03, b.debit), pi.credit "
        "= IF(b.debit <> 0, b.credit, b.credit + 0.03)"));
    t.Commit();
}

struct TTimed {
    qsizetype vouchers = 0;
    double seconds = 0, floorSeconds = 0;
    qint64 statements = 0;
};

TTimed Register(TConnection& c, TBulkJobs& jobs) {
    TTimed m;
    UnregisterYear(c);
    const qint64 before = Questions(c);
    const auto start = std::chrono::steady_clock::now();
    m.vouchers = jobs.AutoRegister(0).ids.size();
    m.seconds = Seconds(start);
    m.statements = Questions(c) - before - 1;

    // The floor: the same vouchers, from a table that holds them, in one UPDATE.
    c.ExecuteDirect(QStringLiteral(
        "CREATE OR REPLACE TABLE benchset (preceptid BIGINT NOT NULL PRIMARY KEY) ENGINE=InnoDB"));
    c.Execute(QStringLiteral("INSERT INTO benchset SELECT preceptid FROM precept WHERE status = "
                             "'p' AND preceptdate >= ? AND preceptdate <= ?"),
              {QDate(kYear, 1, 1), QDate(kYear, 12, 31)});
    UnregisterYear(c);
    const auto floor = std::chrono::steady_clock::now();
    const quint64 rows = c.Execute(QStringLiteral(
        "UPDATE precept AS p JOIN benchset AS s ON s.preceptid = p.preceptid SET p.status = 'p'"));
    m.floorSeconds = Seconds(floor);
    if (qsizetype(rows) != m.vouchers)
        throw TError(QStringLiteral("Goli UPDATE je proknjižio %1 naloga, a posao %2.")
                         .arg(rows)
                         .arg(m.vouchers));
    return m;
}

TTimed Round(TConnection& c, TBulkJobs& jobs) {
    TTimed m;
    UnregisterYear(c);
    Unbalance(c);
    Settle(c);
    c.ExecuteDirect(QStringLiteral(
        "CREATE OR REPLACE TABLE benchbefore (preceptitemid BIGINT NOT NULL PRIMARY KEY, debit "
        "DOUBLE NOT NULL, credit DOUBLE NOT NULL) ENGINE=InnoDB"));
    c.Execute(
        QStringLiteral("INSERT INTO benchbefore SELECT pi.preceptitemid, pi.debit, "
                       "pi.credit FROM preceptitem AS pi JOIN benchlines AS b ON "
                       "b.preceptitemid = pi.preceptitemid"));
    const qint64 before = Questions(c);
    const auto start = std::chrono::steady_clock::now();
    m.vouchers = jobs.AutoRound(0).ids.size();
    m.seconds = Seconds(start);
    m.statements = Questions(c) - before - 1;

    // The floor: the lines the job changed, with their new amounts, in one UPDATE.
    c.ExecuteDirect(QStringLiteral(
        "CREATE OR REPLACE TABLE benchfix (preceptitemid BIGINT NOT NULL PRIMARY KEY, debit "
        "DOUBLE NOT NULL, credit DOUBLE NOT NULL) ENGINE=InnoDB"));
    c.Execute(
        QStringLiteral("INSERT INTO benchfix SELECT pi.preceptitemid, pi.debit, pi.credit "
                       "FROM preceptitem AS pi JOIN benchbefore AS b ON b.preceptitemid = "
                       "pi.preceptitemid WHERE pi.debit <> b.debit OR pi.credit <> "
                       "b.credit"));
    Unbalance(c);
    Settle(c);
    const auto floor = std::chrono::steady_clock::now();
    const quint64 rows =
        c.Execute(QStringLiteral("UPDATE preceptitem AS pi JOIN benchfix AS f ON f.preceptitemid = "
                                 "pi.preceptitemid SET pi.debit = f.debit, pi.credit = f.credit"));
    m.floorSeconds = Seconds(floor);
    if (qsizetype(rows) != m.vouchers)
        throw TError(QStringLiteral("Goli UPDATE je zaokružio %1 stavki, a posao %2 naloga.")
                         .arg(rows)
                         .arg(m.vouchers));
    return m;
}

int Run() {
    const int vouchers = qEnvironmentVariableIntValue("VOUCHERS") > 0
                             ? qEnvironmentVariableIntValue("VOUCHERS")
                             : 100000;
    const int rounds =
        qEnvironmentVariableIntValue("ROUNDS") > 0 ? qEnvironmentVariableIntValue("ROUNDS") : 3;
    Prepare(vouchers);
    TConnection c(On(kDatabase));
    c.Open();
    TFinancialDM dm;
    dm.SetZConnection(&c);
    dm.LoadOptions();
    dm.Options().FinancialYear = kYear;
    TQuietUi ui;
    SetUi(&ui);
    TBulkJobs jobs(dm);
    const qint64 all = c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM precept WHERE "
                                                    "preceptdate >= ? AND preceptdate <= ?"),
                                     {QDate(kYear, 1, 1), QDate(kYear, 12, 31)})
                           .toLongLong();
    const qint64 lines =
        c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM preceptitem")).toLongLong();

    std::vector<TTimed> registering, rounding;
    for (int i = 0; i < rounds; ++i) {
        registering.push_back(Register(c, jobs));
        rounding.push_back(Round(c, jobs));
        Out() << "krug " << i + 1 << ": knjiženje " << Num(registering.back().seconds, "0.00")
              << " s (goli UPDATE " << Num(registering.back().floorSeconds, "0.00")
              << " s), zaokruživanje " << Num(rounding.back().seconds, "0.00") << " s (goli UPDATE "
              << Num(rounding.back().floorSeconds, "0.00") << " s)\n";
        Out().flush();
    }
    // The demo's amounts back, for whoever reads the database next.
    c.Execute(
        QStringLiteral("UPDATE preceptitem AS pi JOIN benchlines AS b ON b.preceptitemid = "
                       "pi.preceptitemid SET pi.debit = b.debit, pi.credit = b.credit"));
    SetUi(nullptr);
    if (!ui.errors.isEmpty())
        throw TError(ui.errors.join(QLatin1Char(' ')));

    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    // Both jobs against the bare registration of the same vouchers, in the same round.
    std::vector<double> floor, times[2], ratios[2], ownFloor;
    for (int i = 0; i < rounds; ++i) {
        floor.push_back(registering[i].floorSeconds);
        ownFloor.push_back(rounding[i].floorSeconds);
        for (int j = 0; j < 2; ++j) {
            const double s = (j == 0 ? registering : rounding)[i].seconds;
            times[j].push_back(s);
            ratios[j].push_back(s / registering[i].floorSeconds);
        }
    }
    Out() << "\nKnjiženje i zaokruživanje svih neproknjiženih naloga godine: " << all << " naloga, "
          << lines << " stavki (medijana od " << rounds << " kruga)\n";
    Out() << QStringLiteral("posao").leftJustified(16) << QStringLiteral("naloga").rightJustified(9)
          << QStringLiteral("s").rightJustified(8)
          << QStringLiteral("goli UPDATE s").rightJustified(15)
          << QStringLiteral("odnos").rightJustified(8)
          << QStringLiteral("naredbi").rightJustified(9) << '\n';
    bool met = true;
    for (int j = 0; j < 2; ++j) {
        const TTimed& first = (j == 0 ? registering : rounding).front();
        const double ratio = median(ratios[j]);
        met = met && ratio <= 3;
        Out() << (j == 0 ? QStringLiteral("knjiženje") : QStringLiteral("zaokruživanje"))
                     .leftJustified(16)
              << Num(double(first.vouchers)).rightJustified(9)
              << Num(median(times[j]), "0.00").rightJustified(8)
              << Num(median(floor), "0.00").rightJustified(15)
              << (Num(ratio, "0.00") + "×").rightJustified(8)
              << QString::number(first.statements).rightJustified(9) << '\n';
    }
    Out() << "\nGoli UPDATE: knjiženje istih " << all
          << " naloga jednom naredbom iz tabele koja ih već drži. Zaokruživanje pregleda iste "
             "naloge, a menja "
          << rounding.front().vouchers << " stavki; goli UPDATE samo tih stavki traje "
          << Num(median(ownFloor), "0.00") << " s.\n";
    Out() << "Cilj: posao najviše 3× golog UPDATE-a: " << (met ? "ispunjen" : "NIJE ispunjen")
          << ".\n";
    Out().flush();
    return 0;
}

}  // namespace
}  // namespace fin

int main(int argc, char** argv) {
    return fin::BenchMain(argc, argv, fin::Run);
}
