#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "console/cli/cli.h"
#include "console/cli/cliutil.h"
#include "console/cli/session.h"
#include "host/common/textformat.h"
#include "journal/closingcaptions.h"
#include "journal/yearclosing.h"

namespace fin {

namespace {

QString OutcomeName(TClosingResult::TOutcome outcome) {
    switch (outcome) {
        case TClosingResult::TOutcome::Written:
            return QStringLiteral("written");
        case TClosingResult::TOutcome::NoAccounts:
            return QStringLiteral("noaccounts");
        case TClosingResult::TOutcome::Refused:
            break;
    }
    return QStringLiteral("refused");
}

QJsonObject ResultJson(const TClosingResult& r) {
    QJsonObject o{{"description", r.description}, {"outcome", OutcomeName(r.outcome)}};
    if (r.Written()) {
        QJsonArray items;
        for (qint64 id : r.itemIds)
            items.append(id);
        o.insert(QStringLiteral("preceptid"), r.preceptId);
        o.insert(QStringLiteral("number"), r.number);
        o.insert(QStringLiteral("preceptdate"), DateToSql(r.date));
        o.insert(QStringLiteral("items"), items);
    } else {
        o.insert(QStringLiteral("message"), r.message);
    }
    return o;
}

// The vouchers written, one row each, or every result as JSON. The screen's information
// box does not reach the command line, so "nothing to close" is told here.
int Report(const QVector<TClosingResult>& results, bool json, bool many, TCliContext& ctx) {
    bool written = false, refused = false;
    for (const TClosingResult& r : results) {
        written = written || r.Written();
        refused = refused || r.outcome == TClosingResult::TOutcome::Refused;
        if (r.outcome == TClosingResult::TOutcome::NoAccounts)
            ctx.err << (many ? r.description + QStringLiteral(": ") : QString()) << r.message
                    << '\n';
    }
    if (json) {
        QJsonArray all;
        for (const TClosingResult& r : results)
            all.append(ResultJson(r));
        ctx.out << (many ? QJsonDocument(all) : QJsonDocument(all.first().toObject()))
                       .toJson(QJsonDocument::Compact)
                << '\n';
    } else if (written) {
        ctx.out << QStringLiteral("Id").rightJustified(8) << "  "
                << QStringLiteral("Broj").leftJustified(16)
                << QStringLiteral("Datum").leftJustified(12)
                << QStringLiteral("Stavki").rightJustified(7) << "  Opis\n";
        for (const TClosingResult& r : results)
            if (r.Written())
                ctx.out << QString::number(r.preceptId).rightJustified(8) << "  "
                        << r.number.leftJustified(16) << DateToSql(r.date).leftJustified(12)
                        << QString::number(r.itemIds.size()).rightJustified(7) << "  "
                        << r.description << '\n';
    }
    return written && !refused ? kExitOk : kExitRefused;
}

// Options of one job; false, with a message, on wrong usage.
bool JobOptions(const QStringList& args, int positional, TOptions& o, TCliContext& ctx) {
    if (!ParseOptions(args, {"--date"}, {"--json"}, o, ctx))
        return false;
    if (o.positional.size() != positional) {
        ctx.err << (positional ? "Navedite klasu: 5, 6 ili 7.\n" : "Višak argumenata.\n");
        return false;
    }
    return true;
}

int RunJob(TClosingJob job, const TOptions& o, TCliContext& ctx) {
    const QDate date = o.Has("--date") ? ParseDate(o.Value("--date")) : QDate();
    TSession session;
    return Report({TYearClosing(session.dm).Run(job, date)}, o.Has("--json"), false, ctx);
}

int CloseClass(const QStringList& args, TCliContext& ctx) {
    TOptions o;
    if (!JobOptions(args, 1, o, ctx))
        return kExitUsage;
    const QString digit = o.positional.first().trimmed();
    TClosingJob job;
    if (digit == QLatin1String("5"))
        job = TClosingJob::Class5;
    else if (digit == QLatin1String("6"))
        job = TClosingJob::Class6;
    else if (digit == QLatin1String("7"))
        job = TClosingJob::Class7;
    else {
        ctx.err << "Zatvaraju se samo klase 5, 6 i 7, ne \"" << digit << "\".\n";
        return kExitUsage;
    }
    return RunJob(job, o, ctx);
}

int CloseYear(const QStringList& args, TCliContext& ctx) {
    TOptions o;
    return JobOptions(args, 0, o, ctx) ? RunJob(TClosingJob::CloseYear, o, ctx) : kExitUsage;
}

int OpenYear(const QStringList& args, TCliContext& ctx) {
    TOptions o;
    return JobOptions(args, 0, o, ctx) ? RunJob(TClosingJob::OpenYear, o, ctx) : kExitUsage;
}

int CloseAll(const QStringList& args, TCliContext& ctx) {
    TOptions o;
    if (!ParseOptions(args, {}, {"--json"}, o, ctx))
        return kExitUsage;
    if (!o.positional.isEmpty()) {
        ctx.err << "Višak argumenata.\n";
        return kExitUsage;
    }
    TSession session;
    return Report(TYearClosing(session.dm).RunAll(), o.Has("--json"), true, ctx);
}

const QString kClosingDetails = QStringLiteral(
    "Saldo svakog konta i analitike iz proknjiženih naloga finansijske godine se\n"
    "zatvara stavkom na suprotnoj strani, a razlika po klasama ide na konto protivstavke.\n"
    "Nalog se pravi neproknjižen; proknjižite ga kada ga pregledate. Ponovljeno\n"
    "zatvaranje, dok prvi nalog nije proknjižen, pravi još jedan sa istim iznosima\n"
    "i upozorava na to.\n"
    "--date D daje drugi datum naloga u finansijskoj godini. --json ispisuje id naloga,\n"
    "broj i id-ove stavki.\n"
    "Izlazni kod 1 kada nema šta da se zatvori ili kada nalog nije napravljen.");

}  // namespace

QVector<TCliCommand> CloseCommands() {
    return {
        {{"close", "class"},
         QStringLiteral("5|6|7 [--date D] [--json]"),
         QStringLiteral("Zatvara klasu 5, 6 ili 7 nalogom tipa 27 na dan 31. decembra."),
         kClosingDetails +
             QStringLiteral("\nKlase 5 i 6 se zatvaraju na 5990 i 6990, a rezultat se prenosi "
                            "na 7100\n(konta x9y osim x990 na 7110); klasa 7 na 7300."),
         CloseClass},
        {{"close", "year"},
         QStringLiteral("[--date D] [--json]"),
         QStringLiteral("Zatvara konta stanja (sve klase osim 5, 6 i 7) nalogom tipa 28."),
         kClosingDetails + QStringLiteral("\nKonto protivstavke je 7300."),
         CloseYear},
        {{"open", "year"},
         QStringLiteral("[--date D] [--json]"),
         QStringLiteral("Otvara sledeću godinu saldima konta stanja, nalogom tipa 29 na dan "
                        "1. januara."),
         QStringLiteral(
             "Salda konta stanja (sve klase osim 5, 6 i 7) iz proknjiženih naloga\n"
             "finansijske godine prenose se na iste strane, a razlika po klasama na "
             "7000.\n--date D daje drugi datum naloga u sledećoj godini. --json ispisuje id "
             "naloga,\nbroj i id-ove stavki."),
         OpenYear},
        {{"close", "all"},
         QStringLiteral("[--json]"),
         QStringLiteral("Zatvara klase 5, 6 i 7 i godinu, pa otvara sledeću, tim redom."),
         QStringLiteral("Svaki korak je zaseban nalog i radi kao da je izabran sam: korak bez\n"
                        "konta ili odbijen korak ne zaustavlja ostale. Izlazni kod 1 kada\n"
                        "nijedan nalog nije napravljen ili je neki korak odbijen."),
         CloseAll},
    };
}

}  // namespace fin
