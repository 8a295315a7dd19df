// Speed of the closing and opening of a year of a million lines: each job beside the one
// grouped totals statement it cannot do without (the floor), with the statements each
// sends. The demo company it runs on is made once, in a database of its own, and every
// voucher a job writes is taken back, so the ledger is the same for every round and run.

#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/benchutil.h"
#include "console/demo/demo.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "host/db/connection.h"
#include "host/ui/uiservice.h"
#include "journal/yearclosing.h"
#include "ledger/financialdm.h"
#include "reports/accounttotals.h"

namespace fin {
namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Keeps what a job says instead of showing it.
class TQuietUi : public TStdErrUiService {
public:
    void ShowMessage(TMessageType, const QString& text) override { messages << text; }
    QStringList messages;
};

struct TCase {
    TClosingJob job;
    QString name;
    TAccountFilter filter;  // of the job's totals, on the new chart
};

struct TMeasure {
    std::vector<double> job, floor;
    qint64 statements = 0;
    int lines = 0, accounts = 0;
    QString refusal;
};

void Forget(TConnection& c, qint64 preceptId) {
    TTransaction t(c);
    c.Execute(QStringLiteral("DELETE FROM preceptitem WHERE preceptid = ?"), {preceptId});
    c.Execute(QStringLiteral("DELETE FROM precept WHERE preceptid = ?"), {preceptId});
    t.Commit();
}

const QString kDatabase = QStringLiteral("finclose");
// About seven and a half lines a voucher: a million lines in the year.
constexpr int kVouchers = 134000;

TConnectionSettings Settings() {
    TConnectionSettings s = TConnectionSettings::FromEnvironment();
    s.database = kDatabase;
    return s;
}

void Prepare() {
    if (!CreateDatabaseOnce(kDatabase))
        return;
    TConnection c(Settings());
    c.Open();
    TDemoOptions demo;
    demo.vouchers = kVouchers;
    MakeDemoCompany(c, demo);
}

int Run() {
    const int rounds =
        qEnvironmentVariableIntValue("ROUNDS") > 0 ? qEnvironmentVariableIntValue("ROUNDS") : 3;
    Prepare();
    TConnection c(Settings());
    c.Open();
    TFinancialDM dm;
    dm.SetZConnection(&c);
    dm.LoadOptions();
    const int year = dm.Options().FinancialYear;
    if (!dm.NewChartYear())
        throw TError(QStringLiteral("Merenje traži finansijsku godinu od 2014. nadalje."));
    const qint64 yearLines =
        c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM preceptitem AS pi INNER JOIN precept "
                                     "AS p ON p.preceptid = pi.preceptid WHERE p.preceptdate >= "
                                     "? AND p.preceptdate <= ?"),
                      {QDate(year, 1, 1), QDate(year, 12, 31)})
            .toLongLong();

    TAccountFilter balance;
    balance.exceptPrefixes = {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7")};
    std::vector<TCase> cases{
        {TClosingJob::Class5, QStringLiteral("Zatvaranje klase 5"),
         TAccountFilter::Prefix(TChart::New, QStringLiteral("5"))},
        {TClosingJob::Class6, QStringLiteral("Zatvaranje klase 6"),
         TAccountFilter::Prefix(TChart::New, QStringLiteral("6"))},
        {TClosingJob::Class7, QStringLiteral("Zatvaranje klase 7"),
         TAccountFilter::Prefix(TChart::New, QStringLiteral("7"))},
        {TClosingJob::CloseYear, QStringLiteral("Zatvaranje godine"), balance},
        {TClosingJob::OpenYear, QStringLiteral("Otvaranje godine"), balance},
    };
    std::vector<TMeasure> results(cases.size());
    TQuietUi ui;
    SetUi(&ui);
    // The first pass only warms the server's buffers.
    GetAccountsOldNew(c, year, TAccountFilter());
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < cases.size(); ++i) {
            TMeasure& m = results[i];
            auto start = std::chrono::steady_clock::now();
            const TFinAccounts totals = GetAccountsOldNew(c, year, cases[i].filter);
            m.floor.push_back(Seconds(start));
            m.accounts = int(totals.size());

            ui.messages.clear();
            dm.PreceptZQ().Close();
            const qint64 before = Questions(c);
            start = std::chrono::steady_clock::now();
            const TClosingResult r = TYearClosing(dm).Run(cases[i].job);
            m.job.push_back(Seconds(start));
            m.statements = Questions(c) - before - 1;
            if (!r.Written()) {
                m.refusal = ui.messages.join(QLatin1Char(' '));
                continue;
            }
            m.lines = int(r.itemIds.size());
            Forget(c, r.preceptId);
        }
        Out() << "krug " << round + 1 << " od " << rounds << '\n';
        Out().flush();
    }
    SetUi(nullptr);

    Out() << "\nZatvaranje i otvaranje godine " << year << " sa " << Num(double(yearLines))
          << " stavki naloga (medijana od " << rounds << " kruga; pod je grupisani upit salda "
          << "koji posao mora da izvrši)\n";
    Out() << QStringLiteral("posao").leftJustified(20) << QStringLiteral("konta").rightJustified(8)
          << QStringLiteral("stavki").rightJustified(8)
          << QStringLiteral("pod ms").rightJustified(10)
          << QStringLiteral("posao ms").rightJustified(10)
          << QStringLiteral("odnos").rightJustified(8)
          << QStringLiteral("naredbi").rightJustified(9) << '\n';
    double worst = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        const TMeasure& m = results[i];
        const double f = Median(m.floor) * 1000, j = Median(m.job) * 1000;
        const double ratio = f > 0 ? j / f : 0;
        if (m.refusal.isEmpty())
            worst = std::max(worst, ratio);
        Out() << cases[i].name.leftJustified(20) << QString::number(m.accounts).rightJustified(8)
              << QString::number(m.lines).rightJustified(8) << Num(f, "0.0").rightJustified(10)
              << Num(j, "0.0").rightJustified(10) << (Num(ratio, "0.00") + "×").rightJustified(8)
              << QString::number(m.statements).rightJustified(9) << '\n';
        if (!m.refusal.isEmpty())
            Out() << "  (nalog nije napravljen: " << m.refusal << ")\n";
    }
    Out() << "\nCilj: svaki posao najviše 2× od svog grupisanog upita: "
          << (worst > 0 && worst <= 2 ? "ispunjen" : "NIJE ispunjen") << ".\n";
    Out().flush();
    return 0;
}

}  // namespace
}  // namespace fin

int main(int argc, char** argv) {
    return fin::BenchMain(argc, argv, fin::Run);
}
