#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "host/common/captions.h"
#include "host/data/dbinifile.h"
#include "journal/journalcaptions.h"
#include "journal/printmore.h"
#include "ledger/financialoptions.h"
#include "ledger/ledgercaptions.h"
#include "tests/console/clirun.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

TEST(GroupFiller, PadsEachVoucherToItsPlaceOnThePage) {
    struct TCase {
        int page, lines, rows, next;
    };
    const TCase cases[] = {
        {1, 5, 16, 2},  {2, 5, 5, 1},  {1, 25, 27, 1}, {1, 1, 20, 2}, {1, 19, 2, 2}, {1, 20, 32, 1},
        {1, 50, 2, 1},  {1, 51, 0, 1}, {2, 1, 9, 1},   {2, 9, 1, 1},  {2, 10, 0, 1}, {2, 19, 0, 1},
        {2, 20, 34, 2}, {2, 52, 2, 2}, {2, 53, 0, 2},  {1, 0, 0, 1},  {2, 0, 0, 2},
    };
    for (const TCase& c : cases) {
        const TGroupFiller f = GroupFiller(c.page, c.lines);
        EXPECT_EQ(f.rows, c.rows) << c.page << '/' << c.lines;
        EXPECT_EQ(f.nextPage, c.next) << c.page << '/' << c.lines;
    }
}

// Registered vouchers of one type in March 2024, by date: A and B of 5 lines, C of 25, D
// without lines, E of 3, F of 10 and G of 1; beside them what the list leaves out: a draft,
// a voucher of another type and one of April.
class PrintMore : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
        TDBIniFile(&Db()).WriteString(kFinancialSection, "FinancialYear", "2024");
        dm->LoadOptions();
        buyers = NewAccount("2040", "Kupci", "partner");
        sales = NewAccount("6040", "Prodaja");
        Db().Execute("INSERT INTO partner (partnerid, name) VALUES (3, 'Alfa')");
        Db().Execute(
            "INSERT INTO document (documentid, documenttype, number, status) VALUES "
            "(5, 'R', '12/24', 'p')");
        const std::pair<const char*, int> vouchers[] = {{"A", 5}, {"B", 5},  {"C", 25}, {"D", 0},
                                                        {"E", 3}, {"F", 10}, {"G", 1}};
        int day = 1;
        for (const auto& [name, lines] : vouchers) {
            const qint64 id =
                AddPrecept(type, QDate(2024, 3, day++), QString::fromLatin1(name), "p");
            ids.insert(QString::fromLatin1(name), id);
            Db().Execute("UPDATE precept SET description = ? WHERE preceptid = ?",
                         {QString("Nalog %1").arg(name), id});
            for (int i = 0; i < lines; ++i)
                Line(id, i == 0 ? buyers : sales, i == 0 ? 10 : 0, i == 0 ? 0 : 1,
                     i == 0 ? QVariant(3) : QVariant(), 0, QString("%1-%2").arg(name).arg(i + 1));
        }
        Db().Execute(
            "UPDATE precept SET foreigntable = 'document', foreignid = 5 WHERE "
            "preceptid = ?",
            {ids["A"]});
        Line(AddPrecept(type, QDate(2024, 3, 10), "Nacrt", "n"), sales, 1, 0);
        Line(AddPrecept(AddType("05", "Drugi"), QDate(2024, 3, 10), "Drugi", "p"), sales, 1, 0);
        Line(AddPrecept(type, QDate(2024, 4, 1), "April", "p"), sales, 1, 0);
    }

    // The list's numbers, as it shows them.
    static QStringList Numbers(TDataSet& list) {
        QStringList numbers;
        for (int rec = 1; rec <= list.RecordCount(); ++rec)
            numbers << list.RecordValue(rec, list.FieldByName("PreceptNumber").Index()).toString();
        return numbers;
    }

    // Per voucher of the rows: number, its lines, page position and filler rows.
    struct TBlock {
        QString number;
        int lines = 0, page = 0, fillers = 0;
        bool operator==(const TBlock&) const = default;
    };
    static std::vector<TBlock> Blocks(TDataSet& rows) {
        std::vector<TBlock> blocks;
        for (rows.First(); !rows.Eof(); rows.Next()) {
            const QString number = rows.FieldByName("PreceptNumber").AsString();
            if (blocks.empty() || blocks.back().number != number)
                blocks.push_back(
                    {number, 0, static_cast<int>(rows.FieldByName("ItemPage").AsInteger()), 0});
            TBlock& b = blocks.back();
            EXPECT_EQ(rows.FieldByName("ItemCount").AsInteger(), ++b.lines) << number.toStdString();
            EXPECT_EQ(rows.FieldByName("ItemPage").AsInteger(), b.page);
            const TField& fillers = rows.FieldByName("PreceptEmptyRows");
            EXPECT_EQ(b.fillers, 0) << "filler rows only on a voucher's last line";
            if (!fillers.IsNull())
                b.fillers = static_cast<int>(fillers.AsString().split("\r\n").size());
        }
        return blocks;
    }

    QHash<QString, qint64> ids;
    qint64 buyers = 0, sales = 0;
};

