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
#include "tests/host/report/xlsxread.h"

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

// A trial balance as the balance screen hands it over: the module's field names and labels,
// each row's section and running number hidden.
std::unique_ptr<TDataSet> TrialBalance() {
    auto ds = std::make_unique<TDataSet>("TrialBalance");
    ds->AddField("number", TFieldType::String, 5, "Konto");
    ds->AddField("name", TFieldType::String, 200, "Ime");
    const std::pair<const char*, const char*> amounts[] = {
        {"startdebit", "Poč. stanje duguje"},  {"startcredit", "Poč. stanje potražuje"},
        {"startbalance", "Poč. stanje saldo"}, {"yeardebit", "Promet duguje"},
        {"yearcredit", "Promet potražuje"},    {"yearbalance", "Promet saldo"},
        {"totaldebit", "Ukupno duguje"},       {"totalcredit", "Ukupno potražuje"},
        {"totalbalance", "Ukupno saldo"}};
    for (const auto& [name, label] : amounts)
        ds->AddField(name, TFieldType::Float, 0, QString::fromUtf8(label))
            .SetDisplayFormat("#,##0.00");
    ds->AddField("groupdescription", TFieldType::String, 50).SetVisible(false);
    ds->AddField("itemid", TFieldType::Integer).SetVisible(false);
    ds->Open();
    const QString accounts = "Sintetička konta", classes = "Rekapitulacija klasa";
    ds->AppendRecord(
        {"204", "Kupci u zemlji", 0, 0, 0, 1234.5, 300, 934.5, 1234.5, 300, 934.5, accounts, 1});
    ds->AppendRecord({"241", "Tekući (poslovni) računi", 1000, 0, 1000, 300, 700, -400, 1300, 700,
                      600, accounts, 2});
    ds->AppendRecord({"604", "Prihodi od prodaje robe", 0, 0, 0, 0, 1234.5, -1234.5, 0, 1234.5,
                      -1234.5, accounts, 3});
    ds->AppendRecord(
        {"2", "Klasa 2", 1000, 0, 1000, 1534.5, 1000, 534.5, 2534.5, 1000, 1534.5, classes, 4});
    ds->AppendRecord({"6", "Klasa 6", 0, 0, 0, 0, 1234.5, -1234.5, 0, 1234.5, -1234.5, classes, 5});
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

bool Landscape(const QString& pdf) {
    const QString info = RunTool("pdfinfo", {pdf});
    const QRegularExpressionMatch size =
        QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+))").match(info);
    return size.hasMatch() && size.captured(1).toDouble() > size.captured(2).toDouble();
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
    engine.SetOutput(TReportOutput::Xlsx, Path("nema/folder/log.xlsx"));
    EXPECT_THROW(engine.ExecuteLogReport(*lines, "", "", ""), TError);
    engine.SetOutput(TReportOutput::Xlsx, Path("zauzeto.pdf"));
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
    EXPECT_TRUE(Landscape(Path("wide.pdf")));
}

