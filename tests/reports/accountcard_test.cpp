#include "reports/accountcard.h"
#include "host/data/query.h"
#include "ledger/ledgercaptions.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

using AccountCard = TReportsTest;

struct TShownLine {
    QString date, number, description;
    double debit, credit, balance;
};

QVector<TShownLine> Shown(TQuery& lines) {
    QVector<TShownLine> rows;
    for (lines.First(); !lines.Eof(); lines.Next())
        rows.append({lines.FieldByName("preceptdate").AsDate().toString(Qt::ISODate),
                     lines.FieldByName("number").AsString(),
                     lines.FieldByName("description").AsString(),
                     lines.FieldByName("debit").AsFloat(), lines.FieldByName("credit").AsFloat(),
                     lines.FieldByName("balance").AsFloat()});
    return rows;
}

TEST_F(AccountCard, FoldsThePreviousLinesIntoOneOpeningRowWithARunningBalance) {
    dm->Options().FinancialYear = 2024;
    const qint64 bank = NewAccount("2410", "Tekući račun");
    const qint64 other = NewAccount("2411", "Devizni račun");
    Line(Voucher(QDate(2024, 1, 10)), bank, 100.10, 0);
    // A real line that happens to carry the opening row's text is not taken for one.
    Line(Voucher(QDate(2024, 2, 10)), bank, 0, 30.05, {}, 0, res::FIN_ACC_PREV_SITUATION);
    Line(Voucher(QDate(2024, 3, 10)), bank, 50, 0);
    Line(Voucher(QDate(2024, 4, 10)), bank, 0.005, 20);
    Line(Voucher(QDate(2024, 4, 11), "n"), bank, 999, 0);
    Line(Voucher(QDate(2024, 5, 1)), other, 1, 0);

    TAccountCard card(*dm);
    EXPECT_TRUE(dm->AccountCardOpen);
    card.OpenAccount(bank);
    EXPECT_EQ(card.AccountCode(), "2410");
    EXPECT_EQ(card.From, "2024-01-01");
    EXPECT_EQ(card.To, "2024-12-31");
    QVector<TShownLine> rows = Shown(card.Lines());
    ASSERT_EQ(rows.size(), 4);
    EXPECT_DOUBLE_EQ(rows[0].balance, 100.10);
    EXPECT_DOUBLE_EQ(rows[1].balance, 70.05);
    EXPECT_DOUBLE_EQ(rows[3].balance, 100.05);  // 0.005 - 20 is rounded to -20.00 first
    EXPECT_DOUBLE_EQ(card.TotalDebit(), 150.105);
    EXPECT_DOUBLE_EQ(card.TotalCredit(), 50.05);
    EXPECT_DOUBLE_EQ(card.TotalBalance(), 100.05);

    // From after the first two lines: one opening row dated From with their sums.
    card.From = "2024-03-01";
    card.Show();
    rows = Shown(card.Lines());
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(card.PreviousBalanceRow(), 1);
    EXPECT_EQ(rows[0].date, "2024-03-01");
    EXPECT_EQ(rows[0].number, "");
    EXPECT_EQ(rows[0].description, res::FIN_ACC_PREV_SITUATION);
    EXPECT_DOUBLE_EQ(rows[0].debit, 100.10);
    EXPECT_DOUBLE_EQ(rows[0].credit, 30.05);
    EXPECT_DOUBLE_EQ(rows[2].balance, 100.05);
    EXPECT_DOUBLE_EQ(card.TotalBalance(), 100.05);

    // Without the opening row the totals leave those lines out; To is inclusive.
    card.WithoutPreviousBalance = true;
    card.To = "10.4.2024";
    card.Show();
    EXPECT_EQ(card.To, "2024-04-10");
    rows = Shown(card.Lines());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(card.PreviousBalanceRow(), 0);
    EXPECT_DOUBLE_EQ(card.TotalDebit(), 50.005);
    EXPECT_DOUBLE_EQ(card.TotalBalance(), 30);

    // Bad periods are refused and change nothing.
    for (const char* bad : {"2023-12-31", "2024-13-01", "sutra"}) {
        card.From = QString::fromLatin1(bad);
        EXPECT_THROW(card.Show(), TError) << bad;
        EXPECT_EQ(card.Lines().RecordCount(), 2) << bad;
    }
    try {
        card.From = "2025-01-01";
        card.Show();
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::OUT_OF_YEAR_WRN);
    }
    card.From = "2024-05-01";
    card.To = "2024-04-01";
    EXPECT_THROW(card.Show(), TError);
    // Nothing was written back.
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM preceptitem WHERE description = ?",
                               {res::FIN_ACC_PREV_SITUATION})
                  .toInt(),
              1);
}

