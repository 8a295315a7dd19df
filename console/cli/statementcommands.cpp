#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <optional>

#include "console/cli/cli.h"
#include "console/cli/cliutil.h"
#include "console/cli/session.h"
#include "host/common/textformat.h"
#include "host/data/dataset.h"
#include "host/data/dbinifile.h"
#include "host/report/reportengine.h"
#include "reports/balanceplan.h"
#include "reports/statements.h"

namespace fin {

namespace {

// The statements the command prints: the form on the new chart, on the old one when it has
// one, and the name its file takes unless told otherwise.
struct TStatementKind {
    const char* name;
    TStatementForm form;
    std::optional<TStatementForm> oldForm;
    TBalanceReport report, oldReport;
    const char* file;
};

const TStatementKind kKinds[] = {
    {"balance-sheet", TStatementForm::BalanceSheet, TStatementForm::OldBalanceSheet,
     TBalanceReport::BalanceSheet, TBalanceReport::OldBalanceSheet, "bilans-stanja"},
    {"income-statement", TStatementForm::IncomeStatement, TStatementForm::OldIncomeStatement,
     TBalanceReport::IncomeStatement, TBalanceReport::OldIncomeStatement, "bilans-uspeha"},
    {"cash-flow", TStatementForm::CashFlow, std::nullopt, TBalanceReport::CashFlow,
     TBalanceReport::CashFlow, "tokovi-gotovine"},
    {"annex", TStatementForm::StatisticalAnnex, std::nullopt, TBalanceReport::StatisticalAnnex,
     TBalanceReport::StatisticalAnnex, "statisticki-aneks"},
};

int Statement(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(raw, {"--from", "--to", "--thousands", "--format", "--output", "--xml"},
                      {"--old-chart", "--json"}, o, ctx))
        return kExitUsage;
    if (o.positional.size() != 1) {
        ctx.err << "Navedite jedan izveštaj: balance-sheet, income-statement, cash-flow ili "
                   "annex.\n";
        return kExitUsage;
    }
    const TStatementKind* kind = nullptr;
    for (const TStatementKind& k : kKinds)
        if (o.positional.first() == QLatin1String(k.name))
            kind = &k;
    if (!kind) {
        ctx.err << "Nepoznat izveštaj: " << o.positional.first()
                << " (balance-sheet, income-statement, cash-flow ili annex)\n";
        return kExitUsage;
    }
    const bool oldChart = o.Has("--old-chart");
    if (oldChart && !kind->oldForm) {
        ctx.err << "Za ovaj izveštaj postoji samo obrazac po novom kontnom planu; izostavite "
                   "--old-chart.\n";
        return kExitUsage;
    }
    const bool xml = o.Has("--xml");
    if (xml && (oldChart || kind->form == TStatementForm::CashFlow ||
                kind->form == TStatementForm::StatisticalAnnex)) {
        ctx.err << "XML za predaju postoji samo za novi bilans stanja i bilans uspeha.\n";
        return kExitUsage;
    }
    if (xml && (o.Has("--format") || o.Has("--json") || o.Has("--output"))) {
        ctx.err << "Uz --xml se ne navode --format, --json ni --output.\n";
        return kExitUsage;
    }
    const auto format = ReportFormatOption(o, ctx);
    if (!format)
        return kExitUsage;
    bool thousands = true;
    if (o.Has("--thousands")) {
        const QString t = o.Value("--thousands").toLower();
        if (t != QLatin1String("yes") && t != QLatin1String("no") && t != QLatin1String("da") &&
            t != QLatin1String("ne")) {
            ctx.err << "Opcija --thousands prima yes ili no.\n";
            return kExitUsage;
        }
        thousands = t == QLatin1String("yes") || t == QLatin1String("da");
    }
    std::optional<QDate> from, to;
    if (!PeriodOptions(o, from, to, ctx))
        return kExitRefused;

