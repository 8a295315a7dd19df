#pragma once

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

namespace fin::test {

// What a spreadsheet shows of a cell: its text (shared strings resolved, numbers as
// written), whether it is a number, whether it is bold and its number format.
struct TXlsxCell {
    QString text;
    bool number = false;
    bool bold = false;
    QString format;
};

// The first sheet of a workbook, read back from the file through unzip.
struct TXlsxSheet {
    bool read = false;                // the file was a workbook with a first sheet
    QHash<QString, TXlsxCell> cells;  // by reference, "B7"
    QStringList merged;               // "C4:E4"
    QString frozenAt;                 // the first cell that scrolls, "A6"
    QString orientation;
    QHash<int, double> widths;  // set column widths by column number, 1 for A

    // The width a column shows: its own, or the default of a sheet.
    double Width(int column) const { return widths.value(column, kDefaultWidth); }
    static constexpr double kDefaultWidth = 8.43;

    TXlsxCell At(const QString& ref) const { return cells.value(ref); }
};

inline QByteArray XlsxPart(const QString& path, const QString& part) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, part});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0)
        return {};
    return unzip.readAllStandardOutput();
}

inline TXlsxSheet ReadXlsx(const QString& path) {
    TXlsxSheet sheet;
    QStringList strings;
    {
        QXmlStreamReader xml(XlsxPart(path, QStringLiteral("xl/sharedStrings.xml")));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si"))
                strings << QString();
            else if (xml.isStartElement() && xml.name() == QLatin1String("t"))
                strings.last() += xml.readElementText();
        }
    }
    // Built-in formats the writer uses without declaring them.
    QHash<int, QString> formats{{0, QString()}, {4, QStringLiteral("#,##0.00")}};
    QVector<bool> boldFonts;
    QVector<QPair<int, int>> styles;  // number format and font of each cell style
    {
        QXmlStreamReader xml(XlsxPart(path, QStringLiteral("xl/styles.xml")));
        bool inCellStyles = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs"))
                inCellStyles = false;
            if (!xml.isStartElement())
                continue;
            const auto a = xml.attributes();
            if (xml.name() == QLatin1String("numFmt"))
                formats.insert(a.value("numFmtId").toInt(), a.value("formatCode").toString());
            else if (xml.name() == QLatin1String("font"))
                boldFonts << false;
            else if (xml.name() == QLatin1String("b") && !boldFonts.isEmpty())
                boldFonts.last() = true;
            else if (xml.name() == QLatin1String("cellXfs"))
                inCellStyles = true;
            else if (xml.name() == QLatin1String("xf") && inCellStyles)
                styles.append({a.value("numFmtId").toInt(), a.value("fontId").toInt()});
        }
    }
    const QByteArray data = XlsxPart(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    sheet.read = !data.isEmpty();
    QXmlStreamReader xml(data);
    QString ref, type;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("c")) {
            ref = a.value("r").toString();
            type = a.value("t").toString();
            const auto [format, font] = styles.value(a.value("s").toInt());
            TXlsxCell& cell = sheet.cells[ref];
            cell.bold = boldFonts.value(font);
            cell.format = formats.value(format);
        } else if (xml.name() == QLatin1String("v")) {
            const QString v = xml.readElementText();
            TXlsxCell& cell = sheet.cells[ref];
            cell.number = type.isEmpty() || type == QLatin1String("n");
            cell.text = type == QLatin1String("s") ? strings.value(v.toInt()) : v;
        } else if (xml.name() == QLatin1String("t") && type == QLatin1String("inlineStr")) {
            // A workbook written row by row keeps its texts in the cells.
            sheet.cells[ref].text = xml.readElementText();
        } else if (xml.name() == QLatin1String("mergeCell")) {
            sheet.merged << a.value("ref").toString();
        } else if (xml.name() == QLatin1String("pane") &&
                   a.value("state") == QLatin1String("frozen")) {
            sheet.frozenAt = a.value("topLeftCell").toString();
        } else if (xml.name() == QLatin1String("col")) {
            for (int c = a.value("min").toInt(); c <= a.value("max").toInt(); ++c)
                sheet.widths.insert(c, a.value("width").toDouble());
        } else if (xml.name() == QLatin1String("pageSetup")) {
            sheet.orientation = a.value("orientation").toString();
        }
    }
    return sheet;
}

}  // namespace fin::test
