#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "host/data/dataset.h"
#include "host/report/reportengine.h"

namespace fin::test {
namespace {

// Voucher lines as a report gets them: labels, formats, a Serbian text and markup.
std::unique_ptr<TDataSet> Lines(int count = 3) {
    auto ds = std::make_unique<TDataSet>("AccountItemZQ");
    ds->AddField("preceptdate", TFieldType::Date, 0, "Datum");
    ds->AddField("description", TFieldType::String, 100, "Opis");
    ds->AddField("debit", TFieldType::Float, 0, "Duguje").SetDisplayFormat("#,##0.00");
    ds->AddField("credit", TFieldType::Float, 0, "Potražuje").SetDisplayFormat("#,##0.00");
    ds->AddField("preceptitemid", TFieldType::Integer).SetVisible(false);
    ds->Open();
    const QString texts[] = {"Ulaz robe ćčžšđ", "<b>Kupac & sin</b>", "Uplata; \"avans\""};
    for (int i = 0; i < count; ++i)
        ds->AppendRecord({QDate(2024, 3, 1 + i % 28), texts[i % 3], 1234.5 * (i + 1), 0.1 * i, i});
    return ds;
}

std::unique_ptr<TDataSet> Account() {
    auto ds = std::make_unique<TDataSet>("AccountNewZQ");
    ds->AddField("code", TFieldType::String, 9, "Konto");
    ds->AddField("name", TFieldType::String, 255, "Ime");
    ds->Open();
    ds->AppendRecord({"2040", "Kupci u zemlji"});
    return ds;
}

QString PdfText(const QString& path) {
    QProcess p;
    p.start("pdftotext", {"-layout", path, "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

class ReportTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) { return dir.filePath(name); }
};

TEST_F(ReportTest, EveryOperationRendersItsRowsToPdf) {
    auto lines = Lines();
    auto account = Account();
    TDataSet empty("PreceptZQ");
    empty.Open();
    struct TCase {
        const char* name;
        std::function<void(TReportEngine&)> run;
        QStringList expected;
    };
    const QStringList rows{"Ulaz robe ćčžšđ", "1.234,50", "3.703,50", "Potražuje"};
    const std::vector<TCase> cases{
        {"precept",
         [&](TReportEngine& e) {
             e.ExecutePreceptReport(*account, *lines, "Nalog 00012/24-10", "05.03.2024.",
                                    "Račun - 17");
         },
         rows + QStringList{"Nalog 00012/24-10", "Datum: 05.03.2024.", "Račun - 17", "Konto",
                            "2040", "Ukupno", "7.407,00"}},
        {"preceptnew",
         [&](TReportEngine& e) {
             e.ExecutePreceptNewReport(*account, *lines, "Nalog 1", "05.03.2024.", " ");
         },
         rows},
        {"group", [&](TReportEngine& e) { e.ExecuteGroupPreceptReport(*account, *lines, "Nalog"); },
         rows},
        {"log",
         [&](TReportEngine& e) {
             e.ExecuteLogReport(*lines, "Dnevnik", "01.01.2024.", "31.12.2024.");
         },
         rows + QStringList{"Period: 01.01.2024. - 31.12.2024."}},
        {"account",
         [&](TReportEngine& e) {
             e.ExecuteAccountReport(*account, *lines, "Kartica 2040", "Od 01.01.2024.",
                                    "Do 31.12.2024.", "");
         },
         rows + QStringList{"Kartica konta", "Kupci u zemlji"}},
        {"accountgroup",
         [&](TReportEngine& e) {
             e.ExecuteAccountGroupReport(*lines, "Grupa 20", "1.1.2024.", "31.12.2024.");
         },
         rows + QStringList{"Grupa 20"}},
        {"subaccounts",
         [&](TReportEngine& e) {
             e.ExecuteSubaccountsReport(*account, *lines, "Kupci u zemlji", "", "");
         },
         rows},
        {"synthetic",
         [&](TReportEngine& e) {
             e.ExecuteGroupSyntheticReport(*lines, *lines, "Grupa 2", "", "");
         },
         rows + QStringList{"Sintetika"}},
        {"trial",
         [&](TReportEngine& e) {
             e.ExecuteTestBalanceReport(*lines, empty, "", "01.01.2024", "31.12.2024");
         },
         rows + QStringList{"Bruto bilans"}},
        {"balance",
         [&](TReportEngine& e) {
             e.ExecuteBalanceSheetReport(*lines, empty, "", "01.01.2024", "31.12.2024");
         },
         rows + QStringList{"Bilans stanja"}},
        {"income",
         [&](TReportEngine& e) { e.ExecuteIncomeStatementReport(*lines, empty, "", "", ""); },
         rows + QStringList{"Bilans uspeha"}},
        {"cashflow", [&](TReportEngine& e) { e.ExecuteCashFlowReport(*lines, empty, "", "", ""); },
         rows + QStringList{"tokovima gotovine"}},
        {"annex",
         [&](TReportEngine& e) { e.ExecuteStatisticalAnnexReport(*lines, empty, "", "", ""); },
         rows + QStringList{"Statistički aneks"}},
        {"closing",
         [&](TReportEngine& e) { e.ExecuteClosingSheetReport(*lines, empty, "", "", ""); },
         rows + QStringList{"Zaključni list"}},
    };
    for (const TCase& c : cases) {
        TReportEngine engine;
        const QString path = Path(QString::fromLatin1(c.name) + ".pdf");
        engine.SetOutput(TReportOutput::Pdf, path);
        c.run(engine);
        const QString text = PdfText(path);
        ASSERT_FALSE(text.isEmpty()) << c.name;
        for (const QString& e : c.expected)
            EXPECT_TRUE(text.contains(e)) << c.name << ": " << e.toStdString() << "\n"
                                          << text.toStdString();
        EXPECT_TRUE(text.contains("Strana 1 od 1")) << c.name;
        EXPECT_FALSE(text.contains("preceptitemid")) << c.name;  // hidden fields stay out
    }
}

TEST_F(ReportTest, LongReportsPaginateAndKeepTheCallersRecord) {
    auto lines = Lines(400);
    lines->SetRecNo(7);
    TReportEngine engine;
    engine.SetOutput(TReportOutput::Pdf, Path("long.pdf"));
    engine.ExecuteLogReport(*lines, "", "", "");
    EXPECT_EQ(lines->RecNo(), 7);
    EXPECT_EQ(engine.LastDocument().title, "Dnevnik glavne knjige");
    ASSERT_EQ(engine.LastDocument().tables.size(), 1);
    EXPECT_EQ(engine.LastDocument().tables[0].rows.size(), 400);
    const QString text = PdfText(Path("long.pdf"));
    EXPECT_TRUE(text.contains("Strana 1 od ")) << text.left(200).toStdString();
    EXPECT_FALSE(text.contains("Strana 1 od 1\n"));

    // Markup in the data is text, not formatting.
    EXPECT_TRUE(engine.LastDocument().ToHtml().contains("&lt;b&gt;Kupac &amp; sin&lt;/b&gt;"));
}

TEST_F(ReportTest, CsvUsesSystemNumbersAndQuotesWhatNeedsIt) {
    auto lines = Lines();
    TReportEngine engine;
    const QString path = Path("log.csv");
    engine.SetOutput(TReportOutput::Csv, path);
    engine.ExecuteLogReport(*lines, "", "", "");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList csv = QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 4);
    EXPECT_EQ(csv[0], "Datum;Opis;Duguje;Potražuje");
    EXPECT_EQ(csv[1], "2024-03-01;Ulaz robe ćčžšđ;1234.5;0");
    EXPECT_EQ(csv[3], "2024-03-03;\"Uplata; \"\"avans\"\"\";3703.5;0.2");

    // A file that cannot be written is reported and the old one stays.
    engine.SetOutput(TReportOutput::Csv, Path("nema/folder/log.csv"));
    EXPECT_THROW(engine.ExecuteLogReport(*lines, "", "", ""), TError);
    engine.SetOutput(TReportOutput::Pdf, "/proc/finansije.pdf");
    EXPECT_THROW(engine.ExecuteLogReport(*lines, "", "", ""), TError);
}

}  // namespace
}  // namespace fin::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
