#include "host/report/reportengine.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QFile>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QTextStream>
#include <QToolBar>
#include <algorithm>
#include <filesystem>
#include <memory>

#include <xlsxwriter.h>

#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "host/data/dataset.h"
#include "host/report/lineprint.h"
#include "host/ui/uiservice.h"

namespace fin {

namespace {

constexpr int kProgressFrom = 2000;  // rows; smaller reports are done before anyone waits
// A spreadsheet's dates as the screens write them; the reader's own order would mix days
// and months.
const QString kXlsxDateFormat = QStringLiteral("dd.mm.yyyy.");
const QString kXlsxAmountFormat = QStringLiteral("#,##0.00");

bool IsNumeric(const TField& f) {
    return f.DataType() == TFieldType::Float || f.DataType() == TFieldType::Integer;
}

QString CsvCell(const QString& text) {
    const bool plain = std::none_of(text.cbegin(), text.cend(), [](QChar ch) {
        return ch == QLatin1Char(';') || ch == QLatin1Char('"') || ch == QLatin1Char('\n') ||
               ch == QLatin1Char('\r');
    });
    if (plain)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// Writes beside the target and renames over it, so a failure leaves the old file whole.
template <typename Write>
void ReplaceFile(const QString& path, Write write) {
    const QString temp = path + QStringLiteral(".part");
    QFile::remove(temp);
    try {
        write(temp);
        std::error_code error;
        std::filesystem::rename(temp.toStdString(), path.toStdString(), error);
        if (error)
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, QString::fromStdString(error.message())));
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
}

int ColumnCount(const TReportDocument& d) {
    int n = 0;
    for (const TReportTable& t : d.tables)
        n = std::max(n, static_cast<int>(t.titles.size()));
    return n;
}

bool Landscape(const TReportDocument& d) {
    return d.landscape || ColumnCount(d) > 8;
}

void SetUpPrinter(QPrinter& printer, const TReportDocument& d) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(Landscape(d) ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    printer.setDocName(d.title);
}

// Lays the document out page by page with "Strana N od M" under each page.
void Paint(const TReportDocument& d, QPrinter& printer) {
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&printer);
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    doc.setHtml(d.ToHtml());
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const qreal footer = printer.resolution() * 0.3;
    const QSizeF body(page.width(), page.height() - footer);
    doc.setPageSize(body);
    QPainter painter;
    if (!painter.begin(&printer))
        throw TError(QStringLiteral("Štampa izveštaja \"%1\" nije moguća.").arg(d.title));
    const int pages = doc.pageCount();
    QFont footerFont(QStringLiteral("DejaVu Sans"), 7);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            printer.newPage();
        painter.save();
        painter.translate(0, -i * body.height());
        doc.drawContents(&painter, QRectF(0, i * body.height(), body.width(), body.height()));
        painter.restore();
        painter.setFont(footerFont);
        painter.drawText(QRectF(0, body.height(), body.width(), footer),
                         Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Strana %1 od %2").arg(i + 1).arg(pages));
    }
    painter.end();
}

// The title a column shows in the lowest header row: its short title under a group title,
// its full title otherwise.
QStringList LowerTitles(const TReportTable& t) {
    if (t.headerGroups.isEmpty())
        return t.titles;
    QStringList titles;
    for (const auto& [group, span] : t.headerGroups)
        for (int k = 0; k < span; ++k) {
            const int c = titles.size();
            titles << (group.isEmpty() ? t.titles.value(c) : t.shortTitles.value(c));
        }
    return titles;
}

// Spreadsheet sheet names are at most 31 characters and take none of []:*?/\ .
QString SheetName(const QString& title) {
    QString name = title.trimmed();
    for (QChar& ch : name)
        if (QStringLiteral("[]:*?/\\").contains(ch))
            ch = QLatin1Char(' ');
    name = name.left(31).trimmed();
    return name.isEmpty() ? QStringLiteral("Izveštaj") : name;
}

// The workbook's cell formats, each made once.
class TXlsxFormats {
public:
    explicit TXlsxFormats(lxw_workbook* workbook) : workbook_(workbook) {}

