#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "console/cli/cli.h"
#include "console/cli/cliutil.h"
#include "console/cli/session.h"
#include "host/common/textformat.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "ledger/ledgercaptions.h"
#include "posting/autoconter.h"
#include "posting/customconter.h"
#include "posting/postingcaptions.h"
#include "posting/postingmodules.h"
#include "posting/postingpreview.h"
#include "posting/standardrules.h"

namespace fin {

namespace {

const QString kModuleChoice =
    QStringLiteral("Dokument, Banka, \"Osnovna sredstva\" ili Proizvodnja");

// The module's kind, or 0 with a message when the name is none of the four.
int ModuleKind(const QString& name, TCliContext& ctx) {
    if (const TPostingModule* module = FindPostingModule(name))
        return module->kind;
    ctx.err << "Nepoznat modul: \"" << name << "\" (" << kModuleChoice << ").\n";
    return 0;
}

// Checks and lists of rules need the module's conter.
void RequireConter(const QString& module) {
    for (const TConterClass& c : ConterClasses())
        if (c.moduleName == module)
            return;
    throw TError(QStringLiteral("Modul \"%1\" još nema pravila kontiranja: njegovi izrazi se ne "
                                "mogu proveriti.")
                     .arg(module));
}

// An entity type is what the rule column holds: one or two characters.
bool CheckEntityType(const QString& type, TCliContext& ctx) {
    if (!type.isEmpty() && type.size() <= 2)
        return true;
    ctx.err << "Tip dokumenta je jedan ili dva znaka (npr. R): \"" << type << "\".\n";
    return false;
}

bool NoPositional(const TOptions& o, TCliContext& ctx) {
    if (o.positional.isEmpty())
        return true;
    ctx.err << "Nepoznat argument: " << o.positional.join(' ') << '\n';
    return false;
}

// ---- post ------------------------------------------------------------------------------

QJsonObject PostedJson(const TPostedPrecept& p) {
    return {{"preceptid", p.preceptId},
            {"number", p.number},
            {"foreigntable", p.foreignTable},
            {"foreignid", p.foreignId}};
}

int Post(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(raw, {"--module", "--type", "--id", "--to"}, {"--single", "--json"}, o,
                      ctx) ||
        !NoPositional(o, ctx))
        return kExitUsage;
    const QString module = o.Value("--module");
    int kind = 0;
    if (o.Has("--module") && (kind = ModuleKind(module, ctx)) == 0)
        return kExitUsage;
    const QString type = o.Value("--type").trimmed();
    if (o.Has("--type") && !CheckEntityType(type, ctx))
        return kExitUsage;
    qint64 id = 0;
    if (o.Has("--id")) {
        const auto given = PositiveId(o.Value("--id"));
        if (!given) {
            ctx.err << "Id dokumenta mora biti pozitivan ceo broj: \"" << o.Value("--id")
                    << "\".\n";
            return kExitUsage;
        }
        id = *given;
    }
    if ((o.Has("--type") || o.Has("--id")) && kind == 0) {
        ctx.err << "Uz --type i --id navedite i modul (--module).\n";
        return kExitUsage;
    }
    if (o.Has("--type") && o.Has("--id")) {
        ctx.err << "Izaberite ili tip dokumenta (--type) ili jedan dokument (--id).\n";
        return kExitUsage;
    }
    std::optional<QDate> to;
    if (o.Has("--to") && !(to = MyDateStrToDate(o.Value("--to").trimmed()))) {
        ctx.err << "Neispravan datum: " << o.Value("--to")
                << " (upišite npr. 2024-03-15 ili 15.3.2024.)\n";
        return kExitUsage;
    }

    TSession session;
    TFinancialDM& dm = session.dm;
    if (kind != 0)
        RequireAutomat(session.posting->AutoConter(), module);
    if (to) {
        const int year = dm.Options().FinancialYear;
        dm.AutoToDate = ClampToYear(*to, year);
        if (dm.AutoToDate != *to)
            ctx.err << "Datum " << DateToText(*to) << " nije u finansijskoj godini " << year
                    << ", pa se kontira do " << DateToText(dm.AutoToDate) << '\n';
    }

