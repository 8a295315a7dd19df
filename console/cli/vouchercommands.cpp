#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "console/cli/cli.h"
#include "console/cli/cliutil.h"
#include "console/cli/session.h"
#include "host/common/captions.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "host/report/reportengine.h"
#include "journal/preceptedit.h"
#include "journal/preceptsearch.h"
#include "ledger/ledgercaptions.h"

namespace fin {

namespace {

// Amounts on the command line are system text: digits and one decimal point.
double ParseAmount(const QString& text) {
    bool ok = false;
    const QString t = text.trimmed();
    const double value = t.isEmpty() ? 0 : t.toDouble(&ok);
    if (!t.isEmpty() && (!ok || t.contains(QLatin1Char(','))))
        throw TError(QStringLiteral("Iznos \"%1\" nije ispravan; upišite ga sa decimalnom tačkom, "
                                    "npr. 1234.56.")
                         .arg(text));
    return value;
}

QJsonArray LinesJson(TDataSet& lines) {
    QJsonArray rows;
    for (lines.First(); !lines.Eof(); lines.Next())
        rows.append(RecordJson(lines));
    return rows;
}

void OpenLines(TFinancialDM& dm, const QVariant& preceptId) {
    TQuery& lines = dm.PreceptItemZQ();
    lines.Close();
    lines.ParamByName(QStringLiteral("IDPrecept")).SetValue(preceptId);
    lines.SetIndexFieldNames(QStringLiteral("sort"));
    lines.Open();
    dm.FillSubcontoNames();
}

void Load(TFinancialDM& dm, const QString& idText) {
    const qint64 id = ParseId(idText, QStringLiteral("Id naloga"));
    if (!LoadPrecept(dm, id))
        throw TError(QStringLiteral("Nalog %1 ne postoji.").arg(id));
}

void PrintVoucher(TFinancialDM& dm, bool json, QTextStream& out) {
    TQuery& header = dm.PreceptZQ();
    OpenLines(dm, header.FieldByName(QStringLiteral("preceptid")).Value());
    TQuery& lines = dm.PreceptItemZQ();
    if (json) {
        QJsonObject o = RecordJson(header);
        o.insert(QStringLiteral("lines"), LinesJson(lines));
        out << QJsonDocument(o).toJson(QJsonDocument::Indented);
        return;
    }
    auto f = [&](TDataSet& ds, const char* name) {
        return ds.FieldByName(QString::fromLatin1(name)).DisplayText();
    };
    out << "Nalog " << f(header, "number") << " (" << f(header, "PreceptType") << "), id "
        << f(header, "preceptid") << '\n'
        << "Datum: " << f(header, "preceptdate")
        << "  Datum knjiženja: " << f(header, "registerdate") << "  Status: "
        << (header.FieldByName(QStringLiteral("status")).AsString() == QLatin1String("p")
                ? res::DOC_REG_STATUS_CAPTION
                : res::DOC_NOT_REG_STATUS_CAPTION)
        << '\n';
    if (!f(header, "description").isEmpty())
        out << "Opis: " << f(header, "description") << '\n';
    out << '\n';
    auto line = [&](const QString& sort, const QString& code, const QString& sub,
                    const QString& text, const QString& debit, const QString& credit) {
        out << sort.rightJustified(4) << "  " << code.leftJustified(8) << sub.leftJustified(10)
            << text.leftJustified(40, ' ', true) << ' ' << debit.rightJustified(15) << ' '
            << credit.rightJustified(15) << '\n';
    };
    line(QStringLiteral("R.b."), QStringLiteral("Konto"), QStringLiteral("Analitika"),
         QStringLiteral("Opis"), QStringLiteral("Duguje"), QStringLiteral("Potražuje"));
    for (lines.First(); !lines.Eof(); lines.Next())
        line(f(lines, "sort"),
             f(lines, "ContoNewCode").isEmpty() ? f(lines, "ContoCode") : f(lines, "ContoNewCode"),
             f(lines, "foreignid"), f(lines, "description"),
             FormatFloat(QStringLiteral("#,##0.00"), lines.FieldByName("debit").AsFloat()),
             FormatFloat(QStringLiteral("#,##0.00"), lines.FieldByName("credit").AsFloat()));
}

// "CODE[:SUBACCOUNT];DEBIT;CREDIT[;TEXT]"; CODE is "OLD/NEW" in 2014.
void AddLine(TFinancialDM& dm, const QString& given) {
    const QStringList parts = given.split(QLatin1Char(';'));
    if (parts.size() < 3)
        throw TError(QStringLiteral("Stavka \"%1\" treba da ima oblik KONTO[:ANALITIKA];DUGUJE;"
                                    "POTRAŽUJE[;OPIS].")
                         .arg(given));
    QString code = parts[0].trimmed(), sub;
    if (const int colon = code.indexOf(QLatin1Char(':')); colon >= 0) {
        sub = code.mid(colon + 1);
        code.truncate(colon);
    }
    QString oldCode, newCode;
    const int year = dm.Options().FinancialYear;
    if (year == 2014 && code.contains(QLatin1Char('/'))) {
        oldCode = code.section(QLatin1Char('/'), 0, 0);
        newCode = code.section(QLatin1Char('/'), 1);
    } else {
        (dm.NewChartYear() ? newCode : oldCode) = code;
    }
    const double debit = ParseAmount(parts[1]), credit = ParseAmount(parts[2]);
    TQuery& lines = dm.PreceptItemZQ();
    lines.Append();
    try {
        auto resolve = [&](const QString& typed, const char* codeField, const char* idField) {
            if (typed.isEmpty())
                return;
            lines.FieldByName(QString::fromLatin1(codeField)).SetValue(typed);
            if (lines.FieldByName(QString::fromLatin1(idField)).AsInteger() <= 0)
                throw TError(res::ACCOUNT_MISSING_ERR.arg(typed));
        };
        resolve(oldCode, "ContoCode", "accountid");
        resolve(newCode, "ContoNewCode", "accountnewid");
        if (!sub.isEmpty())
            lines.FieldByName(QStringLiteral("foreignid"))
                .SetValue(ParseId(sub, QStringLiteral("Analitika")));
        lines.FieldByName(QStringLiteral("debit")).SetValue(debit);
        lines.FieldByName(QStringLiteral("credit")).SetValue(credit);
        if (parts.size() > 3)
            lines.FieldByName(QStringLiteral("description"))
                .SetValue(parts.mid(3).join(QLatin1Char(';')).left(100));
        lines.Post();
    } catch (...) {
        lines.Cancel();
        throw;
    }
}

int VoucherAdd(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(
            raw, {"--type", "--date", "--register-date", "--number", "--description", "--line"},
            {"--json"}, o, ctx))
        return kExitUsage;
    if (!o.Has("--type") || !o.positional.isEmpty()) {
        ctx.err << "Navedite --type i nijedan argument bez opcije.\n";
        return kExitUsage;
    }
    TSession session;
    TFinancialDM& dm = session.dm;
    const qint64 type = ParseId(o.Value("--type"), QStringLiteral("Tip naloga"));
    if (session.connection
            .SelectValue(QStringLiteral("SELECT COUNT(*) FROM precepttype WHERE "
                                        "precepttypeid = ?"),
                         {type})
            .toInt() != 1)
        throw TError(QStringLiteral("Tip naloga %1 ne postoji.").arg(type));
    TQuery& header = dm.PreceptZQ();
    header.Open();
    header.Append();
    header.FieldByName(QStringLiteral("precepttypeid")).SetValue(type);
    const QDate date = o.Has("--date") ? ParseDate(o.Value("--date"))
                                       : header.FieldByName(QStringLiteral("preceptdate")).AsDate();
    header.FieldByName(QStringLiteral("preceptdate")).SetValue(date);
    header.FieldByName(QStringLiteral("registerdate"))
        .SetValue(o.Has("--register-date") ? ParseDate(o.Value("--register-date")) : date);
    header.FieldByName(QStringLiteral("number"))
        .SetValue(o.Has("--number") ? o.Value("--number") : dm.GetPreceptNum(date, 0, type));
    if (o.Has("--description"))
        header.FieldByName(QStringLiteral("description")).SetValue(o.Value("--description"));