    lxw_format* Title() {
        if (!title_) {
            title_ = workbook_add_format(workbook_);
            format_set_bold(title_);
            format_set_font_size(title_, 13);
        }
        return title_;
    }
    lxw_format* Header(bool centred) {
        lxw_format*& f = header_[centred ? 1 : 0];
        if (!f) {
            f = workbook_add_format(workbook_);
            format_set_bold(f);
            format_set_bg_color(f, 0xE6E6E6);
            format_set_border(f, LXW_BORDER_THIN);
            format_set_text_wrap(f);
            format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
            if (centred)
                format_set_align(f, LXW_ALIGN_CENTER);
        }
        return f;
    }
    // A plain or bold cell with a number or date format (empty: none).
    lxw_format* Cell(bool bold, const QString& numberFormat = {}) {
        const QString key = (bold ? QStringLiteral("b") : QStringLiteral("-")) + numberFormat;
        if (lxw_format* f = cells_.value(key))
            return f;
        if (!bold && numberFormat.isEmpty())
            return nullptr;
        lxw_format* f = workbook_add_format(workbook_);
        if (bold)
            format_set_bold(f);
        if (!numberFormat.isEmpty())
            format_set_num_format(f, numberFormat.toUtf8().constData());
        cells_.insert(key, f);
        return f;
    }

private:
    lxw_workbook* workbook_;
    lxw_format* title_ = nullptr;
    lxw_format* header_[2] = {nullptr, nullptr};
    QHash<QString, lxw_format*> cells_;
};

// Lays a document out on one sheet: title and texts on top, then each table with its
// header rows; the first table's header stays in view while scrolling.
void WriteSheet(lxw_workbook* workbook, const TReportDocument& d) {
    lxw_worksheet* sheet =
        workbook_add_worksheet(workbook, SheetName(d.title).toUtf8().constData());
    if (!sheet)
        throw TError(QStringLiteral("Radni list \"%1\" ne može biti napravljen.").arg(d.title));
    TXlsxFormats formats(workbook);
    auto text = [&](lxw_row_t row, lxw_col_t col, const QString& value, lxw_format* f) {
        if (!value.isEmpty())
            worksheet_write_string(sheet, row, col, value.toUtf8().constData(), f);
    };
    lxw_row_t row = 0;
    text(row++, 0, d.title, formats.Title());
    for (const QString& s : d.subtitles)
        text(row++, 0, s, nullptr);
    for (const auto& [label, value] : d.header) {
        text(row, 0, label, formats.Cell(true));
        text(row++, 1, value, nullptr);
    }
    QVector<int> widths(ColumnCount(d), 8);
    auto fit = [&](int c, const QString& value) {
        widths[c] = std::clamp(static_cast<int>(value.size()) + 2, widths[c], 60);
    };
    bool frozen = false;
    for (const TReportTable& t : d.tables) {
        ++row;
        if (!t.caption.isEmpty())
            text(row++, 0, t.caption, formats.Cell(true));
        const lxw_row_t firstHeader = row;
        const QStringList lower = LowerTitles(t);
        if (!t.headerGroups.isEmpty()) {
            lxw_col_t c = 0;
            for (const auto& [group, span] : t.headerGroups) {
                if (group.isEmpty()) {
                    for (int k = 0; k < span; ++k, ++c)
                        worksheet_merge_range(sheet, row, c, row + 1, c,
                                              lower.value(c).toUtf8().constData(),
                                              formats.Header(false));
                    continue;
                }
                if (span > 1)
                    worksheet_merge_range(sheet, row, c, row, c + span - 1,
                                          group.toUtf8().constData(), formats.Header(true));
                else
                    text(row, c, group, formats.Header(true));
                for (int k = 0; k < span; ++k, ++c)
                    text(row + 1, c, lower.value(c), formats.Header(true));
            }
            row += 2;
        } else {
            for (int c = 0; c < lower.size(); ++c)
                text(row, c, lower[c], formats.Header(false));
            ++row;
        }
        for (int c = 0; c < lower.size(); ++c)
            fit(c, lower[c]);
        if (!frozen) {
            worksheet_freeze_panes(sheet, row, 0);
            worksheet_repeat_rows(sheet, firstHeader, row - 1);
            frozen = true;
        }
        auto cells = [&](const QStringList& raw, const QStringList& shown, bool bold) {
            for (int c = 0; c < raw.size() && c < t.titles.size(); ++c) {
                const QString& v = raw[c];
                if (v.isEmpty())
                    continue;
                fit(c, shown.value(c));
                bool ok = false;
                if (t.numeric.value(c)) {
                    const double number = v.toDouble(&ok);
                    if (ok)
                        worksheet_write_number(sheet, row, c, number,
                                               formats.Cell(bold, t.formats.value(c)));
                } else if (t.dates.value(c)) {
                    const QDate date = QDate::fromString(v, Qt::ISODate);
                    if ((ok = date.isValid())) {
                        lxw_datetime when{date.year(), date.month(), date.day(), 0, 0, 0};
                        worksheet_write_datetime(sheet, row, c, &when,
                                                 formats.Cell(bold, kXlsxDateFormat));
                    }
                }
                // Text as the print shows it: a status or a type in words, not its key.
                if (!ok)
                    text(row, c, shown.value(c).isEmpty() ? v : shown.value(c), formats.Cell(bold));
            }
            ++row;
        };
        for (int r = 0; r < t.rawRows.size(); ++r) {
            if (!t.sections.value(r).isEmpty())
                text(row++, 0, t.sections[r], formats.Cell(true));
            cells(t.rawRows[r], t.rows.value(r), t.emphasised.value(r));
        }
        if (!t.rawTotals.isEmpty())
            cells(t.rawTotals, t.totals, true);
    }
    for (int c = 0; c < widths.size(); ++c)
        worksheet_set_column(sheet, c, c, widths[c], nullptr);
    if (Landscape(d))
        worksheet_set_landscape(sheet);
    worksheet_set_paper(sheet, 9);  // A4
}

// What the preview's toolbar offers beside printing: a file of the report.
struct TExport {
    QString caption, filter, suffix;
    std::function<void(const QString& path)> write;
};

// A name that can stand as a file's: the characters file systems refuse become dashes.
QString FileNameOf(const QString& title) {
    QString name = title.trimmed();
    for (QChar& ch : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(ch) || ch.unicode() < 32)
            ch = QLatin1Char('-');
    return name.isEmpty() ? QStringLiteral("Izveštaj") : name;
}

// Asks for the file, proposing the title; a name without the suffix gets it. Cancel writes
// nothing, a stop asked for during the export leaves nothing, and an error is shown.
bool ExportAsked(const QString& title, const TExport& e) {
    QString path = FileNameOf(title) + e.suffix;
    if (!Ui().SaveFileName(QStringLiteral("Izvoz"), e.filter, path) || path.trimmed().isEmpty())
        return false;
    if (!path.endsWith(e.suffix, Qt::CaseInsensitive))
        path += e.suffix;
    try {
        e.write(path);
        return true;
    } catch (const TAbort&) {
    } catch (const TError& error) {
        Ui().ShowMessage(TMessageType::Error, error.Message());
    }
    return false;
}

void ShowPreview(QWidget* owner, const QString& title, const std::function<void(QPrinter&)>& setUp,
                 const std::function<void(QPrinter&)>& paint, const QVector<TExport>& exports) {
    QPrinter printer(QPrinter::HighResolution);
    setUp(printer);
    QPrintPreviewDialog preview(&printer, owner);
    preview.setWindowTitle(title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&paint](QPrinter* p) {
                         try {
                             paint(*p);
                         } catch (const TError& e) {
                             Ui().ShowMessage(TMessageType::Error, e.Message());
                         }
                     });
    if (QToolBar* bar = preview.findChild<QToolBar*>()) {
        bar->addSeparator();
        for (const TExport& e : exports)
            bar->addAction(e.caption, &preview, [&e, title] { ExportAsked(title, e); });
    }
    preview.exec();
}

TExport ExcelExport(std::function<void(const QString& path)> write) {
    return {QStringLiteral("Izvoz u Excel..."), QStringLiteral("Excel (*.xlsx)"),
            QStringLiteral(".xlsx"), std::move(write)};
}

// A printer for the fixed-pitch prints: A4 in their orientation, the whole sheet theirs.
void SetUpLinePrinter(QPrinter& printer, bool landscape, const QString& title) {
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF()));
    printer.setFullPage(true);
    printer.setDocName(title);
}

// A fixed-pitch print into a PDF file, replaced whole or not at all.
void ExportLinePdf(const QString& path, bool landscape, double fontSize, const QString& title,
                   const std::function<void(TLineCanvas&)>& print) {
    ReplaceFile(path, [&](const QString& temp) {
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, file.errorString()));
        TPdfLineWriter writer(file, landscape, fontSize, title);
        print(writer);
        writer.Finish();
        if (!file.flush())
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, file.errorString()));
    });
}

// The same print on a printer or in the preview.
void PaintLines(QPrinter& printer, bool landscape, double fontSize, const QString& title,
                const std::function<void(TLineCanvas&)>& print) {
    QPainter painter;
    if (!painter.begin(&printer))
        throw TError(QStringLiteral("Štampa izveštaja \"%1\" nije moguća.").arg(title));
    TPainterLineCanvas canvas(painter, printer, landscape, fontSize);
    print(canvas);
    canvas.Finish();
    painter.end();
}

// The day book's columns: field, title, width on the page (0: the rest of the line) and
// what the value is.
enum class TCellKind { Date, Text, Amount };
struct TLogColumn {
    const char* field;
    const char* title;
    int width;
    TCellKind kind;
};
constexpr TLogColumn kLogColumns[] = {
    {"preceptdate", "Datum", 11, TCellKind::Date},
    {"registerdate", "Datum knjiženja", 15, TCellKind::Date},
    {"number", "Broj", 16, TCellKind::Text},
    {"accountcode", "Konto", 14, TCellKind::Text},
    {"accountnewcode", "Novi konto", 14, TCellKind::Text},
    {"description", "Opis", 0, TCellKind::Text},
    {"debit", "Duguje", 18, TCellKind::Amount},
    {"credit", "Potražuje", 18, TCellKind::Amount},
};
constexpr int kLogColumnCount = sizeof kLogColumns / sizeof kLogColumns[0];
constexpr int kLogDebit = 6, kLogCredit = 7;
constexpr double kLogFontSize = 7.5;  // landscape: 174 characters, 59 rows a page
constexpr double kGroupFontSize = 8;  // portrait: 112 characters, 81 rows a page
const QString kAmountFormat = QStringLiteral("#,##0.00");

