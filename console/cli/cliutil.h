#pragma once

#include <QDate>
#include <QJsonObject>
#include <QMultiHash>
#include <QStringList>
#include <functional>
#include <optional>

#include "console/cli/cli.h"

namespace fin {

class TDataSet;
class TReportEngine;

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

// The outputs of the report commands.
enum class TReportFormat { Text, Csv, Json, Pdf, Xlsx };

// --format (text, csv, json, pdf, xlsx), --json and --output of a report command; none, with
// a message, when they do not fit together.
std::optional<TReportFormat> ReportFormatOption(const TOptions& options, TCliContext& ctx);

// --from and --to as typed dates; false, with a message, on a text that is no date.
bool PeriodOptions(const TOptions& options, std::optional<QDate>& from, std::optional<QDate>& to,
                   TCliContext& ctx);

// Runs a print through the report engine into the format (not JSON): pdf and xlsx into
// --output or the default file name (given without extension), csv into --output or
// standard output, text to standard output.
void EmitReport(TReportFormat format, const QString& output, const QString& defaultFile,
                TCliContext& ctx, const std::function<void(TReportEngine&)>& print);

}  // namespace fin