    TSession session;
    const int year = session.dm.Options().FinancialYear;
    const auto [yearFrom, yearTo] = BalancePeriod(year, QDate::currentDate());
    const QDate start = from.value_or(yearFrom), end = to.value_or(yearTo);
    if (const QString wrong = CheckStatementPeriod(start, end); !wrong.isEmpty()) {
        ctx.err << wrong << '\n';
        return kExitRefused;
    }
    const TDBIniFile settings(&session.connection);
    TStatements statements(session.connection, start, end,
                           TStatementOptions::FromSettings(settings, year, thousands));
    const TStatementForm form = oldChart ? *kind->oldForm : kind->form;
    const TStatementRows rows = statements.Of(form);

    if (xml) {
        const QString path = o.Value("--xml");
        const QString error = WriteStatementXml(
            path, StatementXml(form, rows, TFilingNamespaces::FromSettings(settings)));
        if (!error.isEmpty()) {
            ctx.err << error << '\n';
            return kExitRefused;
        }
        ctx.out << "XML datoteka je sačuvana u " << QFileInfo(path).absoluteFilePath() << '\n';
        return kExitOk;
    }
    TDataSet table(QStringLiteral("Statement"));
    DeclareStatementTable(table, form);
    FillStatementTable(table, rows);
    if (*format == TReportFormat::Json) {
        QJsonArray json;
        for (table.First(); !table.Eof(); table.Next())
            json.append(RecordJson(table));
        ctx.out << QJsonDocument(json).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    const TBalanceReport report = oldChart ? kind->oldReport : kind->report;
    const QString file =
        QStringLiteral("%1%2_%3_%4")
            .arg(QString::fromLatin1(kind->file), oldChart ? QStringLiteral("-stari") : QString(),
                 DateToSql(start), DateToSql(end));
    EmitReport(*format, o.Value("--output"), file, ctx, [&](TReportEngine& engine) {
        const QString caption = BalanceReportCaption(report);
        TDataSet& precepts = session.dm.PreceptZQ();
        const QString a = DateToText(start), b = DateToText(end);
        switch (kind->form) {
            case TStatementForm::BalanceSheet:
                engine.ExecuteBalanceSheetReport(table, precepts, caption, a, b);
                break;
            case TStatementForm::IncomeStatement:
                engine.ExecuteIncomeStatementReport(table, precepts, caption, a, b);
                break;
            case TStatementForm::CashFlow:
                engine.ExecuteCashFlowReport(table, precepts, caption, a, b);
                break;
            default:
                engine.ExecuteStatisticalAnnexReport(table, precepts, caption, a, b);
                break;
        }
    });
    return kExitOk;
}

}  // namespace

QVector<TCliCommand> StatementCommands() {
    return {
        {{"statement"},
         QStringLiteral("balance-sheet|income-statement|cash-flow|annex [--old-chart] "
                        "[--from DATUM] [--to DATUM] [--thousands yes|no] "
                        "[--format text|csv|json|pdf|xlsx] [--output DATOTEKA] | "
                        "balance-sheet|income-statement --xml DATOTEKA"),
         QStringLiteral("Bilans stanja, bilans uspeha, tokovi gotovine i statistički aneks; XML "
                        "za predaju."),
         QStringLiteral(
             "Iznosi su u hiljadama dinara (--thousands yes, podrazumevano) ili u dinarima\n"
             "(--thousands no), svaki član zaokružen za sebe. Period je podrazumevano od\n"
             "1. januara finansijske godine do danas (u toj godini) i ne prelazi u drugu\n"
             "godinu. --old-chart daje stare obrasce (bilans stanja i bilans uspeha po starom\n"
             "kontnom planu). Tokovi gotovine i aneks se štampaju bez vrednosti, za ručno\n"
             "popunjavanje. --xml upisuje dokument za elektronsku predaju novog bilansa stanja\n"
             "ili uspeha (prostori imena: opcije XmlFormModelNamespace i\n"
             "XmlFormDefinitionNamespace). Formati kao kod komande balance."),
         Statement},
    };
}

}  // namespace fin
