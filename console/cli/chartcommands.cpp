#include <QJsonArray>
#include <QJsonDocument>

#include "accounts/accountbrowser.h"
#include "accounts/newchart.h"
#include "console/cli/cliutil.h"
#include "console/cli/session.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "ledger/ledgercaptions.h"

namespace fin {

namespace {

int Unmapped(const QStringList& args, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(args, {}, {"--json"}, o, ctx))
        return kExitUsage;
    if (!o.positional.isEmpty()) {
        ctx.err << "Nepoznat argument: " << o.positional.first() << '\n';
        return kExitUsage;
    }
    TSession session;
    TNewChartTransfer transfer(session.dm);
    transfer.LoadOldAccounts();
    TQuery& rows = transfer.OldAccounts();
    if (o.Has("--json")) {
        QJsonArray out;
        for (rows.First(); !rows.Eof(); rows.Next()) {
            QJsonObject row = RecordJson(rows);
            row.insert(QStringLiteral("recommended"),
                       RecommendedNewCode(rows.FieldByName(QStringLiteral("code")).AsString()));
            out.append(row);
        }
        ctx.out << QJsonDocument(out).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    auto line = [&](const QString& code, const QString& name, const QString& type,
                    const QString& balance, const QString& recommended) {
        ctx.out << code.leftJustified(10) << name.leftJustified(44, ' ', true) << ' '
                << type.leftJustified(16, ' ', true) << ' ' << balance.rightJustified(17) << "  "
                << recommended << '\n';
    };
    line(QStringLiteral("Konto"), QStringLiteral("Naziv"), QStringLiteral("Tip"),
         QStringLiteral("Saldo"), QStringLiteral("Preporučeno"));
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const QString code = rows.FieldByName(QStringLiteral("code")).AsString();
        line(code, rows.FieldByName(QStringLiteral("name")).AsString(),
             rows.FieldByName(QStringLiteral("type")).DisplayText(),
             FormatFloat(QStringLiteral("#,##0.00"),
                         rows.FieldByName(QStringLiteral("balance")).AsFloat(),
                         TNumberStyle::Display),
             RecommendedNewCode(code));
    }
    return kExitOk;
}

// An account of one chart by its code, which must name exactly one.
bool FindAccount(TSession& session, const QString& code, bool newChart, TChartAccount& account,
                 TCliContext& ctx) {
    TAccountDesc desc;
    (newChart ? desc.CodeNew : desc.Code) = code;
    if (!TAccountBrowser::GetAccountByCode(session.connection, desc, newChart)) {
        ctx.err << (newChart ? "U novom kontnom planu nema tačno jednog konta sa šifrom \""
                             : "U starom kontnom planu nema tačno jednog konta sa šifrom \"")
                << code << "\".\n";
        return false;
    }
    account = {newChart ? desc.AccountNewID : desc.AccountID, code, desc.Name, desc.AccountType};
    return true;
}

int Transfer(const QStringList& args, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(args, {}, {"--recommended"}, o, ctx))
        return kExitUsage;
    const bool recommended = o.Has("--recommended");
    if (recommended ? !o.positional.isEmpty() : o.positional.size() != 2) {
        ctx.err << "Navedite ili stari i novi konto, ili samo --recommended.\n";
        return kExitUsage;
    }
    TSession session;
    TNewChartTransfer transfer(session.dm);
    const int year = session.dm.Options().FinancialYear;
    if (recommended) {
        const TChartTransferResult r = transfer.TransferRecommended();
        ctx.out << "Preneto po preporuci (" << year << "): konta " << r.accounts << ", stavki "
                << r.lines << "; pravila kontiranja dobila novi konto: " << r.rules << ".\n";
        auto list = [&](const char* what, const QStringList& codes) {
            if (!codes.isEmpty())
                ctx.out << what << ": " << codes.join(QStringLiteral(", ")) << '\n';
        };
        list("Bez preporuke (prenose se pojedinačno)", r.noRecommendation);
        list("Preporučeni novi konto ne postoji", r.noNewAccount);
        list("Različita vrsta analitike", r.typeMismatch);
        return kExitOk;
    }
    TChartAccount from, to;
    if (!FindAccount(session, o.positional[0].trimmed(), false, from, ctx) ||
        !FindAccount(session, o.positional[1].trimmed(), true, to, ctx))
        return kExitRefused;
    TChartTransferResult r;
    // A refusal has said why on standard error.
    if (!transfer.Transfer(from, to, &r))
        return kExitRefused;
    ctx.out << "Konto " << from.code << " prenet na " << to.code << " (" << year << "): stavki "
            << r.lines << ", pravila kontiranja " << r.rules << ".\n";
    return kExitOk;
}

}  // namespace

QVector<TCliCommand> ChartCommands() {
    return {
        {{"chart", "unmapped"},
         QStringLiteral("[--json]"),
         QStringLiteral("Stari konti čije stavke finansijske godine još nemaju novi konto."),
         QStringLiteral(
             "Konti starog kontnog plana sa stavkama proknjiženih naloga finansijske godine\n"
             "bez konta novog plana, po šifri, sa saldom tih stavki i preporučenim novim\n"
             "kontom (prazno kada ga tabela preporuka nema)."),
         Unmapped},
        {{"chart", "transfer"},
         QStringLiteral("STARI NOVI | --recommended"),
         QStringLiteral("Prenos stavki godine i pravila kontiranja na novi kontni plan."),
         QStringLiteral(
             "STARI NOVI: stavke proknjiženih naloga finansijske godine sa starim kontom\n"
             "dobijaju novi konto, a sva pravila kontiranja starog konta novi konto (i kada\n"
             "su imala drugi). Oba konta moraju imati istu vrstu analitike.\n"
             "--recommended: svaki stari konto sa stavkama bez novog konta prelazi na konto\n"
             "koji preporučuje ugrađena tabela, kada taj konto postoji i ima istu vrstu\n"
             "analitike; pravila kontiranja dobijaju preporučeni konto samo kada novi konto\n"
             "nemaju. Prenos je jedna transakcija: sve ili ništa."),
         Transfer},
    };
}

}  // namespace fin