    TPreceptEditor editor(dm);
    QStringList given = o.values.values(QStringLiteral("--line"));
    std::reverse(given.begin(), given.end());  // a multi-hash hands them back newest first
    for (const QString& line : given)
        AddLine(dm, line);
    editor.Save();
    if (o.Has("--json")) {
        ctx.out << QJsonDocument(
                       QJsonObject{{"preceptid", header.FieldByName("preceptid").AsInteger()},
                                   {"number", header.FieldByName("number").AsString()}})
                       .toJson(QJsonDocument::Compact)
                << '\n';
    } else {
        ctx.out << header.FieldByName(QStringLiteral("preceptid")).AsInteger() << '\t'
                << header.FieldByName(QStringLiteral("number")).AsString() << '\n';
    }
    return kExitOk;
}

// Commands on one voucher given by its id: false, with a message, on wrong usage.
bool OneVoucher(const QStringList& raw, const QStringList& flags, TOptions& o, TCliContext& ctx) {
    if (!ParseOptions(raw, {}, flags, o, ctx))
        return false;
    if (o.positional.size() != 1) {
        ctx.err << "Navedite id naloga.\n";
        return false;
    }
    return true;
}

int VoucherShow(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!OneVoucher(raw, {"--json"}, o, ctx))
        return kExitUsage;
    TSession session;
    Load(session.dm, o.positional[0]);
    PrintVoucher(session.dm, o.Has("--json"), ctx.out);
    return kExitOk;
}