TEST_F(PrintMore, ListsNewestFirstAndPrintsOldestFirstEachAtItsPagePosition) {
    TPrintMore print(*dm);
    const auto types = print.Types();
    EXPECT_TRUE(types.contains(qMakePair(type, QString("77 - Temeljnica"))));
    for (int i = 1; i < types.size(); ++i)
        EXPECT_LT(types[i - 1].first, types[i].first);
    print.ShowPrecepts(type, "2024-03-01", "2024-03-31", "");
    TDataSet& list = print.List();
    EXPECT_EQ(Numbers(list), QStringList({"G", "F", "E", "D", "C", "B", "A"}));
    EXPECT_EQ(print.TickedCount(), 7);
    list.First();
    EXPECT_EQ(list.FieldByName("PreceptPrint").DisplayText(), res::YES_CAP);
    EXPECT_EQ(list.FieldByName("PreceptStatus").DisplayText(), res::DOC_REG_STATUS_CAPTION);
    EXPECT_EQ(list.FieldByName("PreceptDescription").AsString(), "Nalog G");

    print.PrepareGroupPrecepts();
    TDataSet& rows = print.Rows();
    // 5 lines on top pad to 21 rows and send B to the middle, where 5 lines pad to 10; C of
    // 25 takes a page of 52; D without lines changes nothing; F of 10 lines in the middle
    // needs no padding and sends G to the top.
    const std::vector<TBlock> expected{{"A", 5, 1, 16}, {"B", 5, 2, 5},  {"C", 25, 1, 27},
                                       {"E", 3, 1, 18}, {"F", 10, 2, 0}, {"G", 1, 1, 20}};
    EXPECT_EQ(Blocks(rows), expected);
    ASSERT_TRUE(rows.Locate("ItemDescription", "A-1"));
    EXPECT_EQ(rows.FieldByName("ItemContoNewCode").AsString(), "2040");
    EXPECT_EQ(rows.FieldByName("ItemForeignID").AsInteger(), 3);
    EXPECT_EQ(rows.FieldByName("ItemSubcontoName").AsString(), "Alfa");
    EXPECT_EQ(rows.FieldByName("ItemRelatedEntity").AsString(), "R - 12/24");
    EXPECT_EQ(rows.FieldByName("PreceptDate").AsDate(), QDate(2024, 3, 1));
    EXPECT_DOUBLE_EQ(rows.FieldByName("ItemDebit").AsFloat(), 10);
    ASSERT_TRUE(rows.Locate("ItemDescription", "A-5"));
    EXPECT_EQ(rows.FieldByName("PreceptEmptyRows").AsString(), QStringList(16, " ").join("\r\n"));
    EXPECT_TRUE(rows.FieldByName("ItemForeignID").IsNull());
    EXPECT_TRUE(rows.FieldByName("ItemSubcontoName").IsNull());

    // Without B, C starts in the middle and is padded to 54 rows; the next stays there.
    print.Untick({ids["B"]});
    EXPECT_EQ(print.TickedCount(), 6);
    print.PrepareGroupPrecepts();
    EXPECT_EQ(
        Blocks(rows),
        (std::vector<TBlock>{
            {"A", 5, 1, 16}, {"C", 25, 2, 29}, {"E", 3, 2, 7}, {"F", 10, 1, 11}, {"G", 1, 2, 9}}));
    list.Last();
    list.Edit();
    list.FieldByName("PreceptPrint").SetText(res::NO_CAP);  // A, as the grid's pick list does
    print.PrepareGroupPrecepts();
    EXPECT_EQ(
        Blocks(rows),
        (std::vector<TBlock>{{"C", 25, 1, 27}, {"E", 3, 1, 18}, {"F", 10, 2, 0}, {"G", 1, 1, 20}}));
    print.Untick({ids["A"], ids["C"], ids["E"]});
    list.First();
    list.Edit();
    list.FieldByName("PreceptPrint").SetText("");  // an empty text clears the tick
    EXPECT_TRUE(list.FieldByName("PreceptPrint").IsNull());
    list.Post();
    print.PrepareGroupPrecepts();
    EXPECT_EQ(Blocks(rows), (std::vector<TBlock>{{"F", 10, 1, 11}}));
}

