#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <functional>
#include <map>
#include <string>

#include "accounts/accountbrowser.h"
#include "console/cli/cli.h"
#include "console/cli/session.h"
#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "host/report/reportengine.h"
#include "ledger/ledgercaptions.h"
#include "ledger/subaccounts.h"
#include "reports/accountcard.h"

namespace fin {

namespace {

// Options of one command: "--name value" pairs, bare flags and positional words.
struct TArgs {
    QStringList positional;
    QHash<QString, QString> values;
    QSet<QString> flags;

    // False, with a message, on an unknown option or a missing value.
    bool Parse(const QStringList& args, const QStringList& valued, const QStringList& bare,
               TCliContext& ctx) {
        for (int i = 0; i < args.size(); ++i) {
            const QString& a = args[i];
            if (!a.startsWith(QLatin1String("--"))) {
                positional << a;
            } else if (valued.contains(a)) {
                if (i + 1 >= args.size()) {
                    ctx.err << "Opciji " << a << " nedostaje vrednost.\n";
                    return false;
                }
                values.insert(a, args[++i]);
            } else if (bare.contains(a)) {
                flags.insert(a);
            } else {
                ctx.err << "Nepoznata opcija: " << a << '\n';
                return false;
            }
        }
        return true;
    }
};

enum class TFormat { Text, Csv, Json, Pdf, Xlsx };

bool ParseFormat(const QString& text, TFormat& format, TCliContext& ctx) {
    static const QVector<QPair<QString, TFormat>> formats{{QStringLiteral("text"), TFormat::Text},
                                                          {QStringLiteral("csv"), TFormat::Csv},
                                                          {QStringLiteral("json"), TFormat::Json},
                                                          {QStringLiteral("pdf"), TFormat::Pdf},
                                                          {QStringLiteral("xlsx"), TFormat::Xlsx}};
    if (text.isEmpty()) {
        format = TFormat::Text;
        return true;
    }
    for (const auto& [name, f] : formats)
        if (text == name) {
            format = f;
            return true;
        }
    ctx.err << "Nepoznat format: " << text << " (text, csv, json, pdf ili xlsx)\n";
    return false;
}

// A print of the command into a file: pdf or xlsx, into --output or the default name
// (given without extension).
void PrintToFile(TFormat format, const TArgs& args, const QString& defaultFile,
                 const QString& saved, TCliContext& ctx,
                 const std::function<void(TReportEngine&)>& print) {
    const bool pdf = format == TFormat::Pdf;
    const QString path = args.values.value(
        "--output", defaultFile + (pdf ? QStringLiteral(".pdf") : QStringLiteral(".xlsx")));
    TReportEngine engine;
    engine.SetOutput(pdf ? TReportOutput::Pdf : TReportOutput::Xlsx, path);
    print(engine);
    ctx.out << saved << ' ' << QFileInfo(path).absoluteFilePath() << '\n';
}

QString Amount(double value, TFormat format) {
    return FormatFloat(
        format == TFormat::Text ? QStringLiteral("#,##0.00") : QStringLiteral("0.00"), value,
        format == TFormat::Text ? TNumberStyle::Display : TNumberStyle::System);
}

QString CsvCell(QString text) {
    if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n'))) {
        text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

void CsvRow(QTextStream& out, const QStringList& cells) {
    QStringList quoted;
    for (const QString& c : cells)
        quoted << CsvCell(c);
    out << quoted.join(QLatin1Char(';')) << '\n';
}

bool CheckCode(const QString& code, TCliContext& ctx) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (digits.match(code).hasMatch())
        return true;
    ctx.err << res::CARD_CODE_ERR.arg(code) << '\n';
    return false;
}

int Card(const QStringList& raw, TCliContext& ctx) {
    TArgs args;
    if (!args.Parse(raw, {"--subaccount", "--from", "--to", "--format", "--output"},
                    {"--old-chart"}, ctx))
        return kExitUsage;
    if (args.positional.size() != 1) {
        ctx.err << "Navedite tačno jedan konto.\n";
        return kExitUsage;
    }
    TFormat format;
    if (!ParseFormat(args.values.value("--format"), format, ctx))
        return kExitUsage;
    const QString code = args.positional[0].trimmed();
    if (!CheckCode(code, ctx))
        return kExitRefused;
    const QString subaccount = args.values.value("--subaccount").trimmed();
    if (args.values.contains("--subaccount")) {
        bool ok = false;
        if (subaccount.toLongLong(&ok) <= 0 || !ok) {
            ctx.err << res::SUBACC_CODE_WRN << '\n';
            return kExitRefused;
        }
    }

    TSession session;
    const bool newChart = !args.flags.contains("--old-chart");
    session.dm.UseNewChart = newChart;
    TAccountDesc desc;
    (newChart ? desc.CodeNew : desc.Code) = code;
    if (!TAccountBrowser::GetAccountByCode(session.connection, desc, newChart)) {
        ctx.err << res::ACCOUNT_MISSING_ERR.arg(code) << '\n';
        return kExitRefused;
    }
    // The period is known before anything is read, so the card loads its lines once.
    TAccountCard card(session.dm);
    card.SetAccount(newChart ? desc.AccountNewID : desc.AccountID, subaccount);
    if (args.values.contains("--from"))
        card.From = args.values.value("--from");
    if (args.values.contains("--to"))
        card.To = args.values.value("--to");
    card.Show();

    const QString name = subaccount.isEmpty() ? desc.Name
                                              : session.dm.GetSubAccountName(
                                                    desc.AccountType, subaccount.toLongLong());
    TQuery& lines = card.Lines();
    if (format == TFormat::Pdf || format == TFormat::Xlsx) {
        // The print heads the card with the account's row, so the chart's list stands on it.
        TAccountBrowser browser(session.dm);
        browser.ContoText = code;
        browser.Search();
        browser.Accounts().Locate(QStringLiteral("code"), code);
        PrintToFile(format, args,
                    QStringLiteral("kartica-%1%2")
                        .arg(code, subaccount.isEmpty() ? QString() : "-" + subaccount),
                    QStringLiteral("Kartica je sačuvana u"), ctx, [&](TReportEngine& engine) {
                        engine.ExecuteAccountReport(browser.Accounts(), lines, name, card.From,
                                                    card.To, subaccount);
                    });
        return kExitOk;
    }

    // Resolved once: the card may have a hundred thousand lines.
    std::map<std::string, TField*> fields;
    for (const char* f :
         {"preceptid", "preceptdate", "number", "description", "debit", "credit", "balance"})
        fields[f] = &lines.FieldByName(QString::fromLatin1(f));
    auto value = [&](const char* field) -> TField& { return *fields.at(field); };
    auto money = [](double v) { return BetterRoundTo(v, -2); };
    if (format == TFormat::Json) {
        QJsonArray rows;
        for (lines.First(); !lines.Eof(); lines.Next()) {
            // The opening row stands for many vouchers, so it names none.
            const bool opening = lines.RecNo() == card.PreviousBalanceRow();
            rows.append(QJsonObject{
                {"preceptid", opening ? QJsonValue() : QJsonValue(value("preceptid").AsInteger())},
                {"preceptdate", DateToSql(value("preceptdate").AsDate())},
                {"number", value("number").AsString()},
                {"description", value("description").AsString()},
                {"debit", money(value("debit").AsFloat())},
                {"credit", money(value("credit").AsFloat())},
                {"balance", money(value("balance").AsFloat())},
            });
        }
        const QJsonObject doc{
            {"code", code},
            {"name", name},
            {"subaccount", subaccount},
            {"from", card.From},
            {"to", card.To},
            {"openingRow", card.PreviousBalanceRow() > 0},
            {"lines", rows},
            {"totals", QJsonObject{{"debit", money(card.TotalDebit())},
                                   {"credit", money(card.TotalCredit())},
                                   {"balance", money(card.TotalBalance())}}},
        };
        ctx.out << QJsonDocument(doc).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    if (format == TFormat::Csv) {
        CsvRow(ctx.out, {"preceptdate", "number", "description", "debit", "credit", "balance"});
        for (lines.First(); !lines.Eof(); lines.Next())
            CsvRow(ctx.out,
                   {DateToSql(value("preceptdate").AsDate()), value("number").AsString(),
                    value("description").AsString(), Amount(value("debit").AsFloat(), format),
                    Amount(value("credit").AsFloat(), format),
                    Amount(value("balance").AsFloat(), format)});
        CsvRow(ctx.out,
               {QString(), QString(), QStringLiteral("Ukupno"), Amount(card.TotalDebit(), format),
                Amount(card.TotalCredit(), format), Amount(card.TotalBalance(), format)});
        return kExitOk;
    }
    ctx.out << "Konto " << code << ' ' << desc.Name << '\n';
    if (!subaccount.isEmpty())
        ctx.out << "Analitika " << subaccount << ' ' << name << '\n';
    ctx.out << "Period: " << DateToText(*MyDateStrToDate(card.From)) << " - "
            << DateToText(*MyDateStrToDate(card.To)) << "\n\n";
    auto line = [&](const QString& date, const QString& number, const QString& text,
                    const QString& d, const QString& c, const QString& b) {
        ctx.out << date.leftJustified(12) << number.leftJustified(16)
                << text.leftJustified(36, ' ', true) << ' ' << d.rightJustified(17) << ' '
                << c.rightJustified(17) << ' ' << b.rightJustified(17) << '\n';
    };
    line("Datum", "Broj", "Opis", "Duguje", "Potražuje", "Saldo");
    for (lines.First(); !lines.Eof(); lines.Next())
        line(DateToText(value("preceptdate").AsDate()), value("number").AsString(),
             value("description").AsString(), Amount(value("debit").AsFloat(), format),
             Amount(value("credit").AsFloat(), format), Amount(value("balance").AsFloat(), format));
    line({}, {}, QStringLiteral("Ukupno"), Amount(card.TotalDebit(), format),
         Amount(card.TotalCredit(), format), Amount(card.TotalBalance(), format));
    return kExitOk;
}

int Accounts(const QStringList& raw, TCliContext& ctx) {
    TArgs args;
    if (!args.Parse(raw, {"--prefix", "--format", "--output"}, {"--values", "--old-chart"}, ctx))
        return kExitUsage;
    if (!args.positional.isEmpty()) {
        ctx.err << "Nepoznat argument: " << args.positional.first() << '\n';
        return kExitUsage;
    }
    TFormat format;
    if (!ParseFormat(args.values.value("--format"), format, ctx))
        return kExitUsage;
    if (args.values.contains("--output") && format != TFormat::Pdf && format != TFormat::Xlsx) {
        ctx.err << "Opcija --output važi za formate pdf i xlsx.\n";
        return kExitUsage;
    }
    const QString prefix = args.values.value("--prefix").trimmed();
    if (!prefix.isEmpty() && !CheckCode(prefix, ctx))
        return kExitRefused;
    const bool values = args.flags.contains("--values");

    TSession session;
    session.dm.UseNewChart = !args.flags.contains("--old-chart");
    TAccountBrowser browser(session.dm);
    browser.ContoText = prefix;
    browser.AccountValuesShow = values;
    browser.Search();
    TQuery& accounts = browser.Accounts();
    if (format == TFormat::Pdf || format == TFormat::Xlsx) {
        PrintToFile(
            format, args,
            values ? QStringLiteral("kontni-plan-vrednosti") : QStringLiteral("kontni-plan"),
            QStringLiteral("Izveštaj je sačuvan u"), ctx, [&](TReportEngine& engine) {
                engine.ExecuteChartReport(accounts, {}, browser.PrintSubtitles());
            });
        return kExitOk;
    }
    // Rows are read where they stand: moving the cursor would load each account's
    // sub-accounts, which the list does not print.
    auto column = [&](const char* name) {
        return accounts.FieldByName(QString::fromLatin1(name)).Index();
    };
    const int codeAt = column("code"), nameAt = column("name"), typeAt = column("type");
    const int debitAt = values ? column("debit") : -1, creditAt = values ? column("credit") : -1,
              balanceAt = values ? column("balance") : -1;
    const int count = accounts.RecordCount();
    auto at = [&](int rec, int index) { return accounts.RecordValue(rec, index); };

    if (format == TFormat::Json) {
        QJsonArray rows;
        for (int rec = 1; rec <= count; ++rec) {
            QJsonObject row{{"code", at(rec, codeAt).toString()},
                            {"name", at(rec, nameAt).toString()},
                            {"type", at(rec, typeAt).toString()}};
            if (values) {
                row.insert("debit", at(rec, debitAt).toDouble());
                row.insert("credit", at(rec, creditAt).toDouble());
                row.insert("balance", at(rec, balanceAt).toDouble());
            }
            rows.append(row);
        }
        ctx.out << QJsonDocument(rows).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    QStringList header = format == TFormat::Csv
                             ? QStringList{"code", "name", "type", "debit", "credit", "balance"}
                             : QStringList{"Konto", "Naziv", "Tip", "Duguje", "Potražuje", "Saldo"};
    if (!values)
        header = header.mid(0, 3);
    auto textRow = [&](const QStringList& cells) {
        ctx.out << cells[0].leftJustified(10) << cells[1].leftJustified(44, ' ', true) << ' '
                << cells[2].leftJustified(16, ' ', true);
        if (cells.size() > 3)
            ctx.out << ' ' << cells[3].rightJustified(17) << ' ' << cells[4].rightJustified(17)
                    << ' ' << cells[5].rightJustified(17);
        ctx.out << '\n';
    };
    if (format == TFormat::Csv)
        CsvRow(ctx.out, header);
    else
        textRow(header);
    for (int rec = 1; rec <= count; ++rec) {
        const QString type = at(rec, typeAt).toString();
        QStringList cells{at(rec, codeAt).toString(), at(rec, nameAt).toString(),
                          format == TFormat::Csv ? type : session.dm.GetTypeCaption(type)};
        if (values)
            cells << Amount(at(rec, debitAt).toDouble(), format)
                  << Amount(at(rec, creditAt).toDouble(), format)
                  << Amount(at(rec, balanceAt).toDouble(), format);
        if (format == TFormat::Csv)
            CsvRow(ctx.out, cells);
        else
            textRow(cells);
    }
    return kExitOk;
}

// "KONTO[:ANALITIKA]" as an account of the chart, its sub-account checked as a number; false,
// with a message, when the code or the sub-account is no good or the account is missing.
bool CardAccount(TSession& session, const QString& given, bool newChart, TAccountDesc& desc,
                 TCliContext& ctx) {
    const QString code = given.section(QLatin1Char(':'), 0, 0).trimmed();
    const QString subaccount =
        given.contains(QLatin1Char(':')) ? given.section(QLatin1Char(':'), 1).trimmed() : QString();
    if (!CheckCode(code, ctx))
        return false;
    if (given.contains(QLatin1Char(':'))) {
        bool ok = false;
        if (subaccount.toLongLong(&ok) <= 0 || !ok) {
            ctx.err << res::SUBACC_CODE_WRN << '\n';
            return false;
        }
    }
    (newChart ? desc.CodeNew : desc.Code) = code;
    if (!TAccountBrowser::GetAccountByCode(session.connection, desc, newChart)) {
        ctx.err << res::ACCOUNT_MISSING_ERR.arg(code) << '\n';
        return false;
    }
    desc.SubaccountCode = subaccount;
    return true;
}

int CardTransfer(const QStringList& raw, TCliContext& ctx) {
    TArgs args;
    if (!args.Parse(raw, {"--target", "--from", "--to"}, {"--old-chart"}, ctx))
        return kExitUsage;
    if (args.positional.size() != 1 || !args.values.contains("--target")) {
        ctx.err << "Navedite konto čije se stavke prenose i --target sa kontom na koji se "
                   "prenose.\n";
        return kExitUsage;
    }
    TSession session;
    const bool newChart = !args.flags.contains("--old-chart");
    session.dm.UseNewChart = newChart;
    TAccountDesc source, target;
    if (!CardAccount(session, args.positional[0], newChart, source, ctx) ||
        !CardAccount(session, args.values.value("--target"), newChart, target, ctx))
        return kExitRefused;
    // The pick list offers only sub-accounts that exist.
    if (!target.SubaccountCode.isEmpty() &&
        !TAccountBrowser::GetSubAccountByCode(session.dm, target, newChart)) {
        ctx.err << "Konto " << (newChart ? target.CodeNew : target.Code) << " nema analitiku "
                << target.SubaccountCode << ".\n";
        return kExitRefused;
    }
    // The lines the card shows for the period are the ones that move.
    TAccountCard card(session.dm);
    card.SetAccount(newChart ? source.AccountNewID : source.AccountID, source.SubaccountCode);
    if (args.values.contains("--from"))
        card.From = args.values.value("--from");
    if (args.values.contains("--to"))
        card.To = args.values.value("--to");
    card.Show();
    const int moved = card.TransferLines(target);
    ctx.out << res::TRANSFER_ITEMS_INF << " Prenetih stavki: " << moved << ".\n";
    return kExitOk;
}

int SubaccountTypeAdd(const QStringList& raw, TCliContext& ctx) {
    TArgs args;
    if (!args.Parse(raw, {}, {}, ctx))
        return kExitUsage;
    if (args.positional.size() != 1) {
        ctx.err << "Navedite ime novog tipa konta (pod navodnicima kad ima razmake).\n";
        return kExitUsage;
    }
    const QString name = args.positional[0].trimmed();
    TSession session;
    const QString refusal = CheckSubaccountTypeName(&session.connection, name);
    if (!refusal.isEmpty()) {
        ctx.err << refusal << '\n';
        return kExitRefused;
    }
    if (!CreateSubaccountTable(session.connection, name)) {
        ctx.err << res::SUB_CREATE_ERR << '\n';
        return kExitRefused;
    }
    ctx.out << "Tip konta \"" << name << "\" je dodat (tabela " << kSubaccountPrefix
            << EncodeSubaccStr(name) << ").\n";
    return kExitOk;
}

}  // namespace

QVector<TCliCommand> AccountCommands() {
    return {
        {{"card"},
         QStringLiteral("KONTO [--subaccount ID] [--from DATUM] [--to DATUM] [--old-chart] "
                        "[--format text|csv|json|pdf|xlsx] [--output DATOTEKA]"),
         QStringLiteral("Kartica konta: stavke proknjiženih naloga sa saldom i zbirovima."),
         QStringLiteral(
             "Stavke počinju 1. januara finansijske godine i idu do datuma --to; stavke pre\n"
             "datuma --from su sabrane u red \"Prethodno stanje\". Datumi su iz finansijske\n"
             "godine (2024-03-15 ili 15.3.2024.). Bez --old-chart važi novi kontni plan.\n"
             "Formati pdf i xlsx štampaju karticu u datoteku --output (podrazumevano\n"
             "kartica-KONTO.pdf, odnosno kartica-KONTO.xlsx)."),
         Card},
        {{"card", "transfer"},
         QStringLiteral("KONTO[:ANALITIKA] --target KONTO[:ANALITIKA] [--from DATUM] [--to DATUM] "
                        "[--old-chart]"),
         QStringLiteral("Prenos stavki kartice konta na drugi konto, kao \"Prenos\" na kartici."),
         QStringLiteral(
             "Prenose se stavke koje kartica prikazuje za period (bez reda \"Prethodno\n"
             "stanje\"): dobijaju konto i analitiku iz --target (bez analitike je nemaju).\n"
             "Kada je uključena opcija ChangePreceptItemDescription, opis stavke postaje naziv\n"
             "novog konta. Datumi su iz finansijske godine; bez --old-chart važi novi kontni\n"
             "plan. Prenos je jedna transakcija: sve stavke ili nijedna."),
         CardTransfer},
        {{"subaccount-type", "add"},
         QStringLiteral("IME"),
         QStringLiteral("Novi korisnički tip konta sa svojom tabelom analitika."),
         QStringLiteral(
             "Ime ne sme imati znakove _ - % ' , ( ) niti postojati (bez obzira na velika i\n"
             "mala slova); razmaci i slova š i ž se u imenu tabele zapisuju posebno. Tabela\n"
             "analitika tipa je prazna; konto tog tipa dobija analitike iz nje."),
         SubaccountTypeAdd},
        {{"accounts"},
         QStringLiteral("[--prefix PREFIKS] [--values] [--old-chart] "
                        "[--format text|csv|json|pdf|xlsx] [--output DATOTEKA]"),
         QStringLiteral("Kontni plan, po želji sa prometom i saldom godine."),
         QStringLiteral(
             "Sa --values uz svaki konto stoje duguje, potražuje i saldo proknjiženih naloga\n"
             "finansijske godine; u starom kontnom planu konto obuhvata i svoja analitička\n"
             "konta, u novom samo sebe. Prefiks sme da sadrži samo cifre. Formati pdf i\n"
             "xlsx idu u datoteku --output (podrazumevano kontni-plan.pdf, odnosno\n"
             "kontni-plan-vrednosti.xlsx sa --values)."),
         Accounts},
    };
}

}  // namespace fin
