#include <QDate>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <optional>

#include "console/cli/cli.h"
#include "console/cli/cliutil.h"
#include "console/cli/session.h"
#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "host/data/dataset.h"
#include "host/report/reportengine.h"
#include "ledger/ledgercaptions.h"
#include "reports/balanceplan.h"
#include "reports/trialbalance.h"

namespace fin {

namespace {

// The balance reports the command prints: the screen's report on either chart, and the
// name its file takes unless told otherwise.
struct TBalanceKind {
    const char* name;
    TBalanceReport report;
    std::optional<TBalanceReport> oldReport;  // none: the new chart only
    const char* file;
};

const TBalanceKind kKinds[] = {
    {"synthetic", TBalanceReport::TrialBalance, TBalanceReport::OldTrialBalance, "bruto-bilans"},
    {"analytic", TBalanceReport::AnalyticTrialBalance, TBalanceReport::OldAnalyticTrialBalance,
     "bruto-bilans-analiticki"},
    {"closing", TBalanceReport::ClosingSheet, TBalanceReport::OldClosingSheet, "zakljucni-list"},
    {"closing-analytic", TBalanceReport::AnalyticClosingSheet, std::nullopt,
     "zakljucni-list-analiticki"},
};

// The rows as objects keyed by field name, amounts rounded to the cent as they are shown.
QJsonArray BalanceJson(TDataSet& table) {
    QJsonArray rows;
    for (table.First(); !table.Eof(); table.Next()) {
        QJsonObject row = RecordJson(table);
        for (int i = 0; i < table.FieldCount(); ++i)
            if (const TField& f = table.Fields(i); f.DataType() == TFieldType::Float)
                row.insert(f.FieldName(), BetterRoundTo(f.AsFloat(), -2));
        rows.append(row);
    }
    return rows;
}

int Balance(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(raw, {"--kind", "--from", "--to", "--classes", "--format", "--output"},
                      {"--old-chart", "--json"}, o, ctx))
        return kExitUsage;
    if (!o.positional.isEmpty()) {
        ctx.err << "Nepoznat argument: " << o.positional.first() << '\n';
        return kExitUsage;
    }
    const QString kindName = o.Has("--kind") ? o.Value("--kind") : QStringLiteral("synthetic");
    const TBalanceKind* kind = nullptr;
    for (const TBalanceKind& k : kKinds)
        if (kindName == QLatin1String(k.name))
            kind = &k;
    if (!kind) {
        ctx.err << "Nepoznata vrsta izveštaja: " << kindName
                << " (synthetic, analytic, closing ili closing-analytic)\n";
        return kExitUsage;
    }
    const auto format = ReportFormatOption(o, ctx);
    if (!format)
        return kExitUsage;
    const bool oldChart = o.Has("--old-chart");
    if (oldChart && !kind->oldReport) {
        ctx.err << "Analitički zaključni list postoji samo za novi kontni plan; izostavite "
                   "--old-chart.\n";
        return kExitUsage;
    }
    TClassFilter classes;
    if (o.Has("--classes")) {
        const auto parsed = TClassFilter::Parse(o.Value("--classes"));
        if (!parsed) {
            ctx.err << "Neispravan spisak klasa: \"" << o.Value("--classes")
                    << "\" (npr. 0-8, 5,6,7 ili all)\n";
            return kExitUsage;
        }
        classes = *parsed;
    }
    std::optional<QDate> from, to;
    if (!PeriodOptions(o, from, to, ctx))
        return kExitRefused;

    TSession session;
    const auto [yearFrom, yearTo] =
        BalancePeriod(session.dm.Options().FinancialYear, QDate::currentDate());
    const QDate start = from.value_or(yearFrom), end = to.value_or(yearTo);
    if (const QString wrong = CheckBalancePeriod(start, end); !wrong.isEmpty()) {
        ctx.err << wrong << '\n';
        return kExitRefused;
    }

    // The rows as the balance screen has them, and its print of them.
    TBalanceReports reports(session.dm, oldChart ? TChart::Old : TChart::New, start, end, classes);
    TDataSet table(QStringLiteral("Balance"));
    const bool closing = kind->report == TBalanceReport::ClosingSheet ||
                         kind->report == TBalanceReport::AnalyticClosingSheet;
    if (closing)
        DeclareClosingSheetTable(table);
    else
        DeclareTrialBalanceTable(table, kind->report == TBalanceReport::TrialBalance);
    switch (kind->report) {
        case TBalanceReport::TrialBalance:
            FillBalanceTable(table, reports.SyntheticTrialBalance());
            break;
        case TBalanceReport::AnalyticTrialBalance:
            FillBalanceTable(table, reports.AnalyticTrialBalance());
            break;
        case TBalanceReport::ClosingSheet:
            FillBalanceTable(table, reports.ClosingSheet());
            break;
        default:
            FillBalanceTable(table, reports.AnalyticClosingSheet());
            break;
    }
    if (*format == TReportFormat::Json) {
        ctx.out << QJsonDocument(BalanceJson(table)).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    const QString caption = BalanceReportCaption(oldChart ? *kind->oldReport : kind->report);
    const QString file =
        QStringLiteral("%1%2_%3_%4")
            .arg(QString::fromLatin1(kind->file), oldChart ? QStringLiteral("-stari") : QString(),
                 DateToSql(start), DateToSql(end));
    EmitReport(*format, o.Value("--output"), file, ctx, [&](TReportEngine& engine) {
        if (closing)
            engine.ExecuteClosingSheetReport(table, session.dm.PreceptZQ(), caption,
                                             DateToText(start), DateToText(end));
        else
            engine.ExecuteTestBalanceReport(table, session.dm.PreceptZQ(), caption,
                                            DateToText(start), DateToText(end));
    });
    return kExitOk;
}

}  // namespace

QVector<TCliCommand> BalanceCommands() {
    return {
        {{"balance"},
         QStringLiteral("[--kind synthetic|analytic|closing|closing-analytic] [--old-chart] "
                        "[--from DATUM] [--to DATUM] [--classes SPISAK|all] "
                        "[--format text|csv|json|pdf|xlsx] [--output DATOTEKA]"),
         QStringLiteral("Bruto bilans i zaključni list perioda, sintetički ili analitički."),
         QStringLiteral(
             "Vrste: synthetic (bruto bilans po sintetičkim kontima, podrazumevano), analytic\n"
             "(po kontima), closing (zaključni list) i closing-analytic (zaključni list sa\n"
             "kontima i analitikama; samo novi kontni plan). Uz svaku vrstu ide rekapitulacija\n"
             "po klasama. Period je podrazumevano od 1. januara finansijske godine do danas\n"
             "(u toj godini); datumi: 2024-03-15 ili 15.3.2024. Klase: 0-8 (podrazumevano),\n"
             "npr. 5,6,7 ili all. Bez --old-chart važi novi kontni plan.\n"
             "Formati text i json (isto što i --json) idu na standardni izlaz, csv takođe\n"
             "osim uz --output; pdf i xlsx u datoteku --output (podrazumevano npr.\n"
             "bruto-bilans_2024-01-01_2024-12-31.pdf)."),
         Balance},
    };
}

}  // namespace fin