QString LogShown(const QVariant& v, TCellKind kind) {
    if (!v.isValid() || v.isNull())
        return {};
    switch (kind) {
        case TCellKind::Date:
            return DateToText(v.toDate());
        case TCellKind::Amount:
            return v.toDouble() == 0 ? QStringLiteral("0,00")
                                     : FormatFloat(kAmountFormat, v.toDouble());
        default:
            return v.toString();
    }
}

QString LogRaw(const QVariant& v, TCellKind kind) {
    if (!v.isValid() || v.isNull())
        return {};
    switch (kind) {
        case TCellKind::Date:
            return DateToSql(v.toDate());
        case TCellKind::Amount:
            // Half of a book's amounts are the empty side of a line.
            return v.toDouble() == 0 ? QStringLiteral("0")
                                     : NumberToText(BetterRoundTo(v.toDouble(), -2));
        default:
            return v.toString();
    }
}

// Every row of a feed through the sink, with the rows read so far as progress once they
// are many; a stop asked for ends the report.
void ReadRows(const TRowFeed& rows, const TRowSink& sink) {
    std::unique_ptr<TProgress> progress;
    int read = 0;
    rows([&](const QVector<QVariant>& values) {
        sink(values);
        if (++read % 500 != 0 || read < kProgressFrom)
            return;
        if (!progress)
            progress = std::make_unique<TProgress>(QStringLiteral("Priprema izveštaja"), 0);
        if (!progress->Step(read))
            throw TAbort();
    });
}

void PrintLog(TLineCanvas& canvas, const TRowFeed& rows, const QString& title,
              const QString& subtitle) {
    QVector<TListColumn> columns;
    for (const TLogColumn& c : kLogColumns)
        columns.append({QString::fromUtf8(c.title), c.width, c.kind == TCellKind::Amount,
                        c.kind == TCellKind::Amount});
    TPagedList list(canvas, title, subtitle, columns);
    QStringList cells(kLogColumnCount);
    QVector<double> amounts(2);
    // Lines of one day follow each other: their dates are written once.
    QDate dates[2];
    ReadRows(rows, [&](const QVector<QVariant>& values) {
        for (int c = 0; c < kLogColumnCount; ++c) {
            const QVariant& v = values.value(c);
            if (kLogColumns[c].kind == TCellKind::Date && c < 2) {
                if (v.toDate() != dates[c] || cells[c].isEmpty()) {
                    dates[c] = v.toDate();
                    cells[c] = LogShown(v, TCellKind::Date);
                }
                continue;
            }
            cells[c] = LogShown(v, kLogColumns[c].kind);
        }
        amounts[0] = values.value(kLogDebit).toDouble();
        amounts[1] = values.value(kLogCredit).toDouble();
        list.Add(cells, amounts);
    });
    list.Finish();
}

// The day book into a workbook written row by row: a sheet is full at the format's last
// row, and the book goes on in the next one under the same titles.
void WriteLogXlsx(const QString& path, const TRowFeed& rows, const QString& title,
                  const QString& subtitle) {
    ReplaceFile(path, [&](const QString& temp) {
        if (QFile probe(temp); !probe.open(QIODevice::WriteOnly))
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, probe.errorString()));
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        std::unique_ptr<lxw_workbook, decltype(&lxw_workbook_free)> workbook(
            workbook_new_opt(QFile::encodeName(temp).constData(), &options), &lxw_workbook_free);
        if (!workbook)
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana.").arg(path));
        TXlsxFormats formats(workbook.get());
        lxw_worksheet* sheet = nullptr;
        lxw_row_t row = 0;
        int sheets = 0;
        auto text = [&](lxw_col_t col, const QString& value, lxw_format* f) {
            if (!value.isEmpty())
                worksheet_write_string(sheet, row, col, value.toUtf8().constData(), f);
        };
        auto newSheet = [&] {
            const QString name = SheetName(title).left(26) +
                                 (sheets++ > 0 ? QStringLiteral(" (%1)").arg(sheets) : QString());
            sheet = workbook_add_worksheet(workbook.get(), name.toUtf8().constData());
            if (!sheet)
                throw TError(
                    QStringLiteral("Radni list \"%1\" ne može biti napravljen.").arg(name));
            worksheet_set_landscape(sheet);
            worksheet_set_paper(sheet, 9);  // A4
            for (int c = 0; c < kLogColumnCount; ++c)
                worksheet_set_column(sheet, c, c, kLogColumns[c].width ? kLogColumns[c].width : 50,
                                     nullptr);
            row = 0;
            text(0, title, formats.Title());
            ++row;
            text(0, subtitle, nullptr);
            row += 2;
            for (int c = 0; c < kLogColumnCount; ++c)
                text(c, QString::fromUtf8(kLogColumns[c].title), formats.Header(false));
            worksheet_freeze_panes(sheet, row + 1, 0);
            worksheet_repeat_rows(sheet, row, row);
            ++row;
        };
        auto cells = [&](const QVector<QVariant>& values, bool bold) {
            for (int c = 0; c < kLogColumnCount; ++c) {
                const QVariant& v = values.value(c);
                if (!v.isValid() || v.isNull())
                    continue;
                switch (kLogColumns[c].kind) {
                    case TCellKind::Amount:
                        worksheet_write_number(sheet, row, c, BetterRoundTo(v.toDouble(), -2),
                                               formats.Cell(bold, kAmountFormat));
                        break;
                    case TCellKind::Date: {
                        const QDate d = v.toDate();
                        lxw_datetime when{d.year(), d.month(), d.day(), 0, 0, 0};
                        worksheet_write_datetime(sheet, row, c, &when,
                                                 formats.Cell(bold, kXlsxDateFormat));
                        break;
                    }
                    default:
                        text(c, v.toString(), formats.Cell(bold));
                        break;
                }
            }
            ++row;
        };
        newSheet();
        double debit = 0, credit = 0;
        ReadRows(rows, [&](const QVector<QVariant>& values) {
            if (row > LXW_ROW_MAX - 2)
                newSheet();
            cells(values, false);
            debit += values.value(kLogDebit).toDouble();
            credit += values.value(kLogCredit).toDouble();
        });
        QVector<QVariant> totals(kLogColumnCount);
        totals[0] = QStringLiteral("Ukupno");
        totals[kLogDebit] = debit;
        totals[kLogCredit] = credit;
        text(0, totals[0].toString(), formats.Cell(true));
        totals[0] = QVariant();
        cells(totals, true);
        if (const lxw_error error = workbook_close(workbook.release()); error != LXW_NO_ERROR)
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, QString::fromUtf8(lxw_strerror(error))));
    });
}
}  // namespace

