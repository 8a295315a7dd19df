#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "host/report/reportengine.h"
#include "journal/daybook.h"
#include "ledger/financialoptions.h"
#include "ledger/ledgercaptions.h"
#include "tests/console/clirun.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

// March 2024 on both charts: vouchers of two types on one day, whose order is the types'
// numbers and not the order they were made in; lines whose places are not the order they
// were written in; a line with a sub-account; and what the book leaves out: a voucher not
// registered and vouchers outside the period.
class DayBook : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
        TDBIniFile(&Db()).WriteString(kFinancialSection, "FinancialYear", "2024");
        dm->LoadOptions();
        const qint64 early = AddType("05", "Izvod");  // its number sorts before type 77
        const qint64 buyers = NewAccount("2020", "Kupci", "partner");
        const qint64 oldBuyers = OldAccount("2020", "Kupci", "partner");
        const qint64 sales = NewAccount("6040", "Prodaja");
        const qint64 oldSales = OldAccount("6020", "Prodaja");
        const qint64 cash = NewAccount("2410", "Tekući račun");
        Db().Execute("INSERT INTO partner (partnerid, name) VALUES (15, 'Alfa')");

        // Made first, yet printed after the voucher of type 05 of the same day.
        const qint64 sale = AddPrecept(type, QDate(2024, 3, 5), "00007", "p");
        Item(sale, 2, sales, oldSales, 0, 100, {}, "Prihod");
        Item(sale, 1, buyers, oldBuyers, 100, 0, 15, "Kupac Alfa");
        Item(sale, 3, cash, 0, 0, 0, 0, "Bez analitike (0)");
        const qint64 statement = AddPrecept(early, QDate(2024, 3, 5), "00003", "p");
        Item(statement, 1, cash, 0, 100, 0, {}, "Uplata");
        Item(statement, 2, buyers, oldBuyers, 0, 100, 15, "Zatvaranje kupca");
        const qint64 first = AddPrecept(type, QDate(2024, 3, 1), "00001", "p");
        Item(first, 1, cash, 0, 50, 0, {}, "Prvi dan");
        Item(first, 2, sales, oldSales, 0, 50, {}, "Prvi dan");
        const qint64 draft = AddPrecept(type, QDate(2024, 3, 2), "00002", "n");
        Item(draft, 1, cash, 0, 999, 0, {}, "Neproknjižen");
        const qint64 before = AddPrecept(type, QDate(2023, 12, 31), "00099", "p");
        Item(before, 1, cash, 0, 7, 0, {}, "Prošla godina");
        const qint64 april = AddPrecept(type, QDate(2024, 4, 2), "00008", "p");
        Item(april, 1, cash, 0, 8, 0, {}, "April");
    }

    void Item(qint64 precept, int sort, qint64 account, qint64 oldAccount, double debit,
              double credit, const QVariant& foreign, const QString& text) {
        Db().Execute(
            "INSERT INTO preceptitem (preceptid, sort, description, debit, credit, accountid, "
            "accountnewid, foreignid) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
            {precept, sort, text, debit, credit, oldAccount ? QVariant(oldAccount) : QVariant(),
             account ? QVariant(account) : QVariant(), foreign});
    }

    static QStringList Texts(TDataSet& lines) {
        QStringList texts;
        for (lines.First(); !lines.Eof(); lines.Next())
            texts << lines.FieldByName("description").AsString();
        return texts;
    }

    const QStringList march{"Prvi dan",   "Prvi dan", "Uplata",           "Zatvaranje kupca",
                            "Kupac Alfa", "Prihod",   "Bez analitike (0)"};
};

