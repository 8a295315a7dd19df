#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

#include "console/cli/cli.h"
#include "console/cli/cliutil.h"
#include "console/cli/session.h"
#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "host/data/dataset.h"
#include "host/data/query.h"
#include "host/report/reportengine.h"
#include "journal/daybook.h"
#include "journal/journalcaptions.h"
#include "journal/printmore.h"
#include "ledger/financialdm.h"

namespace fin {

namespace {

// The period of a command: --from and --to, by default the financial year, checked as the
// screens check their boxes. A refusal is the rules' (TError).
std::pair<QDate, QDate> YearPeriod(const TFinancialDM& dm, const std::optional<QDate>& from,
                                   const std::optional<QDate>& to) {
    const int year = dm.Options().FinancialYear;
    return CheckYearPeriod(dm, DateToSql(from.value_or(QDate(year, 1, 1))),
                           DateToSql(to.value_or(QDate(year, 12, 31))));
}

QJsonValue JsonCell(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return QJsonValue();
    switch (v.typeId()) {
        case QMetaType::QDate:
            return DateToSql(v.toDate());
        case QMetaType::Double:
            return BetterRoundTo(v.toDouble(), -2);
        case QMetaType::LongLong:
        case QMetaType::Int:
            return v.toLongLong();
        default:
            return v.toString();
    }
}

int DayBook(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(raw, {"--from", "--to", "--format", "--output"}, {"--json"}, o, ctx))
        return kExitUsage;
    if (!o.positional.isEmpty()) {
        ctx.err << "Nepoznat argument: " << o.positional.first() << '\n';
        return kExitUsage;
    }
    const auto format = ReportFormatOption(o, ctx);
    if (!format)
        return kExitUsage;
    std::optional<QDate> from, to;
    if (!PeriodOptions(o, from, to, ctx))
        return kExitRefused;

    TSession session;
    const auto [start, end] = YearPeriod(session.dm, from, to);
    const TDayBook book(session.dm);
    // The lines are read as they are written out: a year of any length is never held whole.
    const TRowFeed lines = [&](const TRowSink& sink) { book.ForEachLine(start, end, sink); };
    const QString output = o.Value("--output");
    switch (*format) {
        case TReportFormat::Text:
            TReportEngine::WriteLogText(lines, ctx.out);
            return kExitOk;
        case TReportFormat::Json: {
            const QStringList& fields = TReportEngine::LogFields();
            ctx.out << "[";
            bool first = true;
            lines([&](const QVector<QVariant>& values) {
                QJsonObject row;
                for (int i = 0; i < fields.size(); ++i)
                    row.insert(fields[i], JsonCell(values.value(i)));
                ctx.out << (first ? "\n" : ",\n")
                        << QJsonDocument(row).toJson(QJsonDocument::Compact);
                first = false;
            });
            ctx.out << (first ? "]\n" : "\n]\n");
            return kExitOk;
        }
        case TReportFormat::Csv:
            if (output.isEmpty()) {
                TReportEngine::WriteLogCsv(lines, ctx.out);
                return kExitOk;
            }
            break;
        default:
            break;
    }
    EmitReport(
        *format, output, QStringLiteral("dnevnik_%1_%2").arg(DateToSql(start), DateToSql(end)), ctx,
        [&](TReportEngine& engine) {
            engine.ExecuteLogReport(lines, res::LOG_CAPTION, DateToText(start), DateToText(end));
        });
    return kExitOk;
}

int PrintMore(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(
            raw, {"--type", "--from", "--to", "--description", "--exclude", "--format", "--output"},
            {"--json"}, o, ctx))
        return kExitUsage;
    if (!o.Has("--type") || !o.positional.isEmpty()) {
        ctx.err << "Navedite --type i nijedan argument bez opcije.\n";
        return kExitUsage;
    }
    const QString formatText = o.Has("--json") ? QStringLiteral("json") : o.Value("--format");
    const bool pdf = formatText == QLatin1String("pdf");
    if (!formatText.isEmpty() && !pdf && formatText != QLatin1String("json")) {
        ctx.err << "Nepoznat format: " << formatText << " (json ili pdf)\n";
        return kExitUsage;
    }
    if (o.Has("--output") && !pdf) {
        ctx.err << "Opcija --output važi za format pdf; json se ispisuje na standardni izlaz.\n";
        return kExitUsage;
    }
    std::optional<QDate> from, to;
    if (!PeriodOptions(o, from, to, ctx))
        return kExitRefused;
    const qint64 type = ParseId(o.Value("--type"), QStringLiteral("Tip naloga"));
    QVector<qint64> excluded;
    for (const QString& id : o.Value("--exclude").split(QLatin1Char(','), Qt::SkipEmptyParts))
        excluded << ParseId(id, QStringLiteral("Id naloga"));

