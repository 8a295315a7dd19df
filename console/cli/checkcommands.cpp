#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "console/cli/cli.h"
#include "console/cli/cliutil.h"
#include "console/cli/session.h"
#include "host/common/textformat.h"
#include "journal/ledgercheck.h"

namespace fin {

namespace {

const QString kCleanText = QStringLiteral("Knjige su u redu: nijedna greška nije nađena.");

// Every kind, found or not, with its caption, count and ids.
QJsonObject ResultJson(const TCheckResult& result, const std::optional<int>& year) {
    QJsonObject kinds;
    for (const TCheckKindInfo& info : CheckKinds()) {
        QJsonArray ids;
        for (qint64 id : result.Ids(info.kind))
            ids.append(id);
        kinds.insert(info.key, QJsonObject{{"caption", info.caption},
                                           {"count", static_cast<qint64>(ids.size())},
                                           {"ids", ids}});
    }
    return QJsonObject{{"year", year ? QJsonValue(*year) : QJsonValue()},
                       {"clean", result.Clean()},
                       {"count", static_cast<qint64>(result.findings.size())},
                       {"kinds", kinds}};
}

// One block per kind that has findings: its caption and count, then a row per finding.
void PrintText(const TCheckResult& result, TCliContext& ctx) {
    if (result.Clean()) {
        ctx.out << kCleanText << '\n';
        return;
    }
    bool first = true;
    for (const TCheckKindInfo& info : CheckKinds()) {
        const int count = result.Count(info.kind);
        if (count == 0)
            continue;
        if (!first)
            ctx.out << '\n';
        first = false;
        ctx.out << info.caption << ": " << count << '\n';
        ctx.out << "id\tnalog\ttip\tbroj\tdatum\topis\n";
        for (const TCheckFinding& f : result.findings) {
            if (f.kind != info.kind)
                continue;
            ctx.out << f.id << '\t' << (f.preceptId > 0 ? QString::number(f.preceptId) : "") << '\t'
                    << f.typeNumber << '\t' << f.number << '\t'
                    << (f.date.isValid() ? DateToText(f.date) : QString()) << '\t' << f.note
                    << '\n';
        }
    }
}

int Check(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(raw, {"--year"}, {"--json"}, o, ctx))
        return kExitUsage;
    if (!o.positional.isEmpty()) {
        ctx.err << "Nepoznat argument: " << o.positional.first() << '\n';
        return kExitUsage;
    }
    std::optional<int> year;
    if (o.Has("--year")) {
        bool ok = false;
        const int y = o.Value("--year").trimmed().toInt(&ok);
        // The years a voucher date can have in the module.
        if (!ok || y < 1990 || y > 2100) {
            ctx.err << "Neispravna godina: " << o.Value("--year")
                    << " (upišite godinu od 1990 do 2100, npr. 2024).\n";
            return kExitUsage;
        }
        year = y;
    }
    TSession session;
    TLedgerCheck check(session.connection);
    check.Year = year;
    const TCheckResult result = check.Run();
    if (o.Has("--json"))
        ctx.out << QJsonDocument(ResultJson(result, year)).toJson(QJsonDocument::Indented);
    else
        PrintText(result, ctx);
    return result.Clean() ? kExitOk : kExitRefused;
}

}  // namespace

QVector<TCliCommand> CheckCommands() {
    return {
        {{"check"},
         QStringLiteral("[--year Y] [--json]"),
         QStringLiteral("Provera knjiga: greške u nalozima, stavkama i kontima."),
         QStringLiteral(
             "Traži proknjižene naloge kojima se duguje i potražuje ne slažu, stavke bez naloga,\n"
             "sa kontom ili analitikom koja ne postoji ili bez konta kontnog plana svoje godine,\n"
             "konta čija vrsta analitike nema tabelu, naloge sa istim brojem u tipu i godini,\n"
             "temeljnice sa više naloga, spojene naloge bez nadnaloga ili sa spojenim\n"
             "nadnalogom, prazne grupne naloge i proknjižene naloge zatvorenog perioda menjane\n"
             "posle zatvaranja. --year ograničava na naloge jedne godine (podrazumevano sve).\n"
             "Završava sa 0 kada je sve u redu, sa 1 kada je nešto nađeno; --json daje svaku\n"
             "vrstu greške sa nazivom, brojem i id-evima."),
         Check},
    };
}

}  // namespace fin