QString TReportDocument::ToHtml() const {
    QString html = QStringLiteral(
        "<html><head><meta charset=\"utf-8\"><style>"
        "h1{font-size:13pt;margin:0} p.sub{margin:0;color:#333}"
        "table.grid{border-collapse:collapse;margin-top:6px}"
        "table.grid th{background:#e6e6e6;border:1px solid #888;padding:2px 4px}"
        "table.grid td{border:1px solid #bbb;padding:1px 4px}"
        "td.num{text-align:right} tr.total td{background:#f2f2f2}"
        "tr.section td{background:#f7f7f7;padding-top:4px}"
        "</style></head><body>");
    html += QStringLiteral("<h1>%1</h1>").arg(title.toHtmlEscaped());
    for (const QString& s : subtitles)
        html += QStringLiteral("<p class=\"sub\">%1</p>").arg(s.toHtmlEscaped());
    if (!header.isEmpty()) {
        html += QStringLiteral("<table cellspacing=\"0\" style=\"margin-top:6px\">");
        for (const auto& [label, text] : header)
            html += QStringLiteral("<tr><td><b>%1:</b></td><td>%2</td></tr>")
                        .arg(label.toHtmlEscaped(), text.toHtmlEscaped());
        html += QStringLiteral("</table>");
    }
    for (const TReportTable& t : tables) {
        if (!t.caption.isEmpty())
            html += QStringLiteral("<p style=\"margin-top:8px\"><b>%1</b></p>")
                        .arg(t.caption.toHtmlEscaped());
        html += QStringLiteral(
            "<table class=\"grid\" width=\"100%\" cellspacing=\"0\" border=\"1\"><thead><tr>");
        const QStringList lower = LowerTitles(t);
        if (!t.headerGroups.isEmpty()) {
            int c = 0;
            for (const auto& [group, span] : t.headerGroups) {
                if (!group.isEmpty()) {
                    html += QStringLiteral("<th colspan=\"%1\">%2</th>")
                                .arg(span)
                                .arg(group.toHtmlEscaped());
                    c += span;
                    continue;
                }
                for (int k = 0; k < span; ++k, ++c)
                    html += QStringLiteral("<th rowspan=\"2\">%1</th>")
                                .arg(lower.value(c).toHtmlEscaped());
            }
            html += QStringLiteral("</tr><tr>");
            c = 0;
            for (const auto& [group, span] : t.headerGroups)
                for (int k = 0; k < span; ++k, ++c)
                    if (!group.isEmpty())
                        html += QStringLiteral("<th>%1</th>").arg(lower.value(c).toHtmlEscaped());
        } else {
            for (const QString& title : lower)
                html += QStringLiteral("<th>%1</th>").arg(title.toHtmlEscaped());
        }
        html += QStringLiteral("</tr></thead>");
        auto row = [&](const QStringList& cells, bool bold, bool total) {
            html += total ? QStringLiteral("<tr class=\"total\">") : QStringLiteral("<tr>");
            for (int c = 0; c < cells.size(); ++c) {
                const QString cell = cells[c].toHtmlEscaped();
                html +=
                    QStringLiteral("<td%1>%2</td>")
                        .arg(t.numeric.value(c) ? QStringLiteral(" class=\"num\" align=\"right\"")
                                                : QString(),
                             bold ? QStringLiteral("<b>%1</b>").arg(cell) : cell);
            }
            html += QStringLiteral("</tr>");
        };
        for (int r = 0; r < t.rows.size(); ++r) {
            if (!t.sections.value(r).isEmpty())
                html +=
                    QStringLiteral("<tr class=\"section\"><td colspan=\"%1\"><b>%2</b></td></tr>")
                        .arg(t.titles.size())
                        .arg(t.sections[r].toHtmlEscaped());
            row(t.rows[r], t.emphasised.value(r), false);
        }
        if (!t.totals.isEmpty())
            row(t.totals, true, true);
        html += QStringLiteral("</table>");
    }
    html += QStringLiteral("</body></html>");
    return html;
}

QString TReportDocument::ToPlainText() const {
    constexpr int kTextWidth = 40;  // a longer name is cut, so the numbers stay in line
    QStringList lines{title};
    lines << subtitles;
    for (const auto& [label, text] : header)
        lines << label + QStringLiteral(": ") + text;
    auto trimmed = [](QString line) {
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        return line;
    };
    for (const TReportTable& t : tables) {
        lines << QString();
        if (!t.caption.isEmpty())
            lines << t.caption;
        const QStringList heads = LowerTitles(t);
        QVector<int> width(heads.size(), 0);
        auto fit = [&](const QStringList& cells) {
            for (int c = 0; c < width.size(); ++c)
                width[c] =
                    std::max(width[c], t.numeric.value(c)
                                           ? static_cast<int>(cells.value(c).size())
                                           : std::min<int>(cells.value(c).size(), kTextWidth));
        };
        fit(heads);
        for (const QStringList& r : t.rows)
            fit(r);
        fit(t.totals);
        // The characters a group title has over its columns, the blanks between included.
        auto room = [&](int first, int span) {
            int n = span - 1;
            for (int c = first; c < first + span; ++c)
                n += width.value(c);
            return n;
        };
        // A group title wider than its columns widens the last of them.
        int first = 0;
        for (const auto& [group, span] : t.headerGroups) {
            const int over = static_cast<int>(group.size()) - room(first, span);
            if (over > 0 && first + span - 1 < width.size())
                width[first + span - 1] += over;
            first += span;
        }
        auto line = [&](const QStringList& cells) {
            QStringList parts;
            for (int c = 0; c < width.size(); ++c)
                parts << (t.numeric.value(c)
                              ? cells.value(c).rightJustified(width[c])
                              : cells.value(c).leftJustified(width[c], QLatin1Char(' '), true));
            return trimmed(parts.join(QLatin1Char(' ')));
        };
        if (!t.headerGroups.isEmpty()) {
            QStringList parts;
            first = 0;
            for (const auto& [group, span] : t.headerGroups) {
                const int n = room(first, span);
                const int left = (n - static_cast<int>(group.size())) / 2;
                parts << (QString(left, QLatin1Char(' ')) + group).leftJustified(n);
                first += span;
            }
            lines << trimmed(parts.join(QLatin1Char(' ')));
        }
        lines << line(heads);
        for (int r = 0; r < t.rows.size(); ++r) {
            if (!t.sections.value(r).isEmpty())
                lines << t.sections[r];
            lines << line(t.rows[r]);
        }
        if (!t.totals.isEmpty())
            lines << line(t.totals);
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void ExportReportPdf(const TReportDocument& document, const QString& path) {
    ReplaceFile(path, [&](const QString& temp) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(temp);
        SetUpPrinter(printer, document);
        Paint(document, printer);
        if (!QFile::exists(temp))
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana.").arg(path));
    });
}

QByteArray ReportCsv(const TReportDocument& document) {
    QByteArray out;
    for (const TReportTable& t : document.tables) {
        QStringList cells;
        for (const QString& c : t.titles)
            cells << CsvCell(c);
        out += cells.join(QLatin1Char(';')).toUtf8() + "\r\n";
        for (const QStringList& r : t.rawRows) {
            cells.clear();
            for (const QString& c : r)
                cells << CsvCell(c);
            out += cells.join(QLatin1Char(';')).toUtf8() + "\r\n";
        }
        break;  // the report's main rows; other tables are context
    }
    return out;
}

void ExportReportCsv(const TReportDocument& document, const QString& path) {
    ReplaceFile(path, [&](const QString& temp) {
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, file.errorString()));
        const QByteArray out = ReportCsv(document);
        if (file.write(out) != out.size() || !file.flush())
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, file.errorString()));
    });
}

void ExportReportXlsx(const TReportDocument& document, const QString& path) {
    ReplaceFile(path, [&](const QString& temp) {
        // Tried first, so a place that cannot be written is told in the module's words.
        if (QFile probe(temp); !probe.open(QIODevice::WriteOnly))
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, probe.errorString()));
        // The workbook is written out only when it is closed; until then it is freed unwritten.
        std::unique_ptr<lxw_workbook, decltype(&lxw_workbook_free)> workbook(
            workbook_new(QFile::encodeName(temp).constData()), &lxw_workbook_free);
        if (!workbook)
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana.").arg(path));
        WriteSheet(workbook.get(), document);
        if (const lxw_error error = workbook_close(workbook.release()); error != LXW_NO_ERROR)
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, QString::fromUtf8(lxw_strerror(error))));
    });
}