int VoucherList(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(raw,
                      {"--type", "--number", "--from", "--to", "--status", "--description",
                       "--group", "--source", "--format", "--output"},
                      {"--json"}, o, ctx))
        return kExitUsage;
    const auto format = ReportFormatOption(o, ctx);
    if (!format)
        return kExitUsage;
    TPreceptSearch s;
    s.precepttype = o.Value("--type");
    s.number = o.Value("--number");
    s.datefrom = o.Value("--from");
    s.dateto = o.Value("--to");
    s.description = o.Value("--description");
    if (o.Has("--status")) {
        const QString st = o.Value("--status");
        if (st != QLatin1String("p") && st != QLatin1String("n")) {
            ctx.err << "Status je p (proknjižen) ili n (neproknjižen).\n";
            return kExitUsage;
        }
        s.status = st == QLatin1String("p") ? res::DOC_REG_STATUS_CAPTION
                                            : res::DOC_NOT_REG_STATUS_CAPTION;
    }
    if (o.Has("--group")) {
        const QString g = o.Value("--group");
        if (g != QLatin1String("yes") && g != QLatin1String("no")) {
            ctx.err << "Grupni nalog je yes ili no.\n";
            return kExitUsage;
        }
        s.groupprecept = g == QLatin1String("yes") ? PRE_GROUP_PRECEPT_Y : PRE_GROUP_PRECEPT_N;
    }
    if (o.Has("--source")) {
        const QString src = o.Value("--source");
        s.foreignTable = src.section(QLatin1Char(':'), 0, 0);
        s.foreignId = ParseId(src.section(QLatin1Char(':'), 1), QStringLiteral("Id temeljnice"));
        s.relatedentity = src;
    }
    TSession session;
    FindPrecepts(session.dm, s);
    TQuery& list = session.dm.PreceptZQ();
    if (*format == TReportFormat::Json) {
        ctx.out << QJsonDocument(LinesJson(list)).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    if (*format != TReportFormat::Text) {
        EmitReport(*format, o.Value("--output"), QStringLiteral("nalozi"), ctx,
                   [&](TReportEngine& engine) {
                       engine.ExecutePreceptListReport(list, {}, SearchConditions(s));
                   });
        return kExitOk;
    }
    auto row = [&](const QString& id, const QString& number, const QString& type,
                   const QString& date, const QString& status, const QString& text) {
        ctx.out << id.rightJustified(7) << "  " << number.leftJustified(16)
                << type.leftJustified(24, ' ', true) << ' ' << date.leftJustified(11) << ' '
                << status.leftJustified(14) << text << '\n';
    };
    row(QStringLiteral("Id"), QStringLiteral("Broj"), QStringLiteral("Tip"),
        QStringLiteral("Datum"), QStringLiteral("Status"), QStringLiteral("Opis"));
    for (list.First(); !list.Eof(); list.Next()) {
        auto f = [&](const char* n) {
            return list.FieldByName(QString::fromLatin1(n)).DisplayText();
        };
        row(f("preceptid"), f("number"), f("PreceptType"), f("preceptdate"), f("status"),
            f("description"));
    }
    return kExitOk;
}