TEST_F(ReportTest, BalanceReportsGroupTheirAmountsAndSetOffSectionsAndClasses) {
    auto rows = TrialBalance();
    TDataSet precepts("PreceptZQ");
    TReportEngine engine;
    engine.SetOutput(TReportOutput::Document);
    engine.ExecuteTestBalanceReport(*rows, precepts, "Bruto bilans (analitički)", "01.01.2024.",
                                    "31.03.2024.");
    const TReportDocument& d = engine.LastDocument();
    EXPECT_EQ(d.title, "Bruto bilans (analitički)");
    EXPECT_EQ(d.subtitles, QStringList{"Period: 01.01.2024. - 31.03.2024."});
    EXPECT_TRUE(d.landscape);
    ASSERT_EQ(d.tables.size(), 1);
    const TReportTable& t = d.tables[0];
    const QVector<QPair<QString, int>> groups{
        {"", 2}, {"Početno stanje", 3}, {"Promet", 3}, {"Ukupno", 3}};
    EXPECT_EQ(t.headerGroups, groups);
    EXPECT_EQ(t.shortTitles, QStringList({"Konto", "Ime", "Duguje", "Potražuje", "Saldo", "Duguje",
                                          "Potražuje", "Saldo", "Duguje", "Potražuje", "Saldo"}));
    EXPECT_EQ(t.titles.value(5), "Promet duguje");  // the full titles stay for CSV
    ASSERT_EQ(t.rows.size(), 5);
    EXPECT_EQ(t.rows[0], QStringList({"204", "Kupci u zemlji", "0,00", "0,00", "0,00", "1.234,50",
                                      "300,00", "934,50", "1.234,50", "300,00", "934,50"}));
    EXPECT_EQ(t.rows[1].value(7), "-400,00");
    EXPECT_EQ(t.sections, QStringList({"Sintetička konta", "", "", "Rekapitulacija klasa", ""}));
    EXPECT_EQ(t.emphasised, QVector<bool>({false, false, false, true, true}));
    EXPECT_TRUE(t.totals.isEmpty());  // the classes are the report's own sums

    const QString html = d.ToHtml();
    EXPECT_TRUE(html.contains("<th rowspan=\"2\">Konto</th>")) << html.toStdString();
    EXPECT_TRUE(html.contains("<th colspan=\"3\">Početno stanje</th>"));
    EXPECT_TRUE(html.contains("<td colspan=\"11\"><b>Rekapitulacija klasa</b></td>"));
    EXPECT_TRUE(html.contains("<b>2.534,50</b>"));
    EXPECT_FALSE(html.contains("<b>1.300,00</b>"));

    // For a terminal: group titles over their columns, every amount ending where its title
    // ends.
    const QStringList text = d.ToPlainText().split('\n');
    const int heads = text.indexOf(QRegularExpression("Konto .*"));
    ASSERT_GT(heads, 0) << d.ToPlainText().toStdString();
    const QString& header = text[heads];
    const QString& groupLine = text[heads - 1];
    const qsizetype turnover = groupLine.indexOf("Promet");
    const qsizetype turnoverDebitEnd = header.indexOf("Duguje", header.indexOf("Saldo")) + 6;
    EXPECT_GT(turnover, header.indexOf("Saldo"));
    EXPECT_LT(turnover, turnoverDebitEnd + 20);
    EXPECT_EQ(text[heads + 1], "Sintetička konta");
    EXPECT_TRUE(text[heads + 2].startsWith("204   Kupci u zemlji"));
    EXPECT_EQ(text[heads + 2].indexOf("1.234,50") + 8, turnoverDebitEnd)
        << text[heads + 2].toStdString();
    EXPECT_EQ(text[heads + 2].size(), header.size());
    EXPECT_EQ(text[heads + 5], "Rekapitulacija klasa");
    EXPECT_EQ(text[heads + 6].size(), header.size());

    EXPECT_EQ(ReportCsv(d).split('\n').value(0),
              "Konto;Ime;Poč. stanje duguje;Poč. stanje potražuje;Poč. stanje saldo;Promet "
              "duguje;Promet potražuje;Promet saldo;Ukupno duguje;Ukupno potražuje;Ukupno "
              "saldo\r");
    EXPECT_EQ(ReportCsv(d).split('\n').value(1),
              "204;Kupci u zemlji;0;0;0;1234.5;300;934.5;1234.5;300;934.5\r");

    engine.SetOutput(TReportOutput::Pdf, Path("bilans.pdf"));
    engine.ExecuteTestBalanceReport(*rows, precepts, "", "01.01.2024.", "31.03.2024.");
    const QString pdf = PdfText(Path("bilans.pdf"));
    for (const char* expected :
         {"Bruto bilans", "Početno stanje", "Promet", "Ukupno", "Potražuje", "Sintetička konta",
          "Rekapitulacija klasa", "Klasa 6", "2.534,50", "-1.234,50"})
        EXPECT_TRUE(pdf.contains(QString::fromUtf8(expected))) << expected << '\n'
                                                               << pdf.toStdString();
    EXPECT_FALSE(pdf.contains("Poč. stanje"));

    // A closing sheet's balance pair under "Saldo", the grand total set off, and the page
    // across however few the columns.
    TDataSet closing("ClosingSheet");
    closing.AddField("number", TFieldType::String, 9, "Konto");
    closing.AddField("name", TFieldType::String, 200, "Ime");
    closing.AddField("totalbalancedebit", TFieldType::Float, 0, "Saldo duguje");
    closing.AddField("totalbalancecredit", TFieldType::Float, 0, "Saldo potražuje");
    closing.AddField("groupdescription", TFieldType::String, 50).SetVisible(false);
    closing.Open();
    closing.AppendRecord({"2040", "Kupci", 10, 0, "Klasa 2"});
    closing.AppendRecord({"2", "Klasa 2", 10, 0, "Rekapitulacija klasa"});
    closing.AppendRecord({"", "UKUPNO", 10, 0, "Rekapitulacija klasa"});
    engine.SetOutput(TReportOutput::Pdf, Path("zakljucni.pdf"));
    engine.ExecuteClosingSheetReport(closing, precepts, "", "", "");
    const TReportTable& c = engine.LastDocument().tables[0];
    EXPECT_EQ(engine.LastDocument().title, "Zaključni list");
    EXPECT_EQ(c.headerGroups, (QVector<QPair<QString, int>>{{"", 2}, {"Saldo", 2}}));
    EXPECT_EQ(c.sections, QStringList({"Klasa 2", "Rekapitulacija klasa", ""}));
    EXPECT_EQ(c.emphasised, QVector<bool>({false, true, true}));
    EXPECT_TRUE(Landscape(Path("zakljucni.pdf")));
}