void TReportEngine::SetOutput(TReportOutput output, const QString& path) {
    output_ = output;
    path_ = path;
}

TReportTable TReportEngine::TableOf(TDataSet& ds, const QString& caption, bool totals,
                                    const QStringList& columns, const QStringList& summed) {
    TReportTable t;
    t.caption = caption;
    QVector<TField*> fields;
    if (columns.isEmpty()) {
        for (int i = 0; i < ds.FieldCount(); ++i)
            if (ds.Fields(i).Visible())
                fields << &ds.Fields(i);
    } else {
        for (const QString& name : columns)
            fields << &ds.FieldByName(name);
    }
    auto isSummed = [&](const TField* f) {
        return f->DataType() == TFieldType::Float &&
               (summed.isEmpty() || summed.contains(f->FieldName(), Qt::CaseInsensitive));
    };
    for (TField* f : fields) {
        t.titles << f->DisplayLabel();
        t.numeric << IsNumeric(*f);
        t.dates << (f->DataType() == TFieldType::Date);
        // Amounts without a format of their own show as the screens show amounts.
        t.formats << (!IsNumeric(*f)                       ? QString()
                      : !f->DisplayFormat().isEmpty()      ? f->DisplayFormat()
                      : f->DataType() == TFieldType::Float ? kXlsxAmountFormat
                                                           : QString());
    }
    if (!ds.Active())
        return t;
    // Read by record number so the caller's current record stays; bound controls wait
    // until the whole table is read.
    ds.DisableControls();
    struct TEnable {
        TDataSet& ds;
        ~TEnable() { ds.EnableControls(); }
    } enable{ds};
    const int count = ds.RecordCount();
    std::unique_ptr<TProgress> progress;
    if (count >= kProgressFrom)
        progress = std::make_unique<TProgress>(QStringLiteral("Priprema izveštaja"), count);
    QVector<double> sums(fields.size(), 0.0);
    t.rows.reserve(count);
    t.rawRows.reserve(count);
    for (int rec = 1; rec <= count; ++rec) {
        QStringList cells, raw;
        for (int c = 0; c < fields.size(); ++c) {
            const QVariant v = ds.RecordValue(rec, fields[c]->Index());
            cells << ds.DisplayTextAt(rec, *fields[c]);
            raw << fields[c]->SystemText(v);
            if (isSummed(fields[c]))
                sums[c] += v.toDouble();
        }
        t.rows << cells;
        t.rawRows << raw;
        if (progress && rec % 500 == 0 && !progress->Step(rec))
            throw TAbort();
    }
    if (totals && std::any_of(fields.begin(), fields.end(),
                              [](TField* f) { return f->DataType() == TFieldType::Float; })) {
        for (int c = 0; c < fields.size(); ++c) {
            if (!isSummed(fields[c])) {
                t.totals << (c == 0 ? QStringLiteral("Ukupno") : QString());
                t.rawTotals << t.totals.last();
                continue;
            }
            const QString format = fields[c]->DisplayFormat().isEmpty()
                                       ? QStringLiteral("#,##0.00")
                                       : fields[c]->DisplayFormat();
            t.totals << FormatFloat(format, BetterRoundTo(sums[c], -2));
            t.rawTotals << NumberToText(BetterRoundTo(sums[c], -2));
        }
    }
    return t;
}

QVector<QPair<QString, QString>> TReportEngine::RecordOf(TDataSet& ds) {
    QVector<QPair<QString, QString>> pairs;
    if (!ds.Active() || ds.IsEmpty())
        return pairs;
    for (int i = 0; i < ds.FieldCount(); ++i) {
        // A field without a caption of its own (a key) says nothing to the reader.
        const TField& f = ds.Fields(i);
        if (f.Visible() && f.DisplayLabel() != f.FieldName())
            pairs.append({f.DisplayLabel(), f.DisplayText()});
    }
    return pairs;
}

QString TReportEngine::Period(const QString& from, const QString& to) {
    if (from.isEmpty() && to.isEmpty())
        return {};
    return QStringLiteral("Period: %1 - %2").arg(from, to);
}

void TReportEngine::Emit(TReportDocument document) {
    document.subtitles.removeAll(QString());
    last_ = std::move(document);
    switch (output_) {
        case TReportOutput::Document:
            return;
        case TReportOutput::Pdf:
            ExportReportPdf(last_, path_);
            return;
        case TReportOutput::Csv:
            ExportReportCsv(last_, path_);
            return;
        case TReportOutput::Xlsx:
            ExportReportXlsx(last_, path_);
            return;
        case TReportOutput::Preview:
            break;
    }
    const TReportDocument& d = last_;
    ShowPreview(
        owner_, d.title, [&d](QPrinter& p) { SetUpPrinter(p, d); },
        [&d](QPrinter& p) { Paint(d, p); },
        {{QStringLiteral("Izvoz u PDF..."), QStringLiteral("PDF (*.pdf)"), QStringLiteral(".pdf"),
          [&d](const QString& path) { ExportReportPdf(d, path); }},
         {QStringLiteral("Izvoz u CSV..."), QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"),
          [&d](const QString& path) { ExportReportCsv(d, path); }},
         ExcelExport([&d](const QString& path) { ExportReportXlsx(d, path); })});
}

void TReportEngine::ExecutePreceptReport(TDataSet& precept, TDataSet& items, const QString& title,
                                         const QString& date, const QString& relatedEntity) {
    TReportDocument d;
    d.title = title.isEmpty() ? QStringLiteral("Nalog za knjiženje") : title;
    d.subtitles << (date.isEmpty() ? QString() : QStringLiteral("Datum: ") + date)
                << relatedEntity.trimmed();
    d.header = RecordOf(precept);
    d.tables << TableOf(items, QStringLiteral("Stavke naloga"), true);
    Emit(std::move(d));
}

void TReportEngine::ExecutePreceptNewReport(TDataSet& precept, TDataSet& items,
                                            const QString& title, const QString& date,
                                            const QString& relatedEntity) {
    ExecutePreceptReport(precept, items, title, date, relatedEntity);
}