TEST_F(AccountCard, SubaccountGroupAndRangeCards) {
    dm->Options().FinancialYear = 2024;
    const qint64 buyers = NewAccount("2020", "Kupci", "partner");
    const qint64 suppliers = NewAccount("4350", "Dobavljači");
    const qint64 wages = NewAccount("5200", "Zarade");
    const qint64 v = Voucher(QDate(2024, 2, 1));
    Line(v, buyers, 10, 0, 1);
    Line(v, buyers, 20, 0, 2);
    Line(v, suppliers, 0, 30);
    Line(v, wages, 5, 0);

    TAccountCard card(*dm);
    card.OpenAccount(buyers, "2");
    ASSERT_EQ(card.Lines().RecordCount(), 1);
    EXPECT_DOUBLE_EQ(card.TotalDebit(), 20);
    EXPECT_THROW(card.OpenAccount(buyers, "dva"), TError);
    EXPECT_THROW(card.OpenAccount(99999), TError);
    EXPECT_EQ(card.AccountID, buyers);  // the refused opening kept the card as it was

    card.OpenGroup("4", "");
    EXPECT_TRUE(card.IsDialog);
    EXPECT_EQ(card.Lines().RecordCount(), 1);
    card.OpenGroup("2", "4");
    EXPECT_EQ(card.Lines().RecordCount(), 3);
    EXPECT_EQ(card.GroupCaption(), "Od grupe 2 do grupe 4");
    EXPECT_DOUBLE_EQ(card.TotalBalance(), 0);
    card.OpenGroup("43", "");
    EXPECT_TRUE(card.GroupCaption().startsWith("Račun 43-"));

    TDataSet synthetic;
    card.OpenGroup("2", "5");
    card.FillSyntheticTotals(synthetic);
    ASSERT_EQ(synthetic.RecordCount(), 3);
    EXPECT_EQ(synthetic.FieldByName("name").AsString(), "Kupci");
    EXPECT_DOUBLE_EQ(synthetic.FieldByName("debit").AsFloat(), 30);

    TDataSet subs;
    card.OpenAccount(buyers);
    card.FillSubaccountTotals(subs, false);
    EXPECT_EQ(subs.RecordCount(), 2);
}

TEST_F(AccountCard, TransferMovesEveryShownLineButTheOpeningRowOrNone) {
    dm->Options().FinancialYear = 2024;
    dm->Options().ChangePreceptItemDescription = true;
    const qint64 from = NewAccount("2020", "Kupci");
    const qint64 to = NewAccount("2040", "Kupci - pravna lica", "partner");
    const qint64 early = Voucher(QDate(2024, 1, 5));
    const qint64 openingLine = Line(early, from, 5, 0);
    // More lines than one statement moves, so a failure can come between two of them.
    const qint64 v = Voucher(QDate(2024, 6, 1));
    QVariantList values;
    QString rows;
    for (int i = 0; i < 620; ++i) {
        rows += QStringLiteral("%1(?, ?, 'L', 1, 0, ?)").arg(i ? "," : "");
        values << v << i + 10 << from;
    }
    Db().Execute(
        "INSERT INTO preceptitem (preceptid, sort, description, debit, credit, "
        "accountnewid) VALUES " +
            rows,
        values);
    const qint64 lastLine = Db().LastInsertId() + 619;

    TAccountCard card(*dm);
    card.OpenAccount(from);
    card.From = "2024-02-01";
    card.Show();
    ASSERT_EQ(card.Lines().RecordCount(), 621);

    TAccountDesc target;
    target.AccountNewID = static_cast<qint32>(to);
    target.SubaccountCode = "7";
    target.Name = "Kupci - pravna lica";
    Db().ExecuteDirect(
        QStringLiteral(
            "CREATE TRIGGER refuse_move BEFORE UPDATE ON preceptitem FOR EACH ROW "
            "BEGIN IF NEW.preceptitemid = %1 THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = "
            "'odbijeno'; END IF; END")
            .arg(lastLine));
    EXPECT_THROW(card.TransferLines(target), TError);
    EXPECT_EQ(
        Db().SelectValue("SELECT COUNT(*) FROM preceptitem WHERE accountnewid = ?", {to}).toInt(),
        0);
    Db().ExecuteDirect("DROP TRIGGER refuse_move");

    target.SubaccountCode = "x";
    EXPECT_THROW(card.TransferLines(target), TError);
    target.SubaccountCode = "7";
    EXPECT_EQ(card.TransferLines(target), 620);
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM preceptitem WHERE accountnewid = ? AND "
                               "foreignid = 7 AND description = ?",
                               {to, target.Name})
                  .toInt(),
              620);
    // The line folded into the opening row stays where it was.
    EXPECT_EQ(Db().SelectValue("SELECT accountnewid FROM preceptitem WHERE preceptitemid = ?",
                               {openingLine})
                  .toLongLong(),
              from);
}

}  // namespace
}  // namespace fin::test
