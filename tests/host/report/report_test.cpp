#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include "host/data/dataset.h"
#include "host/report/reportengine.h"
#include "host/ui/uiservice.h"

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

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfText(const QString& path) {
    return RunTool("pdftotext", {"-layout", path, "-"});
}

bool LooksLikePdf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
}

struct TEventCounter : IDataSetObserver {
    int events = 0;
    void DataSetEvent(TDataSet&, TDataEvent) override { ++events; }
};

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
    std::vector<TCase> cases{
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
    };
    // The trial balance and the statements: the voucher dataset is context, not rows.
    using TStatement = void (TReportEngine::*)(TDataSet&, TDataSet&, const QString&, const QString&,
                                               const QString&);
    const std::pair<TStatement, const char*> statements[] = {
        {&TReportEngine::ExecuteTestBalanceReport, "Bruto bilans"},
        {&TReportEngine::ExecuteBalanceSheetReport, "Bilans stanja"},
        {&TReportEngine::ExecuteIncomeStatementReport, "Bilans uspeha"},
        {&TReportEngine::ExecuteCashFlowReport, "Izveštaj o tokovima gotovine"},
        {&TReportEngine::ExecuteStatisticalAnnexReport, "Statistički aneks"},
        {&TReportEngine::ExecuteClosingSheetReport, "Zaključni list"}};
    for (const auto& [op, title] : statements)
        cases.push_back(
            {title,
             [&, op](TReportEngine& e) { (e.*op)(*lines, empty, "", "01.01.2024", "31.12.2024"); },
             rows + QStringList{QString::fromUtf8(title), "Period: 01.01.2024 - 31.12.2024"}});
    for (const TCase& c : cases) {
        TReportEngine engine;
        const QString path = Path(QString::fromUtf8(c.name) + ".pdf");
        engine.SetOutput(TReportOutput::Pdf, path);
        c.run(engine);
        ASSERT_TRUE(LooksLikePdf(path)) << c.name;
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
    TEventCounter grid;
    lines->AddObserver(&grid);
    TReportEngine engine;
    engine.SetOutput(TReportOutput::Pdf, Path("long.pdf"));
    engine.ExecuteLogReport(*lines, "", "", "");
    EXPECT_EQ(lines->RecNo(), 7);
    EXPECT_EQ(grid.events, 0);  // bound grids were not redrawn
    EXPECT_FALSE(lines->ControlsDisabled());
    lines->RemoveObserver(&grid);
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

    // A file that cannot be written is reported; nothing half-written is left behind, and
    // a folder standing where the file should go stays as it was.
    engine.SetOutput(TReportOutput::Csv, Path("nema/folder/log.csv"));
    EXPECT_THROW(engine.ExecuteLogReport(*lines, "", "", ""), TError);
    engine.SetOutput(TReportOutput::Pdf, "/proc/finansije.pdf");
    EXPECT_THROW(engine.ExecuteLogReport(*lines, "", "", ""), TError);
    ASSERT_TRUE(QDir(dir.path()).mkpath("zauzeto.pdf/unutra"));
    engine.SetOutput(TReportOutput::Pdf, Path("zauzeto.pdf"));
    EXPECT_THROW(engine.ExecuteLogReport(*lines, "", "", ""), TError);
    EXPECT_TRUE(QDir(Path("zauzeto.pdf/unutra")).exists());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"log.csv"});
}

TEST_F(ReportTest, LongReportsShowProgressAndCanBeStopped) {
    auto lines = Lines(2500);
    TScriptedUiService ui;
    SetUi(&ui);
    TReportEngine engine;
    engine.SetOutput(TReportOutput::Document);
    engine.ExecuteLogReport(*lines, "", "", "");
    EXPECT_GT(ui.ProgressSteps(), 0);
    EXPECT_EQ(engine.LastDocument().tables[0].rows.size(), 2500);

    ui.StopProgressAt(2);
    EXPECT_THROW(engine.ExecuteLogReport(*lines, "Prekinut", "", ""), TAbort);
    EXPECT_EQ(engine.LastDocument().title, "Dnevnik glavne knjige");
    SetUi(nullptr);
}

TEST_F(ReportTest, WideTablesPrintOnLandscapePages) {
    TDataSet wide("Wide");
    QVariantList values;
    for (int i = 0; i < 10; ++i) {
        wide.AddField(QString("k%1").arg(i), TFieldType::Integer);
        values << i;
    }
    wide.Open();
    wide.AppendRecord(values);
    TReportEngine engine;
    engine.SetOutput(TReportOutput::Pdf, Path("wide.pdf"));
    engine.ExecuteLogReport(wide, "", "", "");
    const QString info = RunTool("pdfinfo", {Path("wide.pdf")});
    const QRegularExpressionMatch size =
        QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+))").match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble());
}

TEST_F(ReportTest, PreviewOffersPrintAndBothExports) {
    auto lines = Lines();
    QStringList actions;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(preview, nullptr);
        title = preview->windowTitle();
        for (QAction* a : preview->findChildren<QAction*>())
            actions << a->text();
        preview->reject();
    });
    TReportEngine engine;  // previews unless told otherwise
    engine.ExecuteClosingSheetReport(*lines, *lines, "", "", "");
    EXPECT_EQ(title, "Zaključni list");
    EXPECT_TRUE(actions.contains("Izvoz u PDF...")) << actions.join(", ").toStdString();
    EXPECT_TRUE(actions.contains("Izvoz u CSV..."));
}

}  // namespace
}  // namespace fin::test