TEST_F(ReportTest, XlsxHoldsNumbersDatesAndTextUnderTheHeaderOfThePrint) {
    auto rows = TrialBalance();
    TDataSet precepts("PreceptZQ");
    TReportEngine engine;
    engine.SetOutput(TReportOutput::Xlsx, Path("bilans.xlsx"));
    engine.ExecuteTestBalanceReport(*rows, precepts, "", "01.01.2024.", "31.03.2024.");
    const TXlsxSheet balance = ReadXlsx(Path("bilans.xlsx"));
    ASSERT_TRUE(balance.read);
    EXPECT_EQ(balance.At("A1").text, "Bruto bilans");
    EXPECT_TRUE(balance.At("A1").bold);
    EXPECT_EQ(balance.At("A2").text, "Period: 01.01.2024. - 31.03.2024.");
    // Two header rows: the group titles merged over their columns, the columns without a
    // group title over both rows; both rows stay in view.
    EXPECT_EQ(balance.merged, QStringList({"A4:A5", "B4:B5", "C4:E4", "F4:H4", "I4:K4"}));
    EXPECT_EQ(balance.At("A4").text, "Konto");
    EXPECT_EQ(balance.At("F4").text, "Promet");
    EXPECT_EQ(balance.At("F5").text, "Duguje");
    EXPECT_TRUE(balance.At("F5").bold);
    EXPECT_EQ(balance.frozenAt, "A6");
    EXPECT_EQ(balance.At("A6").text, "Sintetička konta");
    EXPECT_TRUE(balance.At("A6").bold);
    // Codes stay text; amounts are numbers with the display format.
    const TXlsxCell code = balance.At("A7"), amount = balance.At("F7"), negative = balance.At("H8");
    EXPECT_EQ(code.text, "204");
    EXPECT_FALSE(code.number);
    EXPECT_EQ(balance.At("B7").text, "Kupci u zemlji");
    EXPECT_TRUE(amount.number);
    EXPECT_EQ(amount.text, "1234.5");
    EXPECT_EQ(amount.format, "#,##0.00");
    EXPECT_FALSE(amount.bold);
    EXPECT_EQ(negative.text, "-400");
    EXPECT_EQ(balance.At("A10").text, "Rekapitulacija klasa");
    EXPECT_EQ(balance.At("B11").text, "Klasa 2");
    EXPECT_TRUE(balance.At("B11").bold);
    EXPECT_TRUE(balance.At("I11").bold);
    EXPECT_EQ(balance.At("I11").text, "2534.5");
    EXPECT_EQ(balance.At("I11").format, "#,##0.00");
    EXPECT_TRUE(balance.At("I12").bold);
    EXPECT_TRUE(balance.At("A13").text.isEmpty());
    EXPECT_EQ(balance.orientation, "landscape");

    // A report with dates and a totals row: dates are dates, the totals bold numbers, and
    // text from the data stays text.
    auto lines = Lines();
    engine.ExecuteLogReport(*lines, "Dnevnik", "01.01.2024.", "31.12.2024.");
    const TXlsxSheet log = ReadXlsx(Path("bilans.xlsx"));
    EXPECT_TRUE(log.merged.isEmpty());
    EXPECT_EQ(log.At("A4").text, "Datum");
    EXPECT_EQ(log.frozenAt, "A5");
    EXPECT_TRUE(log.At("A5").number);
    EXPECT_EQ(log.At("A5").text, "45352");  // 1 March 2024
    EXPECT_EQ(log.At("A5").format, "dd.mm.yyyy.");
    EXPECT_EQ(log.At("B6").text, "<b>Kupac & sin</b>");
    EXPECT_EQ(log.At("B7").text, "Uplata; \"avans\"");
    EXPECT_EQ(log.At("A8").text, "Ukupno");
    EXPECT_TRUE(log.At("C8").bold);
    EXPECT_TRUE(log.At("C8").number);
    EXPECT_EQ(log.At("C8").text, "7407");
    EXPECT_EQ(log.At("D8").text, "0.3");
    EXPECT_EQ(log.orientation, "portrait");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"bilans.xlsx"});
}

TEST_F(ReportTest, PreviewOffersPrintAndEveryExport) {
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
    EXPECT_TRUE(actions.contains("Izvoz u Excel..."));
}

}  // namespace
}  // namespace fin::test