void TReportEngine::ExecuteGroupPreceptReport(TDataSet& types, TDataSet& rows,
                                              const QString& title) {
    TReportDocument d;
    d.title = title.isEmpty() ? QStringLiteral("Zbirni nalog") : title;
    d.tables << TableOf(rows, {}, true) << TableOf(types, QStringLiteral("Tipovi naloga"));
    const TField* id = rows.FindField(QStringLiteral("PreceptID"));
    if (!id || !rows.FindField(QStringLiteral("ItemCount")) ||
        (output_ != TReportOutput::Pdf && output_ != TReportOutput::Preview)) {
        Emit(std::move(d));
        return;
    }
    // The type's number beside its name, from the voucher types.
    QHash<QString, QString> typeNumbers;
    if (const TField* name = types.FindField(QStringLiteral("name")),
        *number = types.FindField(QStringLiteral("number"));
        name && number && types.Active())
        for (int rec = 1; rec <= types.RecordCount(); ++rec)
            typeNumbers.insert(types.RecordValue(rec, name->Index()).toString(),
                               types.RecordValue(rec, number->Index()).toString());
    auto value = [&rows](int rec, const char* field) {
        const TField* f = rows.FindField(QString::fromLatin1(field));
        return f ? rows.RecordValue(rec, f->Index()) : QVariant();
    };
    auto amount = [](const QVariant& v) { return FormatFloat(kAmountFormat, v.toDouble()); };
    const QString caption = title.isEmpty() ? QStringLiteral("Nalog") : title;
    QVector<TVoucherBlock> vouchers;
    for (int rec = 1; rec <= rows.RecordCount(); ++rec) {
        const QVariant voucher = rows.RecordValue(rec, id->Index());
        if (rec == 1 || voucher != rows.RecordValue(rec - 1, id->Index())) {
            TVoucherBlock b;
            b.title = caption + QLatin1Char(' ') + value(rec, "PreceptNumber").toString();
            const QString type = value(rec, "PreceptType").toString();
            const QString typeNumber = typeNumbers.value(type);
            b.details = QStringLiteral("Tip: %1    Datum: %2    Datum knjiženja: %3")
                            .arg(typeNumber.isEmpty() ? type : typeNumber + " - " + type,
                                 DateToText(value(rec, "PreceptDate").toDate()),
                                 DateToText(value(rec, "PreceptRegisterDate").toDate()));
            const QString related = value(rec, "ItemRelatedEntity").toString().trimmed();
            if (!related.isEmpty())
                b.related = QStringLiteral("Veza: ") + related;
            b.page = value(rec, "ItemPage").toInt() == 2 ? 2 : 1;
            vouchers << b;
        }
        TVoucherBlock& b = vouchers.last();
        const qint64 subaccount = value(rec, "ItemForeignID").toLongLong();
        b.lines << QStringList{value(rec, "ItemCount").toString(),
                               value(rec, "ItemContoNewCode").toString(),
                               subaccount > 0 ? QString::number(subaccount) : QString(),
                               value(rec, "ItemSubcontoName").toString(),
                               value(rec, "ItemDescription").toString(),
                               amount(value(rec, "ItemDebit")),
                               amount(value(rec, "ItemCredit"))};
        b.debit += value(rec, "ItemDebit").toDouble();
        b.credit += value(rec, "ItemCredit").toDouble();
        // The filler rows are the lines of the voucher's last row's text.
        const QString fillers = value(rec, "PreceptEmptyRows").toString();
        b.fillers =
            fillers.isEmpty() ? 0 : static_cast<int>(fillers.count(QStringLiteral("\r\n"))) + 1;
    }
    const QString pageTitle = QStringLiteral("Zbirni nalog");
    auto print = [&](TLineCanvas& canvas) { PrintGroupVoucher(canvas, pageTitle, vouchers); };
    d.subtitles.removeAll(QString());
    last_ = std::move(d);
    if (output_ == TReportOutput::Pdf) {
        ExportLinePdf(path_, false, kGroupFontSize, pageTitle, print);
        return;
    }
    ShowPreview(
        owner_, pageTitle, [&](QPrinter& p) { SetUpLinePrinter(p, false, pageTitle); },
        [&](QPrinter& p) { PaintLines(p, false, kGroupFontSize, pageTitle, print); },
        {{QStringLiteral("Izvoz u PDF..."), QStringLiteral("PDF (*.pdf)"), QStringLiteral(".pdf"),
          [&](const QString& path) {
              ExportLinePdf(path, false, kGroupFontSize, pageTitle, print);
          }}});
}

const QStringList& TReportEngine::LogFields() {
    static const QStringList fields = [] {
        QStringList names;
        for (const TLogColumn& c : kLogColumns)
            names << QString::fromLatin1(c.field);
        return names;
    }();
    return fields;
}

TReportTable TReportEngine::LogTable() {
    TReportTable t;
    for (const TLogColumn& c : kLogColumns) {
        t.titles << QString::fromUtf8(c.title);
        t.numeric << (c.kind == TCellKind::Amount);
        t.dates << (c.kind == TCellKind::Date);
        t.formats << (c.kind == TCellKind::Amount ? kAmountFormat : QString());
    }
    return t;
}

void TReportEngine::ExecuteLogReport(TDataSet& rows, const QString& title, const QString& from,
                                     const QString& to) {
    QVector<const TField*> fields;
    for (const QString& name : LogFields())
        fields << rows.FindField(name);
    if (fields.contains(nullptr) || !rows.Active()) {
        TReportDocument d;
        d.title = title.isEmpty() ? QStringLiteral("Dnevnik glavne knjige") : title;
        d.subtitles << Period(from, to);
        d.tables << TableOf(rows, {}, true);
        Emit(std::move(d));
        return;
    }
    // Read by record number, so the caller's current record stays and its grids wait.
    rows.DisableControls();
    struct TEnable {
        TDataSet& ds;
        ~TEnable() { ds.EnableControls(); }
    } enable{rows};
    const int count = rows.RecordCount();
    ExecuteLogReport(
        [&](const TRowSink& sink) {
            QVector<QVariant> values(fields.size());
            for (int rec = 1; rec <= count; ++rec) {
                for (int c = 0; c < fields.size(); ++c)
                    values[c] = rows.RecordValue(rec, fields[c]->Index());
                sink(values);
            }
        },
        title, from, to);
}

void TReportEngine::ExecuteLogReport(const TRowFeed& rows, const QString& title,
                                     const QString& from, const QString& to) {
    TReportDocument d;
    d.title = title.isEmpty() ? QStringLiteral("Dnevnik glavne knjige") : title;
    d.subtitles << Period(from, to);
    d.subtitles.removeAll(QString());
    d.landscape = true;
    d.tables << LogTable();
    const QString subtitle = d.subtitles.value(0);
    auto print = [&](TLineCanvas& canvas) { PrintLog(canvas, rows, d.title, subtitle); };
    switch (output_) {
        case TReportOutput::Document: {
            TReportTable& t = d.tables[0];
            double debit = 0, credit = 0;
            ReadRows(rows, [&](const QVector<QVariant>& values) {
                QStringList shown, raw;
                for (int c = 0; c < kLogColumnCount; ++c) {
                    shown << LogShown(values.value(c), kLogColumns[c].kind);
                    raw << LogRaw(values.value(c), kLogColumns[c].kind);
                }
                t.rows << shown;
                t.rawRows << raw;
                debit += values.value(kLogDebit).toDouble();
                credit += values.value(kLogCredit).toDouble();
            });
            t.totals = t.rawTotals = QStringList(kLogColumnCount);
            t.totals[0] = t.rawTotals[0] = QStringLiteral("Ukupno");
            t.totals[kLogDebit] = FormatFloat(kAmountFormat, BetterRoundTo(debit, -2));
            t.totals[kLogCredit] = FormatFloat(kAmountFormat, BetterRoundTo(credit, -2));
            t.rawTotals[kLogDebit] = NumberToText(BetterRoundTo(debit, -2));
            t.rawTotals[kLogCredit] = NumberToText(BetterRoundTo(credit, -2));
            last_ = std::move(d);
            return;
        }
        case TReportOutput::Pdf:
            last_ = d;
            ExportLinePdf(path_, true, kLogFontSize, d.title, print);
            return;
        case TReportOutput::Csv:
            last_ = d;
            ReplaceFile(path_, [&](const QString& temp) {
                QFile file(temp);
                if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                                     .arg(path_, file.errorString()));
                QTextStream out(&file);
                WriteLogCsv(rows, out);
                out.flush();
                if (out.status() != QTextStream::Ok || !file.flush())
                    throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                                     .arg(path_, file.errorString()));
            });
            return;
        case TReportOutput::Xlsx:
            last_ = d;
            WriteLogXlsx(path_, rows, d.title, subtitle);
            return;
        case TReportOutput::Preview:
            break;
    }
    last_ = d;
    auto exportAs = [&](TReportOutput output) {
        return [&, output](const QString& path) {
            TReportEngine engine;
            engine.SetOutput(output, path);
            engine.ExecuteLogReport(rows, title, from, to);
        };
    };
    ShowPreview(
        owner_, d.title, [&](QPrinter& p) { SetUpLinePrinter(p, true, d.title); },
        [&](QPrinter& p) { PaintLines(p, true, kLogFontSize, d.title, print); },
        {{QStringLiteral("Izvoz u PDF..."), QStringLiteral("PDF (*.pdf)"), QStringLiteral(".pdf"),
          exportAs(TReportOutput::Pdf)},
         {QStringLiteral("Izvoz u CSV..."), QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"),
          exportAs(TReportOutput::Csv)},
         ExcelExport(exportAs(TReportOutput::Xlsx))});
}