    TSession session;
    TFinancialDM& dm = session.dm;
    if (dm.Db()
            .SelectValue(QStringLiteral("SELECT COUNT(*) FROM precepttype WHERE precepttypeid = ?"),
                         {type})
            .toInt() != 1)
        throw TError(QStringLiteral("Tip naloga %1 ne postoji.").arg(type));
    const auto [start, end] = YearPeriod(dm, from, to);
    TPrintMore print(dm);
    print.ShowPrecepts(type, DateToSql(start), DateToSql(end), o.Value("--description"));
    if (print.List().IsEmpty())
        throw TError(QStringLiteral("Nema proknjiženih naloga tog tipa u periodu od %1 do %2.")
                         .arg(DateToText(start), DateToText(end)));
    print.Untick(excluded);
    if (print.TickedCount() == 0)
        throw TError(res::PRINT_MORE_NONE_WRN);
    print.PrepareGroupPrecepts();
    TDataSet& rows = print.Rows();
    if (!pdf) {
        QJsonArray json;
        for (rows.First(); !rows.Eof(); rows.Next()) {
            QJsonObject row = RecordJson(rows);
            const QString fillers = row.take(QStringLiteral("PreceptEmptyRows")).toString();
            row.insert(QStringLiteral("EmptyRows"),
                       fillers.isEmpty() ? 0 : fillers.count(QStringLiteral("\r\n")) + 1);
            for (const char* amount : {"ItemDebit", "ItemCredit"})
                row.insert(
                    QString::fromLatin1(amount),
                    BetterRoundTo(rows.FieldByName(QString::fromLatin1(amount)).AsFloat(), -2));
            json.append(row);
        }
        ctx.out << QJsonDocument(json).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    TQuery& types = dm.PrecepttypeZQ();
    if (!types.Active())
        types.Open();
    EmitReport(TReportFormat::Pdf, o.Value("--output"),
               QStringLiteral("zbirni-nalog_%1_%2").arg(DateToSql(start), DateToSql(end)), ctx,
               [&](TReportEngine& engine) {
                   engine.ExecuteGroupPreceptReport(types, rows, res::PRE_CAPTION);
               });
    return kExitOk;
}

}  // namespace

QVector<TCliCommand> DayBookCommands() {
    return {
        {{"daybook"},
         QStringLiteral("[--from DATUM] [--to DATUM] [--format text|csv|json|pdf|xlsx] "
                        "[--output DATOTEKA]"),
         QStringLiteral("Dnevnik glavne knjige: stavke proknjiženih naloga perioda."),
         QStringLiteral(
             "Stavke su poređane po datumu naloga, broju tipa naloga, broju naloga i rednom\n"
             "broju stavke; uz šifru konta (starog i novog plana) stoji id analitike. Period\n"
             "je podrazumevano cela finansijska godina i ne izlazi iz nje; datumi: 2024-03-15\n"
             "ili 15.3.2024. Formati text, csv (bez --output) i json (isto što i --json) idu\n"
             "na standardni izlaz; json daje objekat za svaku stavku, sa ključevima\n"
             "preceptdate, registerdate, number, accountcode, accountnewcode, description,\n"
             "debit i credit.\n"
             "PDF (strane sa prenosom zbirova) i xlsx idu u --output (podrazumevano npr.\n"
             "dnevnik_2024-01-01_2024-12-31.pdf). Stavke se čitaju dok se ispisuju, pa godina\n"
             "bilo koje dužine ne zauzima više memorije."),
         DayBook},
        {{"voucher", "print-more"},
         QStringLiteral("--type ID [--from DATUM] [--to DATUM] [--description DEO] "
                        "[--exclude ID,...] [--format json|pdf] [--output DATOTEKA]"),
         QStringLiteral("Zbirni nalog: proknjiženi nalozi jednog tipa u jednoj štampi."),
         QStringLiteral(
             "Nalozi tipa ID (precepttypeid) iz perioda (podrazumevano finansijska godina)\n"
             "čiji opis sadrži DEO bilo gde (doslovno, i % i _), osim onih iz --exclude,\n"
             "štampaju se od najstarijeg: svaki na svojoj poziciji na strani (gore ili u\n"
             "sredini), dopunjen praznim redovima. json (podrazumevano) daje redove štampe sa\n"
             "brojem praznih redova posle naloga u EmptyRows; pdf ide u --output\n"
             "(podrazumevano npr. zbirni-nalog_2024-01-01_2024-12-31.pdf)."),
         PrintMore},
    };
}

}  // namespace fin