    // Each voucher is told as it is made, so a long run holds nothing in memory.
    const bool json = o.Has("--json");
    int posted = 0;
    auto closeJson = [&] {
        if (json)
            ctx.out << (posted ? "\n]\n" : "[]\n");
    };
    TAutoConterResult result;
    try {
        result = session.posting->AutoConter().Execute(
            o.Has("--single") || id > 0, kind, type, id, [&](TPostingRun& run) {
                run.KeepInList = false;
                run.OnPosted = [&](const TPostedPrecept& p) {
                    if (json)
                        ctx.out << (posted ? ",\n  " : "[\n  ")
                                << QJsonDocument(PostedJson(p)).toJson(QJsonDocument::Compact);
                    ++posted;
                };
            });
    } catch (const TError& e) {
        closeJson();
        ctx.err << e.Message() << '\n';
        if (posted > 0)
            ctx.err << "Pre greške je napravljeno naloga: " << posted << ".\n";
        return kExitRefused;
    }
    if (result.refused)
        return kExitRefused;  // the driver has said why
    if (json)
        closeJson();
    else
        ctx.out << "Napravljeno naloga: " << result.posted << '\n';
    return kExitOk;
}

// ---- post preview ----------------------------------------------------------------------

void PrintPreview(const TPostingPreview& p, bool json, QTextStream& out) {
    const TPreviewTotals totals = PreviewTotals(p);

    if (json) {
        QJsonArray variables, lines;
        for (const QString& v : p.variables) {
            const auto [name, value] = PreviewVariable(v);
            variables.append(QJsonObject{{"name", name}, {"value", value}});
        }
        QJsonObject header;
        for (const auto& [field, value] : p.header)
            header.insert(field, value);
        for (const TPreviewLine& l : p.lines)
            lines.append(
                QJsonObject{{"ContoCode", l.contoCode},
                            {"ContoNewCode", l.contoNewCode},
                            {"foreignid", l.foreignId ? QJsonValue(l.foreignId) : QJsonValue()},
                            {"description", l.description},
                            {"debit", l.debit},
                            {"credit", l.credit}});
        const QJsonObject o{{"variables", variables},
                            {"header", header},
                            {"lines", lines},
                            {"totals", QJsonObject{{"debit", totals.debit},
                                                   {"credit", totals.credit},
                                                   {"balanced", totals.Balanced()}}},
                            {"notes", QJsonArray::fromStringList(p.notes)}};
        out << QJsonDocument(o).toJson(QJsonDocument::Indented);
        return;
    }

    out << "Promenljive\n" << QStringLiteral("Naziv").leftJustified(32) << " Vrednost\n";
    for (const QString& v : p.variables) {
        const auto [name, value] = PreviewVariable(v);
        out << name.leftJustified(32) << ' ' << value << '\n';
    }
    out << "\nNalog\n" << QStringLiteral("Polje").leftJustified(18) << " Vrednost\n";
    for (const auto& [field, value] : p.header)
        out << PreviewHeaderLabel(field).leftJustified(18) << ' ' << value << '\n';
    out << "\nStavke\n";
    auto line = [&](const QString& code, const QString& codeNew, const QString& sub,
                    const QString& text, const QString& d, const QString& c) {
        out << code.leftJustified(9) << ' ' << codeNew.leftJustified(10) << ' '
            << sub.leftJustified(10) << ' ' << text.leftJustified(40, ' ', true) << ' '
            << d.rightJustified(15) << ' ' << c.rightJustified(15) << '\n';
    };
    line(QStringLiteral("Konto"), QStringLiteral("Novi konto"), QStringLiteral("Analitika"),
         QStringLiteral("Opis"), QStringLiteral("Duguje"), QStringLiteral("Potražuje"));
    for (const TPreviewLine& l : p.lines)
        line(l.contoCode, l.contoNewCode, l.foreignId ? QString::number(l.foreignId) : QString(),
             l.description, PreviewAmount(l.debit), PreviewAmount(l.credit));
    line({}, {}, {}, QStringLiteral("Ukupno"), PreviewAmount(totals.debit),
         PreviewAmount(totals.credit));
    out << PreviewBalanceText(totals) << '\n';
    if (!p.notes.isEmpty()) {
        out << "\nNapomene\n";
        for (const QString& n : p.notes)
            out << n << '\n';
    }
}

int Preview(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(raw, {"--module", "--id"}, {"--json"}, o, ctx) || !NoPositional(o, ctx))
        return kExitUsage;
    if (!o.Has("--module") || !o.Has("--id")) {
        ctx.err << "Navedite modul (--module) i id dokumenta (--id).\n";
        return kExitUsage;
    }
    const QString module = o.Value("--module");
    const int kind = ModuleKind(module, ctx);
    if (kind == 0)
        return kExitUsage;
    const auto id = PositiveId(o.Value("--id"));
    if (!id) {
        ctx.err << "Id dokumenta mora biti pozitivan ceo broj: \"" << o.Value("--id") << "\".\n";
        return kExitUsage;
    }