void TReportEngine::WriteLogCsv(const TRowFeed& rows, QTextStream& out) {
    QStringList cells;
    for (const TLogColumn& c : kLogColumns)
        cells << CsvCell(QString::fromUtf8(c.title));
    out << cells.join(QLatin1Char(';')) << "\r\n";
    // Lines of one day follow each other: their dates are written out once.
    QDate dates[2];
    QString dateTexts[2];
    ReadRows(rows, [&](const QVector<QVariant>& values) {
        for (int c = 0; c < kLogColumnCount; ++c) {
            if (c > 0)
                out << ';';
            const QVariant& v = values.value(c);
            if (c < 2 && v.typeId() == QMetaType::QDate) {
                if (v.toDate() != dates[c]) {
                    dates[c] = v.toDate();
                    dateTexts[c] = DateToSql(dates[c]);
                }
                out << dateTexts[c];
                continue;
            }
            out << CsvCell(LogRaw(v, kLogColumns[c].kind));
        }
        out << "\r\n";
    });
}

void TReportEngine::WriteLogText(const TRowFeed& rows, QTextStream& out) {
    constexpr int kTextWidth = 40;  // the description, cut so the amounts stay in line
    auto line = [&](const QStringList& cells) {
        QString text;
        for (int c = 0; c < kLogColumnCount; ++c) {
            const int width = kLogColumns[c].width ? kLogColumns[c].width : kTextWidth;
            if (c > 0)
                text += QLatin1Char(' ');
            text += kLogColumns[c].kind == TCellKind::Amount
                        ? cells.value(c).rightJustified(width)
                        : cells.value(c).leftJustified(width, QLatin1Char(' '), true);
        }
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        out << text << '\n';
    };
    QStringList cells;
    for (const TLogColumn& c : kLogColumns)
        cells << QString::fromUtf8(c.title);
    line(cells);
    double debit = 0, credit = 0;
    ReadRows(rows, [&](const QVector<QVariant>& values) {
        cells.clear();
        for (int c = 0; c < kLogColumnCount; ++c)
            cells << LogShown(values.value(c), kLogColumns[c].kind);
        line(cells);
        debit += values.value(kLogDebit).toDouble();
        credit += values.value(kLogCredit).toDouble();
    });
    cells = QStringList(kLogColumnCount);
    cells[0] = QStringLiteral("Ukupno");
    cells[kLogDebit] = FormatFloat(kAmountFormat, BetterRoundTo(debit, -2));
    cells[kLogCredit] = FormatFloat(kAmountFormat, BetterRoundTo(credit, -2));
    line(cells);
}

namespace {

// The names among the wanted that the dataset has, in the wanted order.
QStringList PresentFields(TDataSet& rows, std::initializer_list<const char*> wanted,
                          bool visibleOnly = false) {
    QStringList names;
    for (const char* name : wanted)
        if (const TField* f = rows.FindField(QString::fromLatin1(name));
            f && (!visibleOnly || f->Visible()))
            names << QString::fromLatin1(name);
    return names;
}

}  // namespace

void TReportEngine::ExecutePreceptListReport(TDataSet& precepts, const QString& title,
                                             const QStringList& conditions) {
    TReportDocument d;
    d.title = title.isEmpty() ? QStringLiteral("Nalozi za knjiženje") : title;
    d.subtitles = conditions;
    d.tables << TableOf(precepts, {}, false,
                        PresentFields(precepts, {"number", "PreceptType", "preceptdate",
                                                 "registerdate", "status", "description"}));
    Emit(std::move(d));
}

void TReportEngine::ExecuteChartReport(TDataSet& accounts, const QString& title,
                                       const QStringList& subtitles) {
    TReportDocument d;
    d.title = title.isEmpty() ? QStringLiteral("Kontni plan") : title;
    d.subtitles = subtitles;
    QStringList columns = PresentFields(accounts, {"code", "name", "type"});
    // The values are the screen's only while it shows them.
    columns << PresentFields(accounts, {"debit", "credit", "balance"}, true);
    d.tables << TableOf(accounts, {}, false, columns);
    Emit(std::move(d));
}

// A card's lines: date, number, text and amounts; the totals row adds up the sides and
// shows the closing balance, not a sum of running balances.
TReportTable TReportEngine::CardTable(TDataSet& lines) {
    QStringList columns;
    for (const char* name : {"preceptdate", "number", "description", "debit", "credit", "balance"})
        if (lines.FindField(QString::fromLatin1(name)))
            columns << QString::fromLatin1(name);
    const bool card = columns.size() == 6;
    TReportTable t = TableOf(
        lines, {}, true, card ? columns : QStringList(),
        card ? QStringList{QStringLiteral("debit"), QStringLiteral("credit")} : QStringList());
    if (card && !t.totals.isEmpty() && !t.rows.isEmpty()) {
        t.totals.last() = t.rows.last().last();
        t.rawTotals.last() = t.rawRows.last().last();
    }
    return t;
}

void TReportEngine::ExecuteAccountReport(TDataSet& account, TDataSet& lines, const QString& text1,
                                         const QString& text2, const QString& text3,
                                         const QString& text4) {
    TReportDocument d;
    d.title = QStringLiteral("Kartica konta");
    d.subtitles << text1 << Period(text2, text3);
    if (!text4.isEmpty())
        d.subtitles << QStringLiteral("Analitika %1").arg(text4);
    d.header = RecordOf(account);
    d.tables << CardTable(lines);
    Emit(std::move(d));
}

void TReportEngine::ExecuteAccountGroupReport(TDataSet& lines, const QString& caption,
                                              const QString& from, const QString& to) {
    TReportDocument d;
    d.title = caption.isEmpty() ? QStringLiteral("Kartica grupe konta") : caption;
    d.subtitles << Period(from, to);
    d.tables << CardTable(lines);
    Emit(std::move(d));
}

void TReportEngine::ExecuteSubaccountsReport(TDataSet& account, TDataSet& totals,
                                             const QString& name, const QString& from,
                                             const QString& to) {
    TReportDocument d;
    d.title = QStringLiteral("Analitike konta");
    d.subtitles << name << Period(from, to);
    d.header = RecordOf(account);
    d.tables << TableOf(totals, {}, true);
    Emit(std::move(d));
}

