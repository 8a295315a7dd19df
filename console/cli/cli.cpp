#include "console/cli/cli.h"

#include <QDate>

#include "console/cli/session.h"
#include "host/common/textformat.h"
#include "ledger/financialdm.h"
#include "reports/accounttotals.h"

namespace fin {

namespace {

const QString kProgram = QStringLiteral("finansije");

QString Usage(const TCliCommand& c) {
    return (kProgram + QLatin1Char(' ') + c.words.join(QLatin1Char(' ')) + QLatin1Char(' ') +
            c.arguments)
        .trimmed();
}

void PrintOverview(QTextStream& out) {
    out << "Upotreba: " << kProgram << " <oblast> <radnja> [opcije]\n\n"
        << "Komande:\n";
    for (const TCliCommand& c : CliCommands())
        out << "  " << Usage(c).leftJustified(44) << ' ' << c.summary << '\n';
    out << "\nVeza sa bazom: FINANSIJE_DB_HOST, FINANSIJE_DB_PORT, FINANSIJE_DB_SOCKET,\n"
        << "FINANSIJE_DB_USER, FINANSIJE_DB_PASSWORD, FINANSIJE_DB_NAME.\n"
        << "Pomoć za komandu: " << kProgram << " <komanda> --help\n";
}

void PrintCommandHelp(const TCliCommand& c, QTextStream& out) {
    out << "Upotreba: " << Usage(c) << "\n\n" << c.summary << '\n';
    if (!c.details.isEmpty())
        out << '\n' << c.details << '\n';
}

int Saldo(const QStringList& args, TCliContext& ctx) {
    if (args.size() != 3) {
        ctx.err << "Potrebna su tri argumenta: KONTO ANALITIKA DATUM.\n";
        return kExitUsage;
    }
    const QString code = args[0].trimmed();
    bool ok = false;
    const int subaccount = args[1].toInt(&ok);
    if (code.isEmpty()) {
        ctx.err << "Konto nije naveden.\n";
        return kExitUsage;
    }
    if (!ok) {
        ctx.err << "Analitika mora biti ceo broj (0 za konto bez analitike): " << args[1] << '\n';
        return kExitUsage;
    }
    const auto date = MyDateStrToDate(args[2]);
    if (!date) {
        ctx.err << "Neispravan datum: " << args[2] << " (upišite npr. 2024-03-15 ili 15.3.2024.)\n";
        return kExitUsage;
    }
    TSession session;
    const TTurnover t = ExtSaldo(session.dm, code, subaccount, *date);
    ctx.out << FormatFloat(QStringLiteral("0.00"), t.debit, TNumberStyle::System) << '\t'
            << FormatFloat(QStringLiteral("0.00"), t.credit, TNumberStyle::System) << '\n';
    return kExitOk;
}

}  // namespace

QVector<TCliCommand>& CliCommands() {
    static QVector<TCliCommand> commands = [] {
        QVector<TCliCommand> all = DbCommands();
        all += OptionsCommands();
        all += AccountCommands();
        all += ChartCommands();
        all += BalanceCommands();
        all += StatementCommands();
        all += VoucherCommands();
        all += BulkVoucherCommands();
        all += DayBookCommands();
        all += PostingCommands();
        all += CloseCommands();
        all += CheckCommands();
        all += QVector<TCliCommand>{
            {{"saldo"},
             QStringLiteral("KONTO ANALITIKA DATUM"),
             QStringLiteral("Duguje i potražuje konta od 1. januara do datuma."),
             QStringLiteral(
                 "Ispisuje dugovni i potražni promet proknjiženih naloga, odvojene tabulatorom,\n"
                 "sa decimalnom tačkom. Pre 2014. godine konto obuhvata i svoja analitička konta\n"
                 "(osim kada je zadata analitika); od 2014. važi tačan konto novog kontnog plana.\n"
                 "ANALITIKA je id analitike ili 0. DATUM: 2024-03-15 ili 15.3.2024."),
             Saldo},
        };
        return all;
    }();
    return commands;
}

TCliUi::TCliUi(TCliContext& context) : ctx_(context), previous_(&Ui()) {
    SetUi(this);
}

TCliUi::~TCliUi() {
    progress_.reset();
    SetUi(previous_);
}

void TCliUi::ShowMessage(TMessageType type, const QString& text) {
    if (type == TMessageType::Information)
        return;
    // A progress line in place is ended first, so the message stands on a line of its own.
    if (progress_)
        progress_->Finish();
    QString line = text;
    ctx_.err << line.replace(QStringLiteral("\n\r"), QStringLiteral(" ")) << '\n';
    ctx_.err.flush();
}

TAnswer TCliUi::Ask(const QString&, TButtons buttons, TMessageType) {
    return buttons == TButtons::Ok || buttons == TButtons::OkCancel ? TAnswer::Ok : TAnswer::Yes;
}

void TCliUi::ProgressStart(const QString& caption, int total) {
    progress_ = std::make_unique<TCliProgress>(ctx_, caption);
    total_ = total;
}

bool TCliUi::ProgressStep(int position, const QString& text) {
    if (!progress_)
        return true;
    progress_->Step(position, total_, text);
    return true;
}

void TCliUi::ProgressFinish() {
    progress_.reset();
    total_ = 0;
}

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err, bool errIsTerminal) {
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help") ||
        arguments.first() == QLatin1String("-h")) {
        PrintOverview(arguments.isEmpty() ? err : out);
        return arguments.isEmpty() ? kExitUsage : kExitOk;
    }
    // The longest run of words that names a command.
    const TCliCommand* found = nullptr;
    for (const TCliCommand& c : CliCommands()) {
        if (arguments.size() >= c.words.size() && arguments.mid(0, c.words.size()) == c.words &&
            (!found || c.words.size() > found->words.size()))
            found = &c;
    }
    if (!found) {
        err << "Nepoznata komanda: " << arguments.join(' ') << "\n\n";
        PrintOverview(err);
        return kExitUsage;
    }
    const QStringList rest = arguments.mid(found->words.size());
    if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h"))) {
        PrintCommandHelp(*found, out);
        return kExitOk;
    }
    TCliContext context{out, err, errIsTerminal};
    const TCliUi ui(context);
    try {
        return found->run(rest, context);
    } catch (const TError& e) {
        err << e.Message() << '\n';
        return kExitRefused;
    }
}

}  // namespace fin
