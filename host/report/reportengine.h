#pragma once

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

class QTextStream;
class QWidget;

namespace fin {

class TDataSet;

// What a report shows, independent of how it is shown: printed, previewed or exported.
struct TReportTable {
    QString caption;
    QStringList titles;     // full column titles; CSV and plain text use these
    QVector<bool> numeric;  // right-aligned columns, numbers in a spreadsheet
    QVector<bool> dates;    // date columns, dates in a spreadsheet
    QStringList formats;    // a numeric column's display format ("#,##0.00"), or empty
    QVector<QStringList> rows;
    QVector<QStringList> rawRows;  // the same cells as system text, for CSV and spreadsheets
    QStringList totals;            // empty when the table has no totals row
    QStringList rawTotals;         // the totals as system text

    // A row of titles over runs of columns, left to right: a title and the number of
    // columns it spans. Under a title the columns show their short titles; a column under
    // an empty title keeps its full title over both rows. Empty: one row of titles.
    QVector<QPair<QString, int>> headerGroups;
    QStringList shortTitles;
    // Per row: set off in bold (recapitulations, grand totals). Empty: no row is.
    QVector<bool> emphasised;
    // Per row: the caption of a section that begins with it, printed on a row of its own
    // before it. Empty: no sections.
    QStringList sections;
};

struct TReportDocument {
    QString title;
    QStringList subtitles;                    // period and other texts under the title
    QVector<QPair<QString, QString>> header;  // label and text of a record shown above
    QVector<TReportTable> tables;
    bool landscape = false;  // printed across the page whatever its width

    QString ToHtml() const;
    // Aligned columns for a terminal: numbers right-aligned, long texts cut short.
    QString ToPlainText() const;
};

enum class TReportOutput { Preview, Pdf, Csv, Document, Xlsx };

// Rows handed over one at a time, so that a report of any length is printed as it is read:
// the feed calls the sink once per row with the values of the report's columns, in order.
using TRowSink = std::function<void(const QVector<QVariant>& values)>;
using TRowFeed = std::function<void(const TRowSink& row)>;

// Writes a report as PDF, CSV or XLSX; a file is replaced whole or not at all.
void ExportReportPdf(const TReportDocument& document, const QString& path);
void ExportReportCsv(const TReportDocument& document, const QString& path);
void ExportReportXlsx(const TReportDocument& document, const QString& path);
// The text ExportReportCsv writes: the main table's full titles and system-text rows.
QByteArray ReportCsv(const TReportDocument& document);

class TReportEngine;

// "Izvoz u Excel" of a screen: asks for the file (the title proposed, ".xlsx" added when
// the name has none) and runs the print into it, so the workbook holds what the print
// would; cancel writes nothing, an error is shown. True when the file was written.
bool ExportToExcel(const QString& title, const std::function<void(TReportEngine&)>& print);

// Every print of the module goes through here: the caller hands over open datasets and the
// texts of the report, and the engine previews, prints or exports.
class TReportEngine {
public:
    explicit TReportEngine(QWidget* owner = nullptr) : owner_(owner) {}

    // Where the next reports go; a file path for Pdf, Csv and Xlsx.
    void SetOutput(TReportOutput output, const QString& path = {});
    const TReportDocument& LastDocument() const { return last_; }

    void ExecutePreceptReport(TDataSet& precept, TDataSet& items, const QString& title,
                              const QString& date, const QString& relatedEntity);
    void ExecutePreceptNewReport(TDataSet& precept, TDataSet& items, const QString& title,
                                 const QString& date, const QString& relatedEntity);
    // Rows of a group voucher (the voucher's header fields, its lines, their ItemCount, the
    // voucher's ItemPage and, on its last line, PreceptEmptyRows) print each voucher at its
    // page position, padded with its filler rows; other rows as a plain table.
    void ExecuteGroupPreceptReport(TDataSet& types, TDataSet& rows, const QString& title);
    // A dataset with the day book's fields prints as the day book below; any other as a
    // plain table.
    void ExecuteLogReport(TDataSet& rows, const QString& title, const QString& from,
                          const QString& to);
    // The day book, read as it prints: every row holds the values of LogFields() in order
    // (dates as dates, amounts as numbers). Pages carry their running totals forward and
    // the last closes with the grand total. PDF, CSV, XLSX and the preview never hold the
    // book whole; LastDocument() then has its title and columns but no rows.
    void ExecuteLogReport(const TRowFeed& rows, const QString& title, const QString& from,
                          const QString& to);
    static const QStringList& LogFields();
    // The day book for a terminal (aligned columns, the totals last) and as CSV, written as
    // it is read.
    static void WriteLogText(const TRowFeed& rows, QTextStream& out);
    static void WriteLogCsv(const TRowFeed& rows, QTextStream& out);
    // The voucher list as it stands (its search and order): number, type, dates, status
    // and text, under the search's conditions.
    void ExecutePreceptListReport(TDataSet& precepts, const QString& title,
                                  const QStringList& conditions);
    // The chart of accounts as listed: code, name and type, and the year's values when
    // the list shows them.
    void ExecuteChartReport(TDataSet& accounts, const QString& title, const QStringList& subtitles);
    void ExecuteAccountReport(TDataSet& account, TDataSet& lines, const QString& text1,
                              const QString& text2, const QString& text3, const QString& text4);
    void ExecuteAccountGroupReport(TDataSet& lines, const QString& caption, const QString& from,
                                   const QString& to);
    void ExecuteSubaccountsReport(TDataSet& account, TDataSet& totals, const QString& name,
                                  const QString& from, const QString& to);
    void ExecuteGroupSyntheticReport(TDataSet& lines, TDataSet& totals, const QString& caption,
                                     const QString& from, const QString& to);
    void ExecuteTestBalanceReport(TDataSet& rows, TDataSet& precepts, const QString& text,
                                  const QString& start, const QString& end);
    void ExecuteBalanceSheetReport(TDataSet& rows, TDataSet& precepts, const QString& text,
                                   const QString& start, const QString& end);
    void ExecuteIncomeStatementReport(TDataSet& rows, TDataSet& precepts, const QString& text,
                                      const QString& start, const QString& end);
    void ExecuteCashFlowReport(TDataSet& rows, TDataSet& precepts, const QString& text,
                               const QString& start, const QString& end);
    void ExecuteStatisticalAnnexReport(TDataSet& rows, TDataSet& precepts, const QString& text,
                                       const QString& start, const QString& end);
    void ExecuteClosingSheetReport(TDataSet& rows, TDataSet& precepts, const QString& text,
                                   const QString& start, const QString& end);

    // The rows of a dataset as a report table; the dataset's position is kept. Columns
    // name the fields shown, in order (empty: every visible field); summed names the
    // fields the totals row adds up (empty: every amount).
    static TReportTable TableOf(TDataSet& dataSet, const QString& caption = {}, bool totals = false,
                                const QStringList& columns = {}, const QStringList& summed = {});
    static QVector<QPair<QString, QString>> RecordOf(TDataSet& dataSet);

private:
    void Emit(TReportDocument document);
    void Statement(const QString& defaultTitle, TReportTable table, const QString& text,
                   const QString& start, const QString& end, bool landscape = false);
    static QString Period(const QString& from, const QString& to);
    static TReportTable LogTable();
    static TReportTable CardTable(TDataSet& lines);
    static TReportTable BalanceTable(TDataSet& rows);
    static TReportTable StatementTable(TDataSet& rows);

    QWidget* owner_;
    TReportOutput output_ = TReportOutput::Preview;
    QString path_;
    TReportDocument last_;
};

}  // namespace fin
