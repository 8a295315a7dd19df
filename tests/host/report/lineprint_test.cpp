#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "host/data/dataset.h"
#include "host/report/lineprint.h"
#include "host/report/reportengine.h"
#include "tests/host/report/xlsxread.h"

namespace fin::test {
namespace {

// Pages kept as text, so a test reads what each row of each page says.
class TTextCanvas : public TLineCanvas {
public:
    using TLineCanvas::TLineCanvas;
    struct TPage {
        QStringList lines;
        QVector<int> bold, rules;
        int Find(const QString& start) const {
            for (int r = 0; r < lines.size(); ++r)
                if (lines[r].startsWith(start))
                    return r;
            return -1;
        }
    };
    std::vector<TPage> pages;
    bool finished = false;

    void NewPage() override { pages.push_back({QStringList(Rows()), {}, {}}); }
    void Line(int row, const QString& text, bool bold) override {
        ASSERT_FALSE(pages.empty());
        ASSERT_GE(row, 0);
        ASSERT_LT(row, Rows());
        EXPECT_TRUE(pages.back().lines[row].isEmpty()) << "row " << row << " written twice";
        EXPECT_LE(text.trimmed().size(), Columns()) << text.toStdString();
        pages.back().lines[row] = text;
        if (bold)
            pages.back().bold << row;
    }
    void Rule(int row) override { pages.back().rules << row; }
    void Finish() override { finished = true; }
};

QString Tool(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(LinePrint, PagesCarryTheirTotalsForwardAndCloseWithTheGrandTotal) {
    TTextCanvas canvas(true, 20);  // 22 rows of 65 characters
    ASSERT_EQ(canvas.Rows(), 22);
    ASSERT_EQ(canvas.Columns(), 65);
    TPagedList list(
        canvas, "Dnevnik", "Period: mart",
        {{"Datum", 11}, {"Opis", 0}, {"Duguje", 12, true, true}, {"Potražuje", 12, true, true}});
    for (int i = 1; i <= 40; ++i)
        list.Add({"01.03.2024.", i == 1 ? QString(80, 'x') : QString("Stavka %1").arg(i),
                  QString("%1,00").arg(i), "0,50"},
                 {double(i), 0.5});
    list.Finish();
    EXPECT_TRUE(canvas.finished);
    ASSERT_EQ(canvas.pages.size(), 3u);  // 17 rows, then 16, then the last 7
    EXPECT_EQ(list.Pages(), 3);
    const auto& first = canvas.pages[0];
    EXPECT_TRUE(first.lines[0].startsWith("Dnevnik"));
    EXPECT_TRUE(first.lines[0].endsWith("Strana 1"));
    EXPECT_EQ(first.lines[0].size(), canvas.Columns());
    EXPECT_EQ(first.lines[1], "Period: mart");
    const QString titles = first.lines[2];
    EXPECT_TRUE(titles.startsWith("Datum       Opis"));
    EXPECT_TRUE(titles.endsWith("Duguje    Potražuje"));
    EXPECT_EQ(first.Find("Prenos"), -1);
    EXPECT_EQ(first.lines[3].mid(12, 10), "xxxxxxxxxx");        // a long text is cut ...
    EXPECT_TRUE(first.lines[3].endsWith("1,00         0,50"));  // ... the amounts stay
    EXPECT_TRUE(first.lines[19].contains("Stavka 17"));
    auto totals = [](const QString& line) {
        return line.simplified().section(' ', -2);  // the two amounts
    };
    EXPECT_TRUE(first.lines[20].startsWith("Svega na strani"));
    EXPECT_EQ(totals(first.lines[20]), "153,00 8,50");
    EXPECT_TRUE(first.lines[21].startsWith("Za prenos"));
    EXPECT_EQ(totals(first.lines[21]), "153,00 8,50");
    EXPECT_TRUE(first.bold.contains(21) && first.bold.contains(2) && !first.bold.contains(20));
    EXPECT_TRUE(first.rules.contains(19));  // under the last row, over the sums
    // Every amount ends where its column's title ends.
    EXPECT_EQ(first.lines[21].size(), titles.size());

    const auto& second = canvas.pages[1];
    EXPECT_TRUE(second.lines[0].endsWith("Strana 2"));
    EXPECT_TRUE(second.lines[3].startsWith("Prenos"));
    EXPECT_EQ(totals(second.lines[3]), "153,00 8,50");
    EXPECT_TRUE(second.lines[4].contains("Stavka 18"));
    EXPECT_TRUE(second.lines[19].contains("Stavka 33"));
    EXPECT_EQ(totals(second.lines[20]), "408,00 8,00");
    EXPECT_EQ(totals(second.lines[21]), "561,00 16,50");

    const auto& last = canvas.pages[2];
    EXPECT_EQ(totals(last.lines[3]), "561,00 16,50");
    EXPECT_TRUE(last.lines[10].contains("Stavka 40"));
    EXPECT_TRUE(last.lines[11].startsWith("Svega na strani"));
    EXPECT_EQ(totals(last.lines[11]), "259,00 3,50");
    EXPECT_TRUE(last.lines[12].startsWith("Ukupno"));
    EXPECT_EQ(totals(last.lines[12]), "820,00 20,00");
    EXPECT_EQ(last.Find("Za prenos"), -1);

    // A list without rows still prints its page, with zero totals.
    TTextCanvas empty(true, 20);
    TPagedList none(empty, "Dnevnik", {}, {{"Opis", 0}, {"Duguje", 12, true, true}});
    none.Finish();
    ASSERT_EQ(empty.pages.size(), 1u);
    EXPECT_EQ(totals(empty.pages[0].lines[empty.pages[0].Find("Ukupno")]), "Ukupno 0,00");
}

TEST(LinePrint, GroupVoucherPutsEachVoucherAtItsPagePosition) {
    TTextCanvas canvas(false, 8);  // 81 rows of 112 characters
    ASSERT_EQ(canvas.Rows(), 81);
    const int middle = canvas.Rows() / 2;
    auto voucher = [](const QString& number, int page, int lines, int fillers) {
        TVoucherBlock b;
        b.title = "Nalog " + number;
        b.details = "Tip: 77 - Temeljnica";
        b.related = number == "A" ? "Veza: R - 12/24" : QString();
        b.page = page;
        b.fillers = fillers;
        for (int i = 1; i <= lines; ++i) {
            b.lines << QStringList{QString::number(i),
                                   "2040",
                                   "3",
                                   "Alfa",
                                   QString("%1-%2").arg(number).arg(i),
                                   "10,00",
                                   "0,00"};
            b.debit += 10;
        }
        return b;
    };
    // As the filler rows of a group print have them: five lines on top, thirty in the middle
    // going on over the page and ending in the middle of the next, three in its middle and
    // one on top of the third page.
    PrintGroupVoucher(canvas, "Zbirni nalog",
                      {voucher("A", 1, 5, 16), voucher("B", 2, 30, 24), voucher("C", 2, 3, 7),
                       voucher("D", 1, 1, 20)});
    ASSERT_EQ(canvas.pages.size(), 3u);
    const auto& one = canvas.pages[0];
    EXPECT_TRUE(one.lines[0].startsWith("Zbirni nalog"));
    EXPECT_TRUE(one.lines[0].endsWith("Strana 1"));
    EXPECT_EQ(one.Find("Nalog A"), 2);
    EXPECT_EQ(one.Find("Veza: R - 12/24"), 4);
    const int titles = one.Find("R.b. Konto");
    EXPECT_EQ(titles, 5);
    EXPECT_TRUE(one.lines[titles].contains("Naziv analitike"));
    EXPECT_TRUE(one.lines[6].contains("A-1"));
    // Five lines and sixteen empty rows, then the totals and the signatures.
    const int sums = one.Find("Ukupno");
    EXPECT_EQ(sums, 6 + 5 + 16);
    EXPECT_TRUE(one.lines[sums].contains(QRegularExpression("50,00 +0,00$")))
        << one.lines[sums].toStdString();
    EXPECT_TRUE(one.lines[sums + 2].startsWith("Sastavio:"));
    EXPECT_EQ(one.Find("Nalog B"), middle);
    EXPECT_TRUE(one.lines[middle + 4 + 29].contains("B-30"));
    // B goes on over the page under the column titles and ends above the middle, where C is.
    const auto& two = canvas.pages[1];
    EXPECT_TRUE(two.lines[0].endsWith("Strana 2"));
    EXPECT_TRUE(two.lines[2].startsWith("R.b. Konto"));
    EXPECT_LT(two.Find("Ukupno"), middle);
    EXPECT_TRUE(two.lines[two.Find("Ukupno")].contains("300,00"));
    EXPECT_EQ(two.Find("Nalog C"), middle);
    EXPECT_EQ(canvas.pages[2].Find("Nalog D"), 2);
}

TEST(LinePrint, PdfWriterWritesEveryPageReadablyAsItGoes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("linije.pdf");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        TPdfLineWriter pdf(file, false, 10, "Probni dokument ćčžšđ");
        for (int page = 1; page <= 3; ++page) {
            pdf.NewPage();
            pdf.Line(0, QString("Strana %1").arg(page), true);
            pdf.Rule(0);
            pdf.Line(2, "Čačak Ćuprija Đurđevdan Šabac Žabalj (zagrade) \\ kosa crta");
            pdf.Line(3, "čćđšž ČĆĐŠŽ € „navodnici“ – crta …");
            pdf.Line(4, "Ruski: Жэ");
            pdf.Line(pdf.Rows(), "van strane");  // nothing beyond the last row
        }
        pdf.Finish();
        EXPECT_EQ(pdf.Pages(), 3);
    }
    const QString info = Tool("pdfinfo", {path});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+3"))) << info.toStdString();
    EXPECT_TRUE(info.contains("Probni dokument ćčžšđ")) << info.toStdString();
    const QString text = Tool("pdftotext", {"-layout", path, "-"});
    EXPECT_TRUE(text.contains("Čačak Ćuprija Đurđevdan Šabac Žabalj (zagrade) \\ kosa crta"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("čćđšž ČĆĐŠŽ €")) << text.toStdString();
    EXPECT_TRUE(text.contains("Ruski: ??"));
    EXPECT_TRUE(text.contains("Strana 3"));
    EXPECT_FALSE(text.contains("van strane"));
    const QString fonts = Tool("pdffonts", {path});
    EXPECT_TRUE(fonts.contains("Courier-Bold")) << fonts.toStdString();
}

TEST(LinePrint, PainterDrawsTheSamePagesForPreviewAndPrinters) {
    QTemporaryDir dir;
    const QString path = dir.filePath("slikar.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
    printer.setFullPage(true);
    QPainter painter(&printer);
    TPainterLineCanvas canvas(painter, printer, true, 7.5);
    EXPECT_EQ(canvas.Columns(), 174);
    EXPECT_EQ(canvas.Rows(), 59);
    TPagedList list(canvas, "Dnevnik glavne knjige", "Period: 2024",
                    {{"Opis", 0}, {"Duguje", 18, true, true}});
    for (int i = 1; i <= 60; ++i)
        list.Add({QString("Uplata kupca Šabac %1").arg(i), "1,00"}, {1.0});
    list.Finish();
    painter.end();
    EXPECT_EQ(list.Pages(), 2);
    const QString info = Tool("pdfinfo", {path});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2"))) << info.toStdString();
    const QString text = Tool("pdftotext", {"-layout", path, "-"});
    for (const char* expected :
         {"Dnevnik glavne knjige", "Strana 2", "Uplata kupca Šabac 60", "Prenos", "Ukupno"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_TRUE(text.contains(QRegularExpression("Ukupno +60,00"))) << text.toStdString();
}

// A day book as its rows come from the server: dates, number, codes, text, amounts.
TRowFeed Book(int count) {
    return [count](const TRowSink& row) {
        for (int i = 1; i <= count; ++i)
            row({QDate(2024, 3, 1 + i % 28), QDate(2024, 3, 1 + i % 28),
                 QString("%1/24").arg(i, 5, 10, QChar('0')),
                 i % 2 ? QVariant("202015") : QVariant(), "204015",
                 i == 2 ? QString("Uplata; \"avans\"") : QString("Stavka %1").arg(i), i * 1.5,
                 i == 1 ? 1234567.891 : 0.0});
    };
}

TEST(LinePrint, DayBookFromStreamedRowsInEveryOutput) {
    QTemporaryDir dir;
    TReportEngine engine;
    engine.SetOutput(TReportOutput::Document);
    engine.ExecuteLogReport(Book(3), "", "01.03.2024.", "31.03.2024.");
    const TReportDocument& d = engine.LastDocument();
    EXPECT_EQ(d.title, "Dnevnik glavne knjige");
    EXPECT_EQ(d.subtitles, QStringList{"Period: 01.03.2024. - 31.03.2024."});
    ASSERT_EQ(d.tables.size(), 1);
    const TReportTable& t = d.tables[0];
    EXPECT_EQ(t.titles, QStringList({"Datum", "Datum knjiženja", "Broj", "Konto", "Novi konto",
                                     "Opis", "Duguje", "Potražuje"}));
    ASSERT_EQ(t.rows.size(), 3);
    EXPECT_EQ(t.rows[0], QStringList({"02.03.2024.", "02.03.2024.", "00001/24", "202015", "204015",
                                      "Stavka 1", "1,50", "1.234.567,89"}));
    EXPECT_EQ(t.rawRows[0].value(7), "1234567.89");
    EXPECT_EQ(t.rows[1].value(3), "");
    EXPECT_EQ(t.totals.value(0), "Ukupno");
    EXPECT_EQ(t.totals.value(6), "9,00");
    EXPECT_EQ(TReportEngine::LogFields(),
              QStringList({"preceptdate", "registerdate", "number", "accountcode", "accountnewcode",
                           "description", "debit", "credit"}));

    engine.SetOutput(TReportOutput::Csv, dir.filePath("dnevnik.csv"));
    engine.ExecuteLogReport(Book(3), "", "", "");
    QFile csv(dir.filePath("dnevnik.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1], "2024-03-02;2024-03-02;00001/24;202015;204015;Stavka 1;1.5;1234567.89");
    EXPECT_EQ(lines[2], "2024-03-03;2024-03-03;00002/24;;204015;\"Uplata; \"\"avans\"\"\";3;0");
    EXPECT_TRUE(engine.LastDocument().tables[0].rows.isEmpty());  // nothing held

    engine.SetOutput(TReportOutput::Pdf, dir.filePath("dnevnik.pdf"));
    engine.ExecuteLogReport(Book(130), "", "01.03.2024.", "31.03.2024.");
    const QString text = Tool("pdftotext", {"-layout", dir.filePath("dnevnik.pdf"), "-"});
    for (const char* expected :
         {"Dnevnik glavne knjige", "Strana 1", "Strana 3", "Prenos", "Za prenos", "Svega na strani",
          "Datum knjiženja", "Potražuje", "Uplata; \"avans\"", "1.234.567,89", "Ukupno"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_TRUE(text.contains(QRegularExpression("Ukupno +12\\.772,50 +1\\.234\\.567,89")))
        << text.toStdString();

    engine.SetOutput(TReportOutput::Xlsx, dir.filePath("dnevnik.xlsx"));
    engine.ExecuteLogReport(Book(3), "", "01.03.2024.", "31.03.2024.");
    const TXlsxSheet sheet = ReadXlsx(dir.filePath("dnevnik.xlsx"));
    ASSERT_TRUE(sheet.read);
    EXPECT_EQ(sheet.At("A1").text, "Dnevnik glavne knjige");
    EXPECT_EQ(sheet.At("B4").text, "Datum knjiženja");
    EXPECT_EQ(sheet.frozenAt, "A5");
    EXPECT_TRUE(sheet.At("A5").number);  // a date
    EXPECT_EQ(sheet.At("H5").text, "1234567.89");
    EXPECT_EQ(sheet.At("H5").format, "#,##0.00");
    EXPECT_EQ(sheet.At("A8").text, "Ukupno");
    EXPECT_TRUE(sheet.At("G8").bold);
    EXPECT_EQ(sheet.At("G8").text, "9");
    EXPECT_EQ(sheet.orientation, "landscape");
}

// A dataset with the day book's fields prints as the day book, as the screen hands it over.
TEST(LinePrint, DayBookScreenRowsPrintAsTheBook) {
    TDataSet rows("LogZQ");
    rows.AddField("preceptitemid", TFieldType::Integer);
    rows.AddField("preceptdate", TFieldType::Date, 0, "Datum");
    rows.AddField("registerdate", TFieldType::Date, 0, "Datum knjiženja");
    rows.AddField("number", TFieldType::String, 30, "Broj");
    rows.AddField("accountcode", TFieldType::String, 14, "Konto");
    rows.AddField("accountnewcode", TFieldType::String, 19, "Novi konto");
    rows.AddField("description", TFieldType::String, 100, "Opis");
    rows.AddField("debit", TFieldType::Float, 0, "Duguje");
    rows.AddField("credit", TFieldType::Float, 0, "Potražuje");
    rows.Open();
    for (int i = 1; i <= 4; ++i)
        rows.AppendRecord({i, QDate(2024, 5, i), QDate(2024, 5, i), "N1", "2020", "2020",
                           QString("Red %1").arg(i), 10.0 * i, 0.0});
    rows.SetRecNo(2);
    TReportEngine engine;
    engine.SetOutput(TReportOutput::Document);
    engine.ExecuteLogReport(rows, "", "", "");
    EXPECT_EQ(rows.RecNo(), 2);
    const TReportTable& t = engine.LastDocument().tables[0];
    ASSERT_EQ(t.rows.size(), 4);
    EXPECT_EQ(t.titles.size(), 8);  // the key stays out
    EXPECT_EQ(t.rows[3].value(5), "Red 4");
    EXPECT_EQ(t.totals.value(6), "100,00");
}

}  // namespace
}  // namespace fin::test
