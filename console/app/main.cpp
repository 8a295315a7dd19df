#include <QApplication>
#include <cstdio>
#include <cstring>

#include "console/app/consoleapp.h"
#include "host/ui/qtuiservice.h"

int main(int argc, char** argv) {
    // Help needs no display, so it is answered before the window system is opened.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(fin::UsageText().toUtf8().constData(), stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    const fin::TConsoleOptions options = fin::ParseOptions(QApplication::arguments());
    fin::TQtUiService ui;
    // A screenshot run never waits for a user: its messages go to standard error.
    if (options.screenshot.isEmpty())
        fin::SetUi(&ui);
    const int result = fin::RunConsole(options);
    fin::SetUi(nullptr);
    return result;
}
