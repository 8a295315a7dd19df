#include "host/report/reportengine.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QToolBar>
#include <algorithm>
#include <filesystem>

#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "host/data/dataset.h"
#include "host/ui/uiservice.h"

namespace fin {

namespace {

constexpr int kProgressFrom = 2000;  // rows; smaller reports are done before anyone waits

bool IsNumeric(const TField& f) {
    return f.DataType() == TFieldType::Float || f.DataType() == TFieldType::Integer;
}

QString CsvCell(const QString& text) {
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
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

void SetUpPrinter(QPrinter& printer, const TReportDocument& d) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(ColumnCount(d) > 8 ? QPageLayout::Landscape : QPageLayout::Portrait);
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

}  // namespace

QString TReportDocument::ToHtml() const {
    QString html = QStringLiteral(
        "<html><head><meta charset=\"utf-8\"><style>"
        "h1{font-size:13pt;margin:0} p.sub{margin:0;color:#333}"
        "table.grid{border-collapse:collapse;margin-top:6px}"
        "table.grid th{background:#e6e6e6;border:1px solid #888;padding:2px 4px}"
        "table.grid td{border:1px solid #bbb;padding:1px 4px}"
        "td.num{text-align:right} tr.total td{font-weight:bold;background:#f2f2f2}"
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
        for (const QString& title : t.titles)
            html += QStringLiteral("<th>%1</th>").arg(title.toHtmlEscaped());
        html += QStringLiteral("</tr></thead>");
        auto row = [&](const QStringList& cells, bool total) {
            html += total ? QStringLiteral("<tr class=\"total\">") : QStringLiteral("<tr>");
            for (int c = 0; c < cells.size(); ++c)
                html +=
                    QStringLiteral("<td%1>%2</td>")
                        .arg(t.numeric.value(c) ? QStringLiteral(" class=\"num\" align=\"right\"")
                                                : QString(),
                             cells[c].toHtmlEscaped());
            html += QStringLiteral("</tr>");
        };
        for (const QStringList& cells : t.rows)
            row(cells, false);
        if (!t.totals.isEmpty())
            row(t.totals, true);
        html += QStringLiteral("</table>");
    }
    html += QStringLiteral("</body></html>");
    return html;
}

QString TReportDocument::ToPlainText() const {
    QStringList lines{title};
    lines << subtitles;
    for (const auto& [label, text] : header)
        lines << label + QStringLiteral(": ") + text;
    for (const TReportTable& t : tables) {
        if (!t.caption.isEmpty())
            lines << t.caption;
        lines << t.titles.join(QLatin1Char('\t'));
        for (const QStringList& r : t.rows)
            lines << r.join(QLatin1Char('\t'));
        if (!t.totals.isEmpty())
            lines << t.totals.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
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

void ExportReportCsv(const TReportDocument& document, const QString& path) {
    ReplaceFile(path, [&](const QString& temp) {
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, file.errorString()));
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
        if (file.write(out) != out.size() || !file.flush())
            throw TError(QStringLiteral("Datoteka \"%1\" ne može biti upisana: %2")
                             .arg(path, file.errorString()));
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
                continue;
            }
            const QString format = fields[c]->DisplayFormat().isEmpty()
                                       ? QStringLiteral("#,##0.00")
                                       : fields[c]->DisplayFormat();
            t.totals << FormatFloat(format, BetterRoundTo(sums[c], -2));
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
        case TReportOutput::Preview:
            break;
    }
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, last_);
    QPrintPreviewDialog preview(&printer, owner_);
    preview.setWindowTitle(last_.title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [this](QPrinter* p) {
        try {
            Paint(last_, *p);
        } catch (const TError& e) {
            Ui().ShowMessage(TMessageType::Error, e.Message());
        }
    });
    if (QToolBar* bar = preview.findChild<QToolBar*>()) {
        auto exportTo = [this, &preview](const QString& filter, const QString& suffix,
                                         void (*write)(const TReportDocument&, const QString&)) {
            QString path = QFileDialog::getSaveFileName(&preview, QStringLiteral("Izvoz"),
                                                        last_.title + suffix, filter);
            if (path.isEmpty())
                return;
            try {
                write(last_, path);
            } catch (const TError& e) {
                Ui().ShowMessage(TMessageType::Error, e.Message());
            }
        };
        bar->addSeparator();
        bar->addAction(QStringLiteral("Izvoz u PDF..."), &preview, [exportTo] {
            exportTo(QStringLiteral("PDF (*.pdf)"), QStringLiteral(".pdf"), &ExportReportPdf);
        });
        bar->addAction(QStringLiteral("Izvoz u CSV..."), &preview, [exportTo] {
            exportTo(QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"), &ExportReportCsv);
        });
    }
    preview.exec();
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
    Emit(std::move(d));
}

void TReportEngine::ExecuteLogReport(TDataSet& rows, const QString& title, const QString& from,
                                     const QString& to) {
    TReportDocument d;
    d.title = title.isEmpty() ? QStringLiteral("Dnevnik glavne knjige") : title;
    d.subtitles << Period(from, to);
    d.tables << TableOf(rows, {}, true);
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
    if (card && !t.totals.isEmpty() && !t.rows.isEmpty())
        t.totals.last() = t.rows.last().last();
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

void TReportEngine::Statement(const QString& defaultTitle, TDataSet& rows, const QString& text,
                              const QString& start, const QString& end) {
    TReportDocument d;
    d.title = text.trimmed().isEmpty() ? defaultTitle : text;
    d.subtitles << Period(start, end);
    d.tables << TableOf(rows);
    Emit(std::move(d));
}

void TReportEngine::ExecuteTestBalanceReport(TDataSet& rows, TDataSet&, const QString& text,
                                             const QString& start, const QString& end) {
    Statement(QStringLiteral("Bruto bilans"), rows, text, start, end);
}

void TReportEngine::ExecuteBalanceSheetReport(TDataSet& rows, TDataSet&, const QString& text,
                                              const QString& start, const QString& end) {
    Statement(QStringLiteral("Bilans stanja"), rows, text, start, end);
}

void TReportEngine::ExecuteIncomeStatementReport(TDataSet& rows, TDataSet&, const QString& text,
                                                 const QString& start, const QString& end) {
    Statement(QStringLiteral("Bilans uspeha"), rows, text, start, end);
}

void TReportEngine::ExecuteCashFlowReport(TDataSet& rows, TDataSet&, const QString& text,
                                          const QString& start, const QString& end) {
    Statement(QStringLiteral("Izveštaj o tokovima gotovine"), rows, text, start, end);
}

void TReportEngine::ExecuteStatisticalAnnexReport(TDataSet& rows, TDataSet&, const QString& text,
                                                  const QString& start, const QString& end) {
    Statement(QStringLiteral("Statistički aneks"), rows, text, start, end);
}

void TReportEngine::ExecuteClosingSheetReport(TDataSet& rows, TDataSet&, const QString& text,
                                              const QString& start, const QString& end) {
    Statement(QStringLiteral("Zaključni list"), rows, text, start, end);
}

}  // namespace fin
