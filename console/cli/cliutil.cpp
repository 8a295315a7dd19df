#include "console/cli/cliutil.h"

#include "host/common/error.h"
#include "host/common/textformat.h"
#include "host/data/dataset.h"
#include "ledger/ledgercaptions.h"

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

}  // namespace fin
