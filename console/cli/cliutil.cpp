#include "console/cli/cliutil.h"

#include "host/common/error.h"
#include "host/common/textformat.h"
#include "host/data/dataset.h"
#include "host/report/reportengine.h"
#include "ledger/ledgercaptions.h"

#include <QFileInfo>

namespace fin {

bool ParseOptions(const QStringList& args, const QStringList& valued, const QStringList& flags,
                  TOptions& out, TCliContext& ctx) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QLatin1String("--"))) {
            out.positional << a;
        } else if (flags.contains(a)) {
            out.values.insert(a, QString());
        } else if (valued.contains(a) && i + 1 < args.size()) {
            out.values.insert(a, args[++i]);
        } else {
            ctx.err << (valued.contains(a) ? "Opciji " + a + " nedostaje vrednost."
                                           : "Nepoznata opcija: " + a)
                    << '\n';
            return false;
        }
    }
    return true;
}

std::optional<qint64> PositiveId(const QString& text) {
    bool ok = false;
    const qint64 id = text.trimmed().toLongLong(&ok);
    if (!ok || id <= 0)
        return std::nullopt;
    return id;
}

qint64 ParseId(const QString& text, const QString& what) {
    const auto id = PositiveId(text);
    if (!id)
        throw TError(QStringLiteral("%1 mora biti pozitivan ceo broj: \"%2\".").arg(what, text));
    return *id;
}

QDate ParseDate(const QString& text) {
    const auto date = MyDateStrToDate(text.trimmed());
    if (!date)
        throw TError(res::CARD_DATE_ERR.arg(text));
    return *date;
}

namespace {

QJsonValue JsonValue(const TField& field) {
    if (field.IsNull())
        return QJsonValue();
    switch (field.DataType()) {
        case TFieldType::Integer:
            return QJsonValue(field.AsInteger());
        case TFieldType::Float:
            return QJsonValue(field.AsFloat());
        case TFieldType::Date:
            return DateToSql(field.AsDate());
        default:
            return field.AsString();
    }
}

}  // namespace

QJsonObject RecordJson(TDataSet& ds) {
    QJsonObject o;
    for (int i = 0; i < ds.FieldCount(); ++i)
        o.insert(ds.Fields(i).FieldName(), JsonValue(ds.Fields(i)));
    return o;
}

std::optional<TReportFormat> ReportFormatOption(const TOptions& o, TCliContext& ctx) {
    // --json is --format json, as in the other commands.
    if (o.Has("--json") && o.Has("--format") && o.Value("--format") != QLatin1String("json")) {
        ctx.err << "Izaberite ili --json ili --format " << o.Value("--format") << ".\n";
        return std::nullopt;
    }
    const QString text = o.Has("--json") ? QStringLiteral("json") : o.Value("--format");
    static const QVector<QPair<QString, TReportFormat>> formats{
        {QStringLiteral("text"), TReportFormat::Text},
        {QStringLiteral("csv"), TReportFormat::Csv},
        {QStringLiteral("json"), TReportFormat::Json},
        {QStringLiteral("pdf"), TReportFormat::Pdf},
        {QStringLiteral("xlsx"), TReportFormat::Xlsx}};
    std::optional<TReportFormat> format;
    if (text.isEmpty())
        format = TReportFormat::Text;
    for (const auto& [name, f] : formats)
        if (text == name)
            format = f;
    if (!format) {
        ctx.err << "Nepoznat format: " << text << " (text, csv, json, pdf ili xlsx)\n";
        return std::nullopt;
    }
    if (o.Has("--output") && (*format == TReportFormat::Text || *format == TReportFormat::Json)) {
        ctx.err << "Opcija --output važi za formate csv, pdf i xlsx; text i json se ispisuju "
                   "na standardni izlaz.\n";
        return std::nullopt;
    }
    return format;
}

bool PeriodOptions(const TOptions& o, std::optional<QDate>& from, std::optional<QDate>& to,
                   TCliContext& ctx) {
    for (const auto& [option, date] : {std::pair{"--from", &from}, std::pair{"--to", &to}}) {
        if (!o.Has(option))
            continue;
        *date = MyDateStrToDate(o.Value(option).trimmed());
        if (!*date) {
            ctx.err << res::CARD_DATE_ERR.arg(o.Value(option)) << '\n';
            return false;
        }
    }
    return true;
}

void EmitReport(TReportFormat format, const QString& output, const QString& defaultFile,
                TCliContext& ctx, const std::function<void(TReportEngine&)>& print) {
    QString path;
    TReportEngine engine;
    switch (format) {
        case TReportFormat::Pdf:
        case TReportFormat::Xlsx: {
            const bool pdf = format == TReportFormat::Pdf;
            path = !output.isEmpty()
                       ? output
                       : defaultFile + (pdf ? QStringLiteral(".pdf") : QStringLiteral(".xlsx"));
            engine.SetOutput(pdf ? TReportOutput::Pdf : TReportOutput::Xlsx, path);
            break;
        }
        case TReportFormat::Csv:
            path = output;
            engine.SetOutput(path.isEmpty() ? TReportOutput::Document : TReportOutput::Csv, path);
            break;
        default:
            engine.SetOutput(TReportOutput::Document);
            break;
    }
    print(engine);
    if (!path.isEmpty())
        ctx.out << "Izveštaj je sačuvan u " << QFileInfo(path).absoluteFilePath() << '\n';
    else if (format == TReportFormat::Csv)
        ctx.out << QString::fromUtf8(ReportCsv(engine.LastDocument()));
    else
        ctx.out << engine.LastDocument().ToPlainText();
}

}  // namespace fin
