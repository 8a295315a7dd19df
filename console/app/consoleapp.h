#pragma once

#include <QStringList>

namespace fin {

class TMainWindow;

struct TConsoleOptions {
    QString plugins;     // --plugins DIR
    QString screenshot;  // --screenshot FILE
    bool help = false;
    QString error;  // wrong usage, in words for the user
};

TConsoleOptions ParseOptions(const QStringList& arguments);  // arguments[0] is the program
QString UsageText();

// Shows the window off-screen with the first snap-in chosen and saves it as a PNG.
bool SaveScreenshot(TMainWindow& window, const QString& file);

// The console from start-up to exit: loads the plug-ins, shows the window (or takes the
// screenshot) and tears everything down in order. Returns the exit code.
int RunConsole(const TConsoleOptions& options);

}  // namespace fin