    TSession session;
    PrintPreview(PreviewDocument(session.dm, session.posting->AutoConter(), module, *id),
                 o.Has("--json"), ctx.out);
    return kExitOk;
}

int Reset(const QStringList& raw, TCliContext& ctx) {
    if (!raw.isEmpty()) {
        ctx.err << "Komanda ne prima argumente: " << raw.join(' ') << '\n';
        return kExitUsage;
    }
    TSession session;
    session.dm.ResetAutoConter();
    ctx.out << "Oznake auto kontiranja su obrisane.\n";
    return kExitOk;
}

int Pending(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(raw, {"--module", "--type"}, {"--json"}, o, ctx) || !NoPositional(o, ctx))
        return kExitUsage;
    int kind = 0;
    if (o.Has("--module") && (kind = ModuleKind(o.Value("--module"), ctx)) == 0)
        return kExitUsage;
    const QString type = o.Value("--type").trimmed();
    if (o.Has("--type") && (kind == 0 || !CheckEntityType(type, ctx))) {
        if (kind == 0)
            ctx.err << "Uz --type navedite i modul (--module).\n";
        return kExitUsage;
    }
    TSession session;
    if (kind != 0)
        RequireAutomat(session.posting->AutoConter(), o.Value("--module"));
    const auto waiting = session.posting->AutoConter().Waiting(kind, type);
    if (o.Has("--json")) {
        QJsonArray rows;
        for (const auto& w : waiting)
            rows.append(QJsonObject{{"module", w.module},
                                    {"id", w.id},
                                    {"date", DateToSql(w.date)},
                                    {"document", w.caption}});
        ctx.out << QJsonDocument(rows).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    auto row = [&](const QString& module, const QString& id, const QString& date,
                   const QString& document) {
        ctx.out << module.leftJustified(18) << id.rightJustified(8) << "  "
                << date.leftJustified(12) << document << '\n';
    };
    row(QStringLiteral("Modul"), QStringLiteral("Id"), QStringLiteral("Datum"),
        QStringLiteral("Dokument"));
    for (const auto& w : waiting)
        row(w.module, QString::number(w.id), DateToText(w.date), w.caption);
    return kExitOk;
}

// ---- rules -----------------------------------------------------------------------------

// --module and --type of a rule command, both required; false, with a message, when wrong.
bool ModuleAndType(const TOptions& o, bool typeNeeded, QString& module, QString& type,
                   TCliContext& ctx) {
    if (!o.Has("--module") || (typeNeeded && !o.Has("--type"))) {
        ctx.err << (typeNeeded ? "Navedite modul (--module) i tip dokumenta (--type).\n"
                               : "Navedite modul (--module).\n");
        return false;
    }
    module = o.Value("--module");
    type = o.Value("--type").trimmed();
    return ModuleKind(module, ctx) != 0 && (!typeNeeded || CheckEntityType(type, ctx));
}

TQuery& OpenRules(TFinancialDM& dm, const QString& module, const QString& type) {
    TQuery& rules = dm.FinancialiniZQ();
    rules.Close();
    rules.ParamByName(QStringLiteral("ModuleName")).SetValue(module);
    rules.ParamByName(QStringLiteral("EntityName")).SetValue(type);
    rules.Open();
    return rules;
}

