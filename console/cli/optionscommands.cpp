#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "console/cli/cli.h"
#include "console/cli/session.h"

namespace fin {

namespace {

int Options(const QStringList& args, TCliContext& ctx) {
    QStringList words = args;
    const bool json = words.removeAll(QStringLiteral("--json")) > 0;
    for (const QString& w : words)
        if (w.startsWith(QLatin1String("--"))) {
            ctx.err << "Nepoznata opcija: " << w << '\n';
            return kExitUsage;
        }
    if (words.size() != 0 && words.size() != 2) {
        ctx.err << "Navedite ili ništa (spisak opcija) ili KLJUČ i VREDNOST.\n";
        return kExitUsage;
    }

    if (words.size() == 2) {
        const TOptionKey* key = FindOptionKey(kFinancialSection, words[0]);
        if (!key) {
            ctx.err << "Nepoznata opcija: " << words[0]
                    << " (spisak daje komanda \"finansije options\").\n";
            return kExitRefused;
        }
        QString error;
        const auto value = NormalizeOptionValue(*key, words[1], &error);
        if (!value) {
            ctx.err << error << '\n';
            return kExitRefused;
        }
        TSession session;
        WriteOption(session.connection, *key, *value);
        ctx.out << key->key << " = " << *value << '\n';
        return kExitOk;
    }

    TSession session;
    const TDBIniFile ini(&session.connection);
    QJsonArray rows;
    for (const TOptionKey& key : FinancialOptionKeys()) {
        if (key.section != kFinancialSection)
            continue;
        const bool stored = ini.ValueExists(key.section, key.key);
        const QString value = ini.ReadString(key.section, key.key, key.defaultValue);
        if (json) {
            rows.append(QJsonObject{{"key", key.key},
                                    {"value", value},
                                    {"default", !stored},
                                    {"description", key.caption}});
            continue;
        }
        ctx.out << key.key.leftJustified(30) << ' ' << value.leftJustified(20) << ' '
                << (stored ? QStringLiteral("            ") : QStringLiteral("(podrazumev.)"))
                << ' ' << key.caption << '\n';
    }
    if (json)
        ctx.out << QJsonDocument(rows).toJson(QJsonDocument::Indented);
    return kExitOk;
}

}  // namespace

QVector<TCliCommand> OptionsCommands() {
    return {
        {{"options"},
         QStringLiteral("[KLJUČ VREDNOST] [--json]"),
         QStringLiteral("Opcije finansijskog: spisak sa vrednostima ili upis jedne opcije."),
         QStringLiteral(
             "Bez argumenata ispisuje svaku opciju odeljka \"Financial\" sa upisanom vrednošću\n"
             "ili podrazumevanom (oznaka \"podrazumev.\"). Sa KLJUČEM i VREDNOŠĆU upisuje\n"
             "opciju posle provere tipa: logičke 1/0 (ili da/ne), celi brojevi, datumi\n"
             "(2024-03-15 ili 15.3.2024.), metodi obračuna cena po imenu (I, O, P) ili nazivu."),
         Options},
    };
}

}  // namespace fin
