#pragma once

#include "host/console/interfaces.h"

#include <QStringList>

namespace fin {

class TMainWindow;

struct TConsoleOptions {
    QString plugins;        // --plugins DIR
    QString screenshot;     // --screenshot FILE
    QStringList finds;      // --find KEY=VALUE: a search of the list before the picture
    QString voucher;        // --voucher ID: the picture is of the voucher editor on it
    QString rules;          // --rules MODULE:TYPE: the picture is of the rule editor on it
    bool autoPost = false;  // --auto: automatic posting of every waiting document first
    bool newChart = false;  // --new-chart: the picture is of the move to the new chart
    bool balance = false;   // --balance: the picture is of the balance screen, filled
    QString balanceTab;     // the tab pictured, by its name (BalanceSheet, ...)
    bool dayBook = false;   // --daybook: the picture is of the day book of the year
    QString printMore;      // --print-more TYPE: of the group print's list of that type
    bool help = false;
    QString error;  // wrong usage, in words for the user
};

TConsoleOptions ParseOptions(const QStringList& arguments);  // arguments[0] is the program
QString UsageText();

// Shows the window off-screen with the first snap-in chosen, after the searches and the
// automatic posting asked for, and saves it as a PNG; with a voucher, the picture is of the
// voucher editor on it, with rules of the posting-rule editor on that module and kind, with
// balance of the balance screen after "Prikaži", with the day book or the group print of
// their forms, and with the new chart of the mapping of the old chart onto it.
bool SaveScreenshot(TMainWindow& window, const TConsoleOptions& options,
                    const IConsolePtr& console);

// The console from start-up to exit: loads the plug-ins, shows the window (or takes the
// screenshot) and tears everything down in order. Returns the exit code.
int RunConsole(const TConsoleOptions& options);

}  // namespace fin
