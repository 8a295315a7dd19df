#include "console/cli/cli.h"
#include "console/demo/demo.h"
#include "console/standins/standins.h"
#include "console/standins/tables.h"
#include "host/data/dbinifile.h"

namespace fin {

namespace {

int DbInit(const QStringList& args, TCliContext& ctx) {
    if (!args.isEmpty()) {
        ctx.err << "Komanda ne prima argumente: " << args.join(' ') << '\n';
        return kExitUsage;
    }
    TConnection c;
    c.Open();
    TDBIniFile::CreateTable(c);
    TSecurityModule::CreateTables(c);
    const TSchemaReport ledger = CreateLedgerSchema(c);
    const TSchemaReport siblings = CreateSiblingTables(c);
    const int created =
        static_cast<int>(ledger.createdTables.size() + siblings.createdTables.size());
    ctx.out << "Tabele modula su spremne u bazi " << c.Settings().database
            << " (novih tabela: " << created << ", verzija šeme " << LedgerSchemaVersion(c)
            << ").\n";
    return kExitOk;
}

int DbDemo(const QStringList& args, TCliContext& ctx) {
    TDemoOptions options;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--year") && i + 1 < args.size()) {
            bool ok = false;
            options.year = args[++i].toInt(&ok);
            if (!ok || options.year < 1990 || options.year > 2100) {
                ctx.err << "Godina mora biti ceo broj između 1990 i 2100: " << args[i] << '\n';
                return kExitUsage;
            }
        } else if (args[i] == QLatin1String("--vouchers") && i + 1 < args.size()) {
            bool ok = false;
            options.vouchers = args[++i].toInt(&ok);
            if (!ok || options.vouchers < 1 || options.vouchers > 10'000'000) {
                ctx.err << "Broj naloga mora biti ceo broj između 1 i 10000000: " << args[i]
                        << '\n';
                return kExitUsage;
            }
        } else {
            ctx.err << "Nepoznat argument: " << args[i] << '\n';
            return kExitUsage;
        }
    }
    if (const int rc = DbInit({}, ctx); rc != kExitOk)
        return rc;
    TConnection c;
    c.Open();
    TCliProgress progress(ctx, QStringLiteral("Nalozi"));
    const TDemoSummary s =
        MakeDemoCompany(c, options, [&](qint64 done, qint64 total) { progress.Step(done, total); });
    progress.Finish();
    ctx.out << "Demo preduzeće za " << options.year << ". godinu: " << s.vouchers << " naloga, "
            << s.lines << " stavki, " << s.accounts << " konta starog i " << s.accountsNew
            << " konta novog kontnog plana, " << s.partners << " partnera; kontirano od "
            << "izvornih dokumenata: " << s.documentsPosted << " od " << s.documents
            << " dokumenata, " << s.statementsPosted << " od " << s.statements
            << " izvoda i dnevnika blagajne, " << s.errandsPosted << " od " << s.errands
            << " radnih naloga, " << s.assetDocumentsPosted << " od " << s.assetDocuments
            << " dokumenata osnovnih sredstava (ostali čekaju na kontiranje).\n";
    return kExitOk;
}

}  // namespace

QVector<TCliCommand> DbCommands() {
    return {
        {{"db", "init"},
         {},
         QStringLiteral("Pravi tabele modula u podešenoj bazi (ponovljeno ne menja podatke)."),
         {},
         DbInit},
        {{"db", "demo"},
         QStringLiteral("[--year GODINA] [--vouchers BROJ]"),
         QStringLiteral("Puni praznu bazu demo preduzećem sa godinom naloga."),
         QStringLiteral("Podrazumevana godina je 2024, a naloga ima 300. Sa --vouchers se\n"
                        "pravi veće preduzeće: 100000 naloga daje oko milion stavki. Dokumenti\n"
                        "do kraja oktobra su kontirani po standardnim pravilima, a novembarski i\n"
                        "decembarski čekaju na kontiranje. Baza koja već ima naloge, konta ili\n"
                        "partnere se ne menja."),
         DbDemo},
    };
}

}  // namespace fin
