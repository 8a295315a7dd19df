#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "console/cli/cli.h"
#include "console/cli/cliutil.h"
#include "console/cli/session.h"
#include "host/common/textformat.h"
#include "journal/bulkcaptions.h"
#include "journal/bulkjobs.h"

namespace fin {

namespace {

QJsonArray IdsJson(const QVector<qint64>& ids) {
    QJsonArray array;
    for (qint64 id : ids)
        array.append(id);
    return array;
}

// The job's message for people; with --json the ids it changed as well.
void PrintResult(const TBulkResult& r, bool json, TCliContext& ctx) {
    if (!json) {
        ctx.out << r.message << '\n';
        return;
    }
    QJsonObject o{{"message", r.message},
                  {"count", static_cast<qint64>(r.ids.size())},
                  {"preceptids", IdsJson(r.ids)}};
    if (r.groupId > 0)
        o.insert(QStringLiteral("groupid"), r.groupId);
    ctx.out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
}

// The voucher type of --type, which must exist; 0 without the option.
qint64 TypeOption(const TOptions& o, TSession& session) {
    if (!o.Has("--type"))
        return 0;
    const qint64 type = ParseId(o.Value("--type"), QStringLiteral("Tip naloga"));
    if (session.connection
            .SelectValue(QStringLiteral("SELECT COUNT(*) FROM precepttype WHERE "
                                        "precepttypeid = ?"),
                         {type})
            .toInt() != 1)
        throw TError(res::NO_PRECEPT_TYPE_ERR.arg(type));
    return type;
}

int RegisterOrRound(const QStringList& raw, TCliContext& ctx, bool registering) {
    TOptions o;
    if (!ParseOptions(raw, {"--type"}, {"--json"}, o, ctx))
        return kExitUsage;
    if (!o.positional.isEmpty()) {
        ctx.err << "Nepoznat argument: " << o.positional.join(' ') << '\n';
        return kExitUsage;
    }
    TSession session;
    const qint64 type = TypeOption(o, session);
    TBulkJobs jobs(session.dm);
    PrintResult(registering ? jobs.AutoRegister(type) : jobs.AutoRound(type), o.Has("--json"), ctx);
    return kExitOk;
}

int Merge(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(raw, {"--type", "--from", "--to"}, {"--json"}, o, ctx))
        return kExitUsage;
    if (!o.Has("--type") || !o.Has("--from") || !o.Has("--to") || !o.positional.isEmpty()) {
        ctx.err << "Navedite --type, --from i --to, i nijedan argument bez opcije.\n";
        return kExitUsage;
    }
    QDate period[2];
    for (int i = 0; i < 2; ++i) {
        const QString text = o.Value(i == 0 ? "--from" : "--to").trimmed();
        const auto date = MyDateStrToDate(text);
        if (!date) {
            ctx.err << "Neispravan datum: " << text
                    << " (upišite npr. 2024-03-15 ili 15.3.2024.)\n";
            return kExitUsage;
        }
        period[i] = *date;
    }
    TSession session;
    const qint64 type = ParseId(o.Value("--type"), QStringLiteral("Tip naloga"));
    TBulkJobs jobs(session.dm);
    const TBulkResult r = jobs.MergeIt(period[0], period[1], type);
    if (r.groupId == 0) {
        ctx.err << r.message << '\n';
        return kExitRefused;
    }
    PrintResult(r, o.Has("--json"), ctx);
    return kExitOk;
}

}  // namespace

QVector<TCliCommand> BulkVoucherCommands() {
    return {
        {{"voucher", "register-balanced"},
         QStringLiteral("[--type ID] [--json]"),
         QStringLiteral("Proknjižava sve uravnotežene neproknjižene naloge finansijske godine."),
         QStringLiteral(
             "Uravnotežen je nalog čije stavke na kontima novog kontnog plana (bez privremenih,\n"
             "\"-...\") imaju isti dug i potražni promet na cent. Nalozi tipova iz podešavanja\n"
             "AutoRegister/ExceptTypes se ne knjiže, a nalozi bez stavki samo za tipove iz\n"
             "AutoRegister/IncludeEmptyTypes. Nalog bez broja ili sa brojem koji ima još neki\n"
             "nalog istog tipa, i nalog spojen u grupni, ostaju neproknjiženi. --type ograničava\n"
             "na jedan tip naloga (id). Sve se upisuje zajedno ili ništa; --json daje i id-eve\n"
             "proknjiženih naloga."),
         [](const QStringList& a, TCliContext& c) { return RegisterOrRound(a, c, true); }},
        {{"voucher", "round"},
         QStringLiteral("[--type ID] [--json]"),
         QStringLiteral("Zaokružuje neproknjižene naloge kojima fali od 0,01 do 0,09."),
         QStringLiteral(
             "Razlika duga i potražnog prometa naloga od 0,01 do 0,09 (na bilo koju stranu) ide\n"
             "na prvu stavku naloga na kontu 1329, 1349 ili 6040 (najniža šifra prva): dugovnoj\n"
             "stavci se dug umanjuje, a stavci bez duga se potražni promet uvećava. --type\n"
             "ograničava na jedan tip naloga (id); --json daje i id-eve zaokruženih naloga."),
         [](const QStringList& a, TCliContext& c) { return RegisterOrRound(a, c, false); }},
        {{"voucher", "merge"},
         QStringLiteral("--type ID --from D --to D [--json]"),
         QStringLiteral("Spaja neproknjižene naloge jednog tipa iz perioda u grupni nalog."),
         QStringLiteral(
             "Stavke svih neproknjiženih naloga tipa ID sa datumom od D do D (oba uključena)\n"
             "prelaze u novi grupni nalog (tip 30) sa datumom kraja perioda, redom naloga i\n"
             "njihovih stavki i sa rednim brojevima od 1. Ispražnjeni nalozi ostaju, označeni\n"
             "grupnim nalogom kao nadnalogom. Ispisuje broj i id grupnog naloga; --json i\n"
             "id-eve spojenih naloga. Kada nema šta da se spoji, ne upisuje ništa i završava sa "
             "1."),
         Merge},
    };
}

}  // namespace fin