void TReportEngine::ExecuteGroupSyntheticReport(TDataSet& lines, TDataSet& totals,
                                                const QString& caption, const QString& from,
                                                const QString& to) {
    TReportDocument d;
    d.title = caption.isEmpty() ? QStringLiteral("Kartica grupe po sintetici") : caption;
    d.subtitles << Period(from, to);
    d.tables << CardTable(lines) << TableOf(totals, QStringLiteral("Sintetika"), true);
    Emit(std::move(d));
}

void TReportEngine::Statement(const QString& defaultTitle, TReportTable table, const QString& text,
                              const QString& start, const QString& end, bool landscape) {
    TReportDocument d;
    d.title = text.trimmed().isEmpty() ? defaultTitle : text;
    d.subtitles << Period(start, end);
    d.tables << std::move(table);
    d.landscape = landscape;
    Emit(std::move(d));
}

namespace {

// The amount columns of the trial balances and closing sheets: the title of the group they
// stand under and their own short title.
struct TBalanceColumn {
    const char* field;
    const char* group;
    const char* title;
};
constexpr TBalanceColumn kBalanceColumns[] = {
    {"startdebit", "Početno stanje", "Duguje"},   {"startcredit", "Početno stanje", "Potražuje"},
    {"startbalance", "Početno stanje", "Saldo"},  {"yeardebit", "Promet", "Duguje"},
    {"yearcredit", "Promet", "Potražuje"},        {"yearbalance", "Promet", "Saldo"},
    {"totaldebit", "Ukupno", "Duguje"},           {"totalcredit", "Ukupno", "Potražuje"},
    {"totalbalance", "Ukupno", "Saldo"},          {"totalbalancedebit", "Saldo", "Duguje"},
    {"totalbalancecredit", "Saldo", "Potražuje"},
};

const TBalanceColumn* BalanceColumn(const QString& field) {
    for (const TBalanceColumn& c : kBalanceColumns)
        if (field.compare(QLatin1String(c.field), Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

}  // namespace

// The rows of a trial balance or closing sheet: the amounts in groups, a caption where the
// section (groupdescription) changes, and the classes and the grand total in bold.
TReportTable TReportEngine::BalanceTable(TDataSet& rows) {
    TReportTable t = TableOf(rows);
    bool grouped = false;
    for (int i = 0, c = 0; i < rows.FieldCount(); ++i) {
        const TField& f = rows.Fields(i);
        if (!f.Visible())
            continue;  // as TableOf leaves it out
        const TBalanceColumn* column = BalanceColumn(f.FieldName());
        const QString group = column ? QString::fromUtf8(column->group) : QString();
        t.shortTitles << (column ? QString::fromUtf8(column->title) : t.titles.value(c));
        if (!t.headerGroups.isEmpty() && t.headerGroups.last().first == group)
            ++t.headerGroups.last().second;
        else
            t.headerGroups.append({group, 1});
        grouped = grouped || column;
        ++c;
    }
    if (!grouped) {
        t.headerGroups.clear();
        t.shortTitles.clear();
    }
    const TField* section = rows.FindField(QStringLiteral("groupdescription"));
    const TField* number = rows.FindField(QStringLiteral("number"));
    QString current;
    for (int rec = 1; rec <= t.rows.size(); ++rec) {
        const QString s = section ? rows.RecordValue(rec, section->Index()).toString() : QString();
        t.sections << (s != current ? s : QString());
        current = s;
        // A class (a code of one character) and the grand total (no code) sum rows above them.
        t.emphasised << (number &&
                         rows.RecordValue(rec, number->Index()).toString().trimmed().size() <= 1);
    }
    return t;
}

void TReportEngine::ExecuteTestBalanceReport(TDataSet& rows, TDataSet&, const QString& text,
                                             const QString& start, const QString& end) {
    Statement(QStringLiteral("Bruto bilans"), BalanceTable(rows), text, start, end, true);
}

// A statutory statement as its form prints it: account group, position, AOP and the value
// columns under one title; the sections (assets, liabilities, ...) as captions, and the
// headline positions, which the forms write in capitals, in bold.
TReportTable TReportEngine::StatementTable(TDataSet& rows) {
    if (!rows.FindField(QStringLiteral("Index")))
        return TableOf(rows);  // not a statement's rows: a plain table
    QStringList columns;
    for (const char* name : {"AccountGroup", "Description", "Index", "Value", "PrevValue",
                             "PrevStartValue", "GrossValue", "CorrectionValue", "NetValue"})
        if (rows.FindField(QString::fromLatin1(name)))
            columns << QString::fromLatin1(name);
    TReportTable t = TableOf(rows, {}, false, columns);
    for (const QString& name : columns) {
        const bool value = name.endsWith(QLatin1String("Value"));
        const QString title = value ? QStringLiteral("Iznos") : QString();
        if (!t.headerGroups.isEmpty() && t.headerGroups.last().first == title)
            ++t.headerGroups.last().second;
        else
            t.headerGroups.append({title, 1});
        QString label = rows.FieldByName(name).DisplayLabel();
        if (value && label.startsWith(QLatin1String("Vrednost ("))) {
            label = label.mid(10).chopped(1);
            label[0] = label[0].toUpper();
        }
        t.shortTitles << label;
    }
    const TField* group = rows.FindField(QStringLiteral("Group"));
    const TField* description = rows.FindField(QStringLiteral("Description"));
    QString current;
    for (int rec = 1; rec <= t.rows.size(); ++rec) {
        const QString s = group ? rows.RecordValue(rec, group->Index()).toString() : QString();
        t.sections << (s != current ? s : QString());
        current = s;
        const QString text =
            description ? rows.RecordValue(rec, description->Index()).toString() : QString();
        t.emphasised << (!text.isEmpty() && text == text.toUpper());
    }
    return t;
}

void TReportEngine::ExecuteBalanceSheetReport(TDataSet& rows, TDataSet&, const QString& text,
                                              const QString& start, const QString& end) {
    Statement(QStringLiteral("Bilans stanja"), StatementTable(rows), text, start, end);
}

void TReportEngine::ExecuteIncomeStatementReport(TDataSet& rows, TDataSet&, const QString& text,
                                                 const QString& start, const QString& end) {
    Statement(QStringLiteral("Bilans uspeha"), StatementTable(rows), text, start, end);
}

void TReportEngine::ExecuteCashFlowReport(TDataSet& rows, TDataSet&, const QString& text,
                                          const QString& start, const QString& end) {
    Statement(QStringLiteral("Izveštaj o tokovima gotovine"), StatementTable(rows), text, start,
              end);
}

void TReportEngine::ExecuteStatisticalAnnexReport(TDataSet& rows, TDataSet&, const QString& text,
                                                  const QString& start, const QString& end) {
    Statement(QStringLiteral("Statistički aneks"), StatementTable(rows), text, start, end, true);
}

void TReportEngine::ExecuteClosingSheetReport(TDataSet& rows, TDataSet&, const QString& text,
                                              const QString& start, const QString& end) {
    Statement(QStringLiteral("Zaključni list"), BalanceTable(rows), text, start, end, true);
}

bool ExportToExcel(const QString& title, const std::function<void(TReportEngine&)>& print) {
    return ExportAsked(title, ExcelExport([&print](const QString& path) {
                           TReportEngine engine;
                           engine.SetOutput(TReportOutput::Xlsx, path);
                           print(engine);
                       }));
}

}  // namespace fin
