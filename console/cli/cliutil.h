#pragma once

#include <QJsonObject>
#include <QMultiHash>
#include <QStringList>
#include <optional>

#include "console/cli/cli.h"

namespace fin {

class TDataSet;

// "--name value" options and bare flags of one command; each may repeat ("--line").
struct TOptions {
    QStringList positional;
    QMultiHash<QString, QString> values;
    QString Value(const char* name) const { return values.value(QString::fromLatin1(name)); }
    bool Has(const char* name) const { return values.contains(QString::fromLatin1(name)); }
};

// False, with a message, on an unknown option or a missing value.
bool ParseOptions(const QStringList& args, const QStringList& valued, const QStringList& flags,
                  TOptions& out, TCliContext& ctx);

// A positive whole number, or none.
std::optional<qint64> PositiveId(const QString& text);
// The same, refused with a message naming what it is.
qint64 ParseId(const QString& text, const QString& what);

// A date as people or the database write it, refused with a message otherwise.
QDate ParseDate(const QString& text);

// The current record as an object keyed by column name: numbers as numbers, dates as
// "yyyy-mm-dd", null as null.
QJsonObject RecordJson(TDataSet& ds);

}  // namespace fin
