#pragma once

// What every benchmark needs: its output, numbers the Serbian way, clocks, the statements a
// session sent and databases made once and kept.

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "host/common/textformat.h"
#include "host/db/connection.h"

namespace fin {

inline QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

inline QString Num(double v, const char* pattern = "#,##0") {
    return FormatFloat(QString::fromLatin1(pattern), v, TNumberStyle::Display);
}

inline double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Statements this session sent, as the server counts them (the count includes the
// statement that reads it).
inline qint64 Questions(TConnection& c) {
    return c
        .SelectValue(QStringLiteral("SELECT VARIABLE_VALUE FROM information_schema."
                                    "SESSION_STATUS WHERE VARIABLE_NAME = 'QUESTIONS'"))
        .toLongLong();
}

// The environment's server, on another database.
inline TConnectionSettings On(const QString& database) {
    TConnectionSettings s = TConnectionSettings::FromEnvironment();
    s.database = database;
    return s;
}

// Makes the database when it is missing, saying so; true when the caller is to fill it.
// A filled database is kept for the next runs.
inline bool CreateDatabaseOnce(const QString& database, const QString& what = {}) {
    TConnection admin(On(QString()));
    admin.Open();
    if (admin
            .SelectValue(QStringLiteral("SELECT COUNT(*) FROM information_schema.SCHEMATA WHERE "
                                        "SCHEMA_NAME = ?"),
                         {database})
            .toInt() > 0)
        return false;
    Out() << "Pravim bazu " << database << (what.isEmpty() ? QString() : QLatin1Char(' ') + what)
          << " (jednom)...\n";
    Out().flush();
    admin.ExecuteDirect(
        QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci")
            .arg(TConnection::QuoteIdentifier(database)));
    return true;
}

// A benchmark's main: Qt's application object, then the run; an error is told on standard
// error under the program's name and ends the run with 1.
inline int BenchMain(int argc, char** argv, int (*run)()) {
    QCoreApplication app(argc, argv);
    try {
        return run();
    } catch (const TError& e) {
        std::fprintf(stderr, "%s: %s\n",
                     QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toUtf8().constData(),
                     e.Message().toUtf8().constData());
        return 1;
    }
}

}  // namespace fin
