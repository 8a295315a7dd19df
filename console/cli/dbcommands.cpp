#include "console/cli/cli.h"
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

}  // namespace

QVector<TCliCommand> DbCommands() {
    return {
        {{"db", "init"},
         {},
         QStringLiteral("Pravi tabele modula u podešenoj bazi (ponovljeno ne menja podatke)."),
         {},
         DbInit},
    };
}

}  // namespace fin
