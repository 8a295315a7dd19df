#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include "console/cli/cli.h"

namespace fin::test {

// Runs the command-line tool in this process and keeps what the last run printed.
struct TCliRun {
    QString out, err;
    int operator()(const QStringList& args) {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        const int rc = RunCli(args, o, e);
        o.flush();
        e.flush();
        return rc;
    }
};

}  // namespace fin::test