TEST_F(DayBook, ListsTheRegisteredLinesOfThePeriodInJournalOrder) {
    TDayBook book(*dm);
    EXPECT_EQ(book.From, "2024-01-01");
    EXPECT_EQ(book.To, "2024-12-31");
    book.OpenLog("1.3.2024", "2024-03-31");
    EXPECT_EQ(book.From, "2024-03-01");  // the box shows the date as the book took it
    TQuery& lines = book.Lines();
    EXPECT_EQ(Texts(lines), march);

    // Codes with the sub-account written right after them, on both charts; without one, or
    // with a sub-account of 0, the bare code; a chart the line is not on stays empty.
    ASSERT_TRUE(lines.Locate("description", "Zatvaranje kupca"));
    EXPECT_EQ(lines.FieldByName("accountcode").AsString(), "202015");
    EXPECT_EQ(lines.FieldByName("accountnewcode").AsString(), "202015");
    EXPECT_EQ(lines.FieldByName("number").AsString(), "00003");
    ASSERT_TRUE(lines.Locate("description", "Prihod"));
    EXPECT_EQ(lines.FieldByName("accountcode").AsString(), "6020");
    EXPECT_EQ(lines.FieldByName("accountnewcode").AsString(), "6040");
    EXPECT_EQ(lines.FieldByName("debit").DisplayText(), "0,00");
    EXPECT_EQ(lines.FieldByName("credit").DisplayText(), "100,00");
    ASSERT_TRUE(lines.Locate("description", "Bez analitike (0)"));
    EXPECT_EQ(lines.FieldByName("accountnewcode").AsString(), "2410");
    EXPECT_EQ(lines.FieldByName("accountcode").AsString(), "");

    // The whole year: the same lines and April's, never the draft or the year before.
    book.OpenLog("2024-01-01", "2024-12-31");
    EXPECT_EQ(Texts(lines), march + QStringList{"April"});

    // Streamed, the same lines in the same order, the report's columns first.
    QStringList streamed;
    book.ForEachLine(QDate(2024, 1, 1), QDate(2024, 12, 31), [&](const QVector<QVariant>& v) {
        ASSERT_GE(v.size(), TReportEngine::LogFields().size());
        EXPECT_EQ(v[0].typeId(), QMetaType::QDate);
        streamed << v[TReportEngine::LogFields().indexOf("description")].toString();
    });
    EXPECT_EQ(streamed, march + QStringList{"April"});
}

TEST_F(DayBook, KeepsTheOrderOfTheStatementAsFirstWritten) {
    // The book's statement as it was first written, with the period bound: its rows and
    // order are the book's (its codes differ only for a sub-account of 0).
    const TResultSet reference = Db().Select(
        "SELECT pi.*,p.preceptdate,p.registerdate,p.number,CONCAT(a.code,IF(pi.foreignid IS "
        "NULL,'',pi.foreignid)) AS accountcode,CONCAT(an.code,IF(pi.foreignid IS "
        "NULL,'',pi.foreignid)) AS accountnewcode,CONCAT(pt.number,'') AS PreceptTypeNumber "
        "FROM preceptitem AS pi INNER JOIN precept AS p ON p.preceptid = pi.preceptid LEFT "
        "JOIN precepttype AS pt ON p.precepttypeid = pt.precepttypeid LEFT JOIN account AS a ON "
        "a.accountid = pi.accountid LEFT JOIN accountnew AS an ON an.accountnewid = "
        "pi.accountnewid WHERE p.status = 'p' AND p.preceptdate >= ? AND p.preceptdate <= ? "
        "ORDER BY p.preceptdate,PreceptTypeNumber,p.number,pi.sort",
        {QDate(2024, 1, 1), QDate(2024, 12, 31)});
    TDayBook book(*dm);
    book.OpenLog(book.From, book.To);
    TQuery& lines = book.Lines();
    ASSERT_EQ(lines.RecordCount(), reference.rows.size());
    const int id = reference.ColumnIndex("preceptitemid");
    const int code = reference.ColumnIndex("accountnewcode");
    int rec = 0;
    for (lines.First(); !lines.Eof(); lines.Next(), ++rec) {
        EXPECT_EQ(lines.FieldByName("preceptitemid").AsInteger(),
                  reference.rows[rec][id].toLongLong());
        if (lines.FieldByName("foreignid").AsInteger() != 0) {
            EXPECT_EQ(lines.FieldByName("accountnewcode").AsString(),
                      reference.rows[rec][code].toString());
        }
    }
}

TEST_F(DayBook, RefusesPeriodsItCannotShowAndPicksDatesOfTheYear) {
    TDayBook book(*dm);
    book.OpenLog(book.From, book.To);
    const int year = book.Lines().RecordCount();
    const std::pair<const char*, const char*> periods[] = {
        {"2024-02-30", "2024-12-31"}, {"mart", "2024-12-31"},       {"", "2024-12-31"},
        {"2024-01-01", "2025-01-05"}, {"2023-12-01", "2024-01-31"}, {"2024-04-01", "2024-03-01"}};
    const QString messages[] = {res::CARD_DATE_ERR.arg("2024-02-30"),
                                res::CARD_DATE_ERR.arg("mart"),
                                res::CARD_DATE_ERR.arg(""),
                                res::OUT_OF_YEAR_WRN,
                                res::OUT_OF_YEAR_WRN,
                                res::CARD_PERIOD_ERR};
    for (size_t i = 0; i < std::size(periods); ++i) {
        try {
            book.OpenLog(periods[i].first, periods[i].second);
            ADD_FAILURE() << periods[i].first << " - " << periods[i].second;
        } catch (const TError& e) {
            EXPECT_EQ(e.Message(), messages[i]);
        }
        EXPECT_EQ(book.Lines().RecordCount(), year);  // the book shown stays
        EXPECT_EQ(book.From, "2024-01-01");
        EXPECT_EQ(book.To, "2024-12-31");
    }

    // The dialog starts today, moved into the financial year.
    EXPECT_EQ(YearPickerStart(2024, QDate(2024, 7, 9)), QDate(2024, 7, 9));
    EXPECT_EQ(YearPickerStart(2023, QDate(2024, 2, 29)), QDate(2023, 2, 28));
    EXPECT_EQ(YearPickerStart(2024, QDate(2025, 11, 30)), QDate(2024, 11, 30));
    QString box = "2024-03-01";
    ui.AnswerDate(QDate(2025, 1, 5));
    EXPECT_FALSE(PickYearDate(*dm, box));
    EXPECT_EQ(ui.LastText(), res::OUT_OF_YEAR_WRN);
    EXPECT_EQ(box, "2024-03-01");
    ui.AnswerDate(QDate(2024, 6, 30));
    EXPECT_TRUE(PickYearDate(*dm, box));
    EXPECT_EQ(box, "2024-06-30");
    ui.CancelNext();
    EXPECT_FALSE(PickYearDate(*dm, box));
    EXPECT_EQ(box, "2024-06-30");
}

