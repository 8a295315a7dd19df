#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "console/cli/cli.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = fin::RunCli(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}