int RulesList(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    QString module, type;
    if (!ParseOptions(raw, {"--module", "--type"}, {"--json"}, o, ctx) || !NoPositional(o, ctx) ||
        !ModuleAndType(o, true, module, type, ctx))
        return kExitUsage;
    TSession session;
    TQuery& rules = OpenRules(session.dm, module, type);
    if (o.Has("--json")) {
        QJsonArray rows;
        for (rules.First(); !rules.Eof(); rules.Next())
            rows.append(RecordJson(rules));
        ctx.out << QJsonDocument(rows).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    auto row = [&](const QString& id, const QString& conto, const QString& contoNew,
                   const QString& sub, const QString& debit, const QString& credit,
                   const QString& text) {
        ctx.out << id.rightJustified(6) << "  " << conto.leftJustified(9) << ' '
                << contoNew.leftJustified(10) << ' ' << sub.leftJustified(14) << ' '
                << debit.leftJustified(24) << ' ' << credit.leftJustified(24) << ' ' << text
                << '\n';
    };
    row(QStringLiteral("Id"), QStringLiteral("Konto"), QStringLiteral("Novi konto"),
        QStringLiteral("Analitika"), QStringLiteral("Duguje"), QStringLiteral("Potražuje"),
        QStringLiteral("Opis"));
    for (rules.First(); !rules.Eof(); rules.Next()) {
        auto f = [&](const char* n) {
            return rules.FieldByName(QString::fromLatin1(n)).AsString();
        };
        row(f("financialini"), f("conto"), f("contonew"), f("subaccount"), f("debitexp"),
            f("creditexp"), f("descriptionfmt"));
    }
    return kExitOk;
}

int RulesAdd(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    QString module, type;
    if (!ParseOptions(raw,
                      {"--module", "--type", "--conto", "--contonew", "--subaccount", "--debit",
                       "--credit", "--description"},
                      {}, o, ctx) ||
        !NoPositional(o, ctx) || !ModuleAndType(o, true, module, type, ctx))
        return kExitUsage;
    if (o.Value("--conto").trimmed().isEmpty()) {
        ctx.err << "Navedite konto pravila (--conto).\n";
        return kExitUsage;
    }
    RequireConter(module);
    TSession session;
    TQuery& rules = OpenRules(session.dm, module, type);
    // The new record gets the data module's defaults; posting it runs the expression check.
    rules.Append();
    try {
        auto set = [&](const char* option, const char* field) {
            if (o.Has(option))
                rules.FieldByName(QString::fromLatin1(field)).SetValue(o.Value(option));
        };
        set("--conto", "conto");
        set("--contonew", "contonew");
        set("--subaccount", "subaccount");
        set("--debit", "debitexp");
        set("--credit", "creditexp");
        set("--description", "descriptionfmt");
        rules.Post();
    } catch (...) {
        rules.Cancel();
        throw;
    }
    ctx.out << rules.FieldByName(QStringLiteral("financialini")).AsInteger() << '\n';
    return kExitOk;
}

int RulesDelete(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(raw, {}, {}, o, ctx))
        return kExitUsage;
    const auto id = o.positional.size() == 1 ? PositiveId(o.positional[0]) : std::nullopt;
    if (!id) {
        ctx.err << "Navedite id pravila (pozitivan ceo broj).\n";
        return kExitUsage;
    }
    TSession session;
    const TResultSet r = session.connection.Select(
        QStringLiteral("SELECT module, entitytype FROM financialini WHERE financialini = ?"),
        {*id});
    if (r.IsEmpty())
        throw TError(QStringLiteral("Pravilo %1 ne postoji.").arg(*id));
    TQuery& rules = OpenRules(session.dm, r.rows[0][0].toString(), r.rows[0][1].toString());
    if (!rules.Locate(QStringLiteral("financialini"), *id))
        throw TError(QStringLiteral("Pravilo %1 ne postoji.").arg(*id));
    rules.Delete();
    ctx.out << "Pravilo " << *id << " je obrisano.\n";
    return kExitOk;
}

