#include <QGuiApplication>
#include <QTextStream>
#include <memory>

#include <unistd.h>

#include "console/cli/cli.h"

int main(int argc, char** argv) {
    // Printing to PDF lays text out with fonts, which takes a GUI application; everything
    // else runs without one, so the tool works where there is no display.
    bool prints = false;
    for (int i = 1; i + 1 < argc; ++i)
        if (qstrcmp(argv[i], "--format") == 0 && qstrcmp(argv[i + 1], "pdf") == 0)
            prints = true;
    if (prints && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app = prints ? std::make_unique<QGuiApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = fin::RunCli(app->arguments().mid(1), out, err, isatty(STDERR_FILENO) == 1);
    out.flush();
    err.flush();
    return code;
}