TEST_F(PrintMore, FindsTheDescriptionPartAnywhereTakenLiterally) {
    const std::pair<const char*, const char*> described[] = {{"A", "Prodaja robe"},
                                                             {"B", "Nova prodaja robe"},
                                                             {"C", "Robna prodaja"},
                                                             {"D", "Popust 50% na robu"},
                                                             {"E", "Popust 50 na robu"},
                                                             {"F", "a_b"},
                                                             {"G", "axb"}};
    for (const auto& [number, text] : described)
        Db().Execute("UPDATE precept SET description = ? WHERE preceptid = ?",
                     {QString::fromUtf8(text), ids[number]});
    TPrintMore print(*dm);
    auto found = [&](const QString& part) {
        print.ShowPrecepts(type, "2024-03-01", "2024-03-31", part);
        return Numbers(print.List());
    };
    EXPECT_EQ(found("PRODAJA"), QStringList({"C", "B", "A"}));  // start, middle and end
    EXPECT_EQ(found("50%"), QStringList({"D"}));
    EXPECT_EQ(found("%"), QStringList({"D"}));
    EXPECT_EQ(found("a_b"), QStringList({"F"}));
    EXPECT_EQ(found("'"), QStringList());
    EXPECT_EQ(found(""), QStringList({"G", "F", "E", "D", "C", "B", "A"}));

    // Periods outside the year, or ending before they start, are refused; the list stays.
    for (const auto& [from, to, message] :
         {std::tuple{"2024-03-31", "2024-03-01", res::CARD_PERIOD_ERR},
          std::tuple{"2023-03-01", "2024-03-31", res::OUT_OF_YEAR_WRN},
          std::tuple{"2024-03-01", "31.4.2024", res::CARD_DATE_ERR.arg("31.4.2024")}}) {
        try {
            print.ShowPrecepts(type, from, to, "");
            ADD_FAILURE() << from << ' ' << to;
        } catch (const TError& e) {
            EXPECT_EQ(e.Message(), message);
        }
        EXPECT_EQ(print.List().RecordCount(), 7);
    }
}

TEST_F(PrintMore, CommandLineGivesTheRowsAndTheGroupVoucher) {
    TCliRun cli;
    ASSERT_EQ(cli({"voucher", "print-more", "--type", QString::number(type), "--to", "2024-03-31",
                   "--exclude", QString("%1,%2").arg(ids["B"]).arg(ids["C"])}),
              0)
        << cli.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(cli.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 5 + 3 + 10 + 1);
    const QJsonObject first = rows[0].toObject();
    EXPECT_FALSE(first.contains("PreceptEmptyRows"));
    EXPECT_EQ(first["PreceptNumber"].toString(), "A");
    EXPECT_EQ(first["ItemSubcontoName"].toString(), "Alfa");
    EXPECT_EQ(first["PreceptDate"].toString(), "2024-03-01");
    EXPECT_EQ(first["EmptyRows"].toInt(), 0);
    EXPECT_EQ(rows[4].toObject()["EmptyRows"].toInt(), 16);  // A's last line
    EXPECT_EQ(rows[7].toObject()["EmptyRows"].toInt(), 7);   // E: 3 lines in the middle
    EXPECT_EQ(rows[7].toObject()["ItemPage"].toInt(), 2);
    EXPECT_EQ(rows[8].toObject()["ItemPage"].toInt(), 1);  // F starts the next page

    QTemporaryDir dir;
    const QString pdf = dir.filePath("zbirni.pdf");
    ASSERT_EQ(cli({"voucher", "print-more", "--type", QString::number(type), "--description",
                   "nalog", "--format", "pdf", "--output", pdf}),
              0)
        << cli.err.toStdString();
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString printed = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* expected :
         {"Zbirni nalog", "Strana 1", "Nalog A", "Tip: 77 - Temeljnica", "Veza: R - 12/24",
          "Naziv analitike", "Potražuje", "Alfa", "Sastavio:", "Nalog G", "Strana 4"})
        EXPECT_TRUE(printed.contains(QString::fromUtf8(expected))) << expected << '\n'
                                                                   << printed.toStdString();
    EXPECT_FALSE(printed.contains("Nacrt"));

    // Nothing to print is said so; a type that does not exist too; wrong usage is usage.
    const QString all = QString("%1,%2,%3,%4,%5,%6,%7")
                            .arg(ids["A"])
                            .arg(ids["B"])
                            .arg(ids["C"])
                            .arg(ids["D"])
                            .arg(ids["E"])
                            .arg(ids["F"])
                            .arg(ids["G"]);
    EXPECT_EQ(cli({"voucher", "print-more", "--type", QString::number(type), "--to", "2024-03-31",
                   "--exclude", all}),
              1);
    EXPECT_EQ(cli.err.trimmed(), res::PRINT_MORE_NONE_WRN);
    EXPECT_EQ(
        cli({"voucher", "print-more", "--type", QString::number(type), "--description", "nema"}),
        1);
    EXPECT_TRUE(cli.err.contains("Nema proknjiženih naloga")) << cli.err.toStdString();
    EXPECT_EQ(cli({"voucher", "print-more", "--type", "999"}), 1);
    EXPECT_EQ(
        cli({"voucher", "print-more", "--type", QString::number(type), "--from", "2025-01-01"}), 1);
    EXPECT_EQ(cli.err.trimmed(), res::OUT_OF_YEAR_WRN);
    EXPECT_EQ(cli({"voucher", "print-more"}), 2);
    EXPECT_EQ(cli({"voucher", "print-more", "--type", "1", "--format", "csv"}), 2);
    EXPECT_EQ(cli({"voucher", "print-more", "--type", "1", "--output", pdf}), 2);
    EXPECT_EQ(cli({"voucher", "print-more", "--type", QString::number(type), "--exclude", "x"}), 1);
}

}  // namespace
}  // namespace fin::test