int RulesCheck(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    QString module, type;
    if (!ParseOptions(raw, {"--module"}, {}, o, ctx) || !ModuleAndType(o, false, module, type, ctx))
        return kExitUsage;
    if (o.positional.size() != 1) {
        ctx.err << "Navedite jedan izraz (pod navodnicima kad ima razmake).\n";
        return kExitUsage;
    }
    RequireConter(module);
    // The check needs the module's names and the calculator, not the database.
    TFinancialDM dm;
    if (!CheckExpression(dm, module, o.positional[0])) {
        ctx.err << res::INV_EXP_ERR << ": \"" << o.positional[0] << "\"\n";
        return kExitRefused;
    }
    ctx.out << "Izraz je ispravan.\n";
    return kExitOk;
}

int RulesVars(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    QString module, type;
    if (!ParseOptions(raw, {"--module"}, {"--json"}, o, ctx) || !NoPositional(o, ctx) ||
        !ModuleAndType(o, false, module, type, ctx))
        return kExitUsage;
    RequireConter(module);
    TFinancialDM dm;
    QStringList names, descriptions;
    FillVars(dm, module, names, descriptions);
    if (o.Has("--json")) {
        QJsonArray rows;
        for (int i = 0; i < names.size(); ++i)
            rows.append(QJsonObject{{"name", names[i]}, {"description", descriptions.value(i)}});
        ctx.out << QJsonDocument(rows).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    ctx.out << QStringLiteral("Promenljiva").leftJustified(32) << " Opis\n";
    for (int i = 0; i < names.size(); ++i)
        ctx.out << names[i].leftJustified(32) << ' ' << descriptions.value(i) << '\n';
    return kExitOk;
}

int RulesVoucherType(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    QString module, type;
    if (!ParseOptions(raw, {"--module", "--type", "--set"}, {}, o, ctx) || !NoPositional(o, ctx) ||
        !ModuleAndType(o, true, module, type, ctx))
        return kExitUsage;
    std::optional<qint64> set;
    if (o.Has("--set") && !(set = PositiveId(o.Value("--set")))) {
        ctx.err << "Id tipa naloga mora biti pozitivan ceo broj: \"" << o.Value("--set") << "\".\n";
        return kExitUsage;
    }
    TSession session;
    TDBIniFile ini(&session.connection);
    auto describe = [&](qint64 id) {
        const TResultSet r = session.connection.Select(
            QStringLiteral("SELECT number, name FROM precepttype WHERE precepttypeid = ?"), {id});
        return r.IsEmpty()
                   ? std::optional<QString>()
                   : std::optional<QString>(r.rows[0][0].toString() + QStringLiteral(" - ") +
                                            r.rows[0][1].toString());
    };
    if (set) {
        if (!describe(*set))
            throw TError(QStringLiteral("Tip naloga %1 ne postoji.").arg(*set));
        ini.WriteInteger(module, type, *set);
    }
    const qint64 id = ini.ReadInteger(module, type, 1);
    const auto text = describe(id);
    ctx.out << module << ' ' << type << ": tip naloga " << id << " ("
            << text.value_or(QStringLiteral("ne postoji")) << ")\n";
    return kExitOk;
}

int RulesInstallStandard(const QStringList& raw, TCliContext& ctx) {
    if (!raw.isEmpty()) {
        ctx.err << "Komanda ne prima argumente: " << raw.join(' ') << '\n';
        return kExitUsage;
    }
    TSession session;
    ctx.out << "Dodato pravila: " << InstallStandardRules(session.dm) << '\n';
    return kExitOk;
}

const QString kModuleHelp = QStringLiteral(
    "MODUL je Dokument, Banka, \"Osnovna sredstva\" ili Proizvodnja; TIP je vrsta\n"
    "dokumenta modula (jedno ili dva slova, npr. R za račun).");

}  // namespace

