#pragma once

#include <QStringList>
#include <QTextStream>
#include <functional>

#include <memory>
#include "host/ui/progressline.h"

#include "host/ui/uiservice.h"

namespace fin {

// Exit codes of the command-line tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  // the rules said no; the message says why
inline constexpr int kExitUsage = 2;

struct TCliContext {
    QTextStream& out;
    QTextStream& err;
    bool errIsTerminal = false;  // standard error is a terminal a person watches
};

// Progress of a long job on the command's standard error.
class TCliProgress : public TProgressLine {
public:
    TCliProgress(TCliContext& context, QString label)
        : TProgressLine(
              [&context](const QString& text) {
                  context.err << text;
                  context.err.flush();
              },
              context.errIsTerminal, std::move(label)) {}
};

// The UI service while a command runs: messages go to the command's error stream, every
// question is answered yes (the command itself is the user's decision), and progress is a
// progress line on standard error.
class TCliUi : public TStdErrUiService {
public:
    explicit TCliUi(TCliContext& context);
    ~TCliUi() override;
    TCliUi(const TCliUi&) = delete;
    TCliUi& operator=(const TCliUi&) = delete;

    void ShowMessage(TMessageType type, const QString& text) override;
    TAnswer Ask(const QString& text, TButtons buttons, TMessageType type) override;
    void ProgressStart(const QString& caption, int total) override;
    bool ProgressStep(int position, const QString& text) override;
    void ProgressFinish() override;

private:
    TCliContext& ctx_;
    IUiService* previous_;
    std::unique_ptr<TCliProgress> progress_;
    int total_ = 0;
};

// One command: its words ("db init"), what it takes and what it does.
struct TCliCommand {
    QStringList words;
    QString arguments;  // synopsis after the words, e.g. "CODE SUBACCOUNT DATE"
    QString summary;
    QString details;
    std::function<int(const QStringList& args, TCliContext& context)> run;
};

// The tool's commands; each area keeps its own in a file of its own.
QVector<TCliCommand>& CliCommands();
QVector<TCliCommand> DbCommands();
QVector<TCliCommand> OptionsCommands();
QVector<TCliCommand> AccountCommands();
QVector<TCliCommand> ChartCommands();
QVector<TCliCommand> BalanceCommands();
QVector<TCliCommand> StatementCommands();
QVector<TCliCommand> VoucherCommands();
QVector<TCliCommand> BulkVoucherCommands();
QVector<TCliCommand> DayBookCommands();
QVector<TCliCommand> PostingCommands();
QVector<TCliCommand> CloseCommands();
QVector<TCliCommand> CheckCommands();

// Runs the tool on its arguments (without the program name).
int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err,
           bool errIsTerminal = false);

}  // namespace fin