TEST_F(DayBook, CommandLinePrintsTheBookInEveryFormat) {
    TCliRun cli;
    ASSERT_EQ(cli({"daybook", "--to", "31.3.2024", "--json"}), 0) << cli.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(cli.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), march.size()) << cli.out.toStdString();
    const QJsonObject sale = rows[4].toObject();
    EXPECT_EQ(sale.keys(), QStringList({"accountcode", "accountnewcode", "credit", "debit",
                                        "description", "number", "preceptdate", "registerdate"}));
    EXPECT_EQ(sale["description"].toString(), "Kupac Alfa");
    EXPECT_EQ(sale["accountcode"].toString(), "202015");
    EXPECT_EQ(sale["preceptdate"].toString(), "2024-03-05");
    EXPECT_DOUBLE_EQ(sale["debit"].toDouble(), 100);
    EXPECT_TRUE(rows[6].toObject()["accountcode"].isNull());

    ASSERT_EQ(cli({"daybook", "--from", "2024-03-05", "--to", "2024-03-05", "--format", "csv"}), 0);
    const QStringList csv = cli.out.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 6) << cli.out.toStdString();
    EXPECT_EQ(csv[0], "Datum;Datum knjiženja;Broj;Konto;Novi konto;Opis;Duguje;Potražuje");
    EXPECT_EQ(csv[1], "2024-03-05;2024-03-05;00003;;2410;Uplata;100;0");

    ASSERT_EQ(cli({"daybook"}), 0);
    QStringList text = cli.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(text.size(), 10);
    EXPECT_TRUE(text[0].startsWith("Datum       Datum knjiženja Broj")) << text[0].toStdString();
    EXPECT_TRUE(text.last().startsWith("Ukupno")) << text.last().toStdString();
    EXPECT_TRUE(text.last().contains(QRegularExpression("258,00 +250,00$")))
        << text.last().toStdString();

    QTemporaryDir dir;
    const QString pdf = dir.filePath("dnevnik.pdf");
    ASSERT_EQ(cli({"daybook", "--format", "pdf", "--output", pdf}), 0) << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(pdf));
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString printed = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* expected :
         {"Dnevnik glavne knjige", "Period: 01.01.2024. - 31.12.2024.", "Strana 1",
          "Datum knjiženja", "Potražuje", "Kupac Alfa", "Bez analitike (0)", "Ukupno", "258,00"})
        EXPECT_TRUE(printed.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                   << printed.toStdString();
    EXPECT_FALSE(printed.contains("Neproknjižen"));
    const QString xlsx = dir.filePath("dnevnik.xlsx");
    ASSERT_EQ(cli({"daybook", "--format", "xlsx", "--output", xlsx}), 0) << cli.err.toStdString();
    EXPECT_TRUE(QFile::exists(xlsx));

    // What the book cannot show is refused with the rules' message; wrong usage is usage.
    EXPECT_EQ(cli({"daybook", "--from", "2023-12-01"}), 1);
    EXPECT_EQ(cli.err.trimmed(), res::OUT_OF_YEAR_WRN);
    EXPECT_EQ(cli({"daybook", "--from", "2024-05-01", "--to", "2024-04-01"}), 1);
    EXPECT_EQ(cli.err.trimmed(), res::CARD_PERIOD_ERR);
    EXPECT_EQ(cli({"daybook", "--from", "2024-02-30"}), 1);
    EXPECT_EQ(cli.err.trimmed(), res::CARD_DATE_ERR.arg("2024-02-30"));
    EXPECT_EQ(cli({"daybook", "--format", "docx"}), 2);
    EXPECT_EQ(cli({"daybook", "--json", "--output", pdf}), 2);
    EXPECT_EQ(cli({"daybook", "2024"}), 2);
}

}  // namespace
}  // namespace fin::test