QVector<TCliCommand> PostingCommands() {
    return {
        {{"post"},
         QStringLiteral("[--module MODUL] [--type TIP] [--id ID] [--single] [--to DATUM] [--json]"),
         QStringLiteral("Auto kontiranje: nalozi za dokumente koji čekaju kontiranje."),
         QStringLiteral("Bez --module kontiraju se svi moduli, po datumu dokumenata. --type\n"
                        "kontira samo jednu vrstu dokumenata modula, --id jedan dokument, a\n"
                        "--single samo prvi dokument na redu. --to je poslednji datum dokumenata\n"
                        "koji se kontiraju (podrazumevano 31. decembar finansijske godine; datum\n"
                        "van godine postaje 31. decembar). Ispisuje broj napravljenih naloga, a\n"
                        "sa --json svaki nalog (preceptid, number, foreigntable, foreignid).\n\n") +
             kModuleHelp,
         Post},
        {{"post", "preview"},
         QStringLiteral("--module MODUL --id ID [--json]"),
         QStringLiteral("Šta bi kontiranje jednog dokumenta dalo, bez upisa."),
         QStringLiteral("Ispisuje promenljive dokumenta redom kojim ih pravila zamenjuju,\n"
                        "zaglavlje i stavke naloga sa zbirovima, i napomene o pravilima koja ne\n"
                        "daju stavku. U bazu se ne upisuje ništa.\n\n") +
             kModuleHelp,
         Preview},
        {{"post", "pending"},
         QStringLiteral("[--module MODUL] [--type TIP] [--json]"),
         QStringLiteral("Dokumenti koji čekaju kontiranje, redom kojim bi se kontirali."),
         QStringLiteral("Ne kontira ništa: samo pokazuje šta bi \"post\" kontirao do datuma\n"
                        "kontiranja (31. decembar finansijske godine).\n\n") +
             kModuleHelp,
         Pending},
        {{"post", "reset"},
         {},
         QStringLiteral("Briše oznake auto kontiranja koje je ostavio prekinut rad."),
         {},
         Reset},
        {{"rules", "list"},
         QStringLiteral("--module MODUL --type TIP [--json]"),
         QStringLiteral("Pravila kontiranja modula i tipa dokumenta, redom kojim se primenjuju."),
         kModuleHelp,
         RulesList},
        {{"rules", "add"},
         QStringLiteral("--module MODUL --type TIP --conto KONTO [--contonew KONTO] "
                        "[--subaccount IZRAZ] [--debit IZRAZ] [--credit IZRAZ] "
                        "[--description FORMAT]"),
         QStringLiteral("Novo pravilo kontiranja, posle provere izraza; ispisuje njegov id."),
         QStringLiteral("Iznosi bez --debit i --credit su 0. Pravilo sa neispravnim izrazom se\n"
                        "ne upisuje.\n\n") +
             kModuleHelp,
         RulesAdd},
        {{"rules", "delete"},
         QStringLiteral("ID"),
         QStringLiteral("Briše pravilo kontiranja."),
         {},
         RulesDelete},
        {{"rules", "check"},
         QStringLiteral("--module MODUL IZRAZ"),
         QStringLiteral("Proverava izraz pravila za modul."),
         QStringLiteral("Izlazni kod je 0 za ispravan izraz, 1 za neispravan."),
         RulesCheck},
        {{"rules", "vars"},
         QStringLiteral("--module MODUL [--json]"),
         QStringLiteral("Promenljive koje pravila modula mogu da koriste, sa opisima."),
         {},
         RulesVars},
        {{"rules", "voucher-type"},
         QStringLiteral("--module MODUL --type TIP [--set ID]"),
         QStringLiteral("Tip naloga koji dobijaju automatski nalozi modula i tipa dokumenta."),
         QStringLiteral(
             "Bez --set ispisuje podešeni tip (podrazumevano 1), sa --set ga menja.\n\n") +
             kModuleHelp,
         RulesVoucherType},
        {{"rules", "install-standard"},
         {},
         QStringLiteral("Upisuje standardna pravila kontiranja dokumenata, izvoda i dnevnika "
                        "blagajne, radnih naloga i dokumenata osnovnih sredstava."),
         QStringLiteral("Postojeća pravila ostaju; ispisuje broj dodatih pravila."),
         RulesInstallStandard},
    };
}

}  // namespace fin