int SetStatus(const QStringList& raw, TCliContext& ctx, bool registering) {
    TOptions o;
    if (!OneVoucher(raw, {}, o, ctx))
        return kExitUsage;
    TSession session;
    Load(session.dm, o.positional[0]);
    TPreceptEditor editor(session.dm);
    if (!(registering ? editor.Register() : editor.Unregister()))
        return kExitRefused;
    ctx.out << "Nalog " << session.dm.PreceptZQ().FieldByName(QStringLiteral("number")).AsString()
            << (registering ? " je proknjižen.\n" : " je otknjižen.\n");
    return kExitOk;
}

int VoucherCopy(const QStringList& raw, TCliContext& ctx) {
    TOptions o;
    if (!OneVoucher(raw, {"--json"}, o, ctx))
        return kExitUsage;
    TSession session;
    Load(session.dm, o.positional[0]);
    TPreceptEditor editor(session.dm);
    const qint64 id = editor.Copy();
    if (id <= 0)
        throw TError(QStringLiteral("Nalog %1 nije kopiran.").arg(o.positional[0]));
    const QString number =
        session.connection
            .SelectValue(QStringLiteral("SELECT number FROM precept WHERE preceptid = ?"), {id})
            .toString();
    if (o.Has("--json"))
        ctx.out << QJsonDocument(QJsonObject{{"preceptid", id}, {"number", number}})
                       .toJson(QJsonDocument::Compact)
                << '\n';
    else
        ctx.out << id << '\t' << number << '\n';
    return kExitOk;
}

}  // namespace

QVector<TCliCommand> VoucherCommands() {
    return {
        {{"voucher", "add"},
         QStringLiteral("--type ID [--date D] [--register-date D] [--number N] [--description T] "
                        "--line \"KONTO[:ANALITIKA];DUGUJE;POTRAŽUJE[;OPIS]\"... [--json]"),
         QStringLiteral("Novi nalog sa stavkama, po pravilima naloga."),
         QStringLiteral("Bez --number nalog dobija predloženi broj za svoj datum i tip. KONTO je\n"
                        "šifra konta aktivnog kontnog plana, a u 2014. STARI/NOVI. Iznosi imaju\n"
                        "decimalnu tačku. Nalog i sve stavke se upisuju zajedno ili nijedan."),
         VoucherAdd},
        {{"voucher", "show"},
         QStringLiteral("ID [--json]"),
         QStringLiteral("Zaglavlje i stavke jednog naloga."),
         {},
         VoucherShow},
        {{"voucher", "list"},
         QStringLiteral("[--type IME] [--number PREFIKS] [--from D] [--to D] [--status p|n] "
                        "[--description PREFIKS] [--group yes|no] [--source TABELA:ID] "
                        "[--format text|csv|json|pdf|xlsx] [--output DATOTEKA]"),
         QStringLiteral("Nalozi po uslovima pretrage, najnoviji prvi."),
         QStringLiteral(
             "Formati text i json (isto što i --json) idu na standardni izlaz, csv takođe\n"
             "osim uz --output; pdf i xlsx u datoteku --output (podrazumevano nalozi.pdf,\n"
             "odnosno nalozi.xlsx). Uslovi pretrage stoje ispod naslova izveštaja."),
         VoucherList},
        {{"voucher", "copy"},
         QStringLiteral("ID [--json]"),
         QStringLiteral("Kopija naloga sa stavkama, kao \"Kopiraj\" u editoru naloga."),
         QStringLiteral("Kopija je neproknjižena, sa današnjim datumom u finansijskoj godini i\n"
                        "predloženim brojem za taj datum i tip, bez veze sa izvornim dokumentom i\n"
                        "bez nadnaloga. Nalog i sve stavke se upisuju zajedno ili nijedan.\n"
                        "Ispisuje id i broj kopije; --json isto kao objekat."),
         VoucherCopy},
        {{"voucher", "register"},
         QStringLiteral("ID"),
         QStringLiteral("Proknjižava nalog, uz sve provere editora naloga."),
         {},
         [](const QStringList& a, TCliContext& c) { return SetStatus(a, c, true); }},
        {{"voucher", "unregister"},
         QStringLiteral("ID"),
         QStringLiteral("Otknjižava nalog, uz sve provere editora naloga."),
         {},
         [](const QStringList& a, TCliContext& c) { return SetStatus(a, c, false); }},
    };
}

}  // namespace fin
