#include "journal/yearclosing.h"

#include "host/data/query.h"
#include "journal/closingcaptions.h"
#include "journal/journalcaptions.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

// A small company's year 2024 with both charts, as the closing needs them: the closing,
// contra and transfer accounts exist in both.
class YearClosing : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        dm->Options().FinancialYear = 2024;
        Db().Execute("INSERT INTO partner (partnerid, name) VALUES (7, 'Sedmi'), (8, 'Osmi')");
        for (const char* code : {"5990", "6990", "7000", "7100", "7110", "7300"}) {
            Both(code, QStringLiteral("Stari %1").arg(code));
        }
        equipment = NewAccount("0230", "Oprema");
        bank = NewAccount("2410", "Tekući račun");
        buyers = NewAccount("2040", "Kupci", "partner");
        suppliers = NewAccount("4350", "Dobavljači", "partner");
        goods = NewAccount("5010", "Nabavna vrednost robe");
        salaries = NewAccount("5200", "Zarade");
        rounding = NewAccount("5400", "Amortizacija");
        policy = NewAccount("5910", "Rashodi promene politika");
        revenue = NewAccount("6040", "Prihodi od prodaje");
        policyIncome = NewAccount("6910", "Prihodi promene politika");
    }

    // The same code in both charts; the new chart's id.
    qint64 Both(const QString& code, const QString& oldName) {
        OldAccount(code, oldName);
        return NewAccount(code, QStringLiteral("Novi %1").arg(code));
    }

    // The year's registered expenses: 5010 1500, 5200 700, 5910 50, and 5400 that nets to
    // nothing within a cent. An unregistered voucher and one of the year before count
    // for nothing.
    void Expenses() {
        const qint64 v = Voucher(QDate(2024, 3, 1));
        Line(v, goods, 1500, 0);
        Line(v, salaries, 700, 0);
        Line(v, policy, 50, 0);
        Line(v, bank, 0, 2250);
        const qint64 w = Voucher(QDate(2024, 6, 30));
        Line(w, rounding, 1000.00, 0);
        Line(w, rounding, 0, 1000.004);
        Line(w, bank, 0.004, 0);
        Line(Voucher(QDate(2024, 7, 1), "n"), goods, 999, 0);
        Line(Voucher(QDate(2023, 12, 31)), goods, 333, 0);
    }

    // Lines of a voucher as "code[:sub] debit credit description", in their order.
    QStringList LinesOf(qint64 precept) {
        QStringList out;
        for (const auto& row :
             Db().Select("SELECT COALESCE(an.code, a.code), pi.foreignid, pi.debit, pi.credit, "
                         "pi.description, pi.accountid IS NOT NULL, pi.accountnewid IS NOT NULL "
                         "FROM preceptitem AS pi LEFT JOIN accountnew AS an ON "
                         "an.accountnewid = pi.accountnewid LEFT JOIN account AS a ON "
                         "a.accountid = pi.accountid WHERE pi.preceptid = ? ORDER BY pi.sort",
                         {precept})
                 .rows) {
            QString code = row[0].toString();
            if (!row[1].isNull())
                code += ':' + row[1].toString();
            out << QStringLiteral("%1 %2 %3 %4")
                       .arg(code, QString::number(row[2].toDouble(), 'f', 2),
                            QString::number(row[3].toDouble(), 'f', 2), row[4].toString());
        }
        return out;
    }
    QVariantList Header(qint64 precept) {
        const TResultSet r = Db().Select(
            "SELECT precepttypeid, preceptdate, registerdate, status, "
            "description FROM precept WHERE preceptid = ?",
            {precept});
        return r.rows.isEmpty() ? QVariantList() : QVariantList(r.rows[0].begin(), r.rows[0].end());
    }
    // Every lines' debit and credit, as cents.
    std::pair<qint64, qint64> Sums(qint64 precept) {
        const TResultSet r = Db().Select(
            "SELECT ROUND(SUM(debit) * 100), ROUND(SUM(credit) * 100) FROM preceptitem WHERE "
            "preceptid = ?",
            {precept});
        return {r.rows[0][0].toLongLong(), r.rows[0][1].toLongLong()};
    }

    qint64 equipment = 0, bank = 0, buyers = 0, suppliers = 0, goods = 0, salaries = 0,
           rounding = 0, policy = 0, revenue = 0, policyIncome = 0;
};

TEST_F(YearClosing, ClassFiveClosesEveryExpenseAndCarriesTheResultToSevenHundred) {
    Expenses();
    TYearClosing closing(*dm);
    const TClosingResult r = closing.Run(TClosingJob::Class5);
    ASSERT_TRUE(r.Written()) << r.message.toStdString();
    EXPECT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();
    EXPECT_EQ(Header(r.preceptId), QVariantList({27, QDate(2024, 12, 31), QDate(2024, 12, 31), "n",
                                                 "Zatvaranje klase \"5\""}));
    EXPECT_EQ(LinesOf(r.preceptId), QStringList({
                                        "5010 0.00 1500.00 Zatvaranje konta",
                                        "5200 0.00 700.00 Zatvaranje konta",
                                        // 5400: 1000.00 against 1000.004 leaves nothing to close.
                                        "5910 0.00 50.00 Zatvaranje konta",
                                        "5990 2250.00 0.00 Zatvaranje klase \"5\"",
                                        "5990 0.00 2250.00 Stari 5990",
                                        "7100 2200.00 0.00 Stari 7100",
                                        "7110 50.00 0.00 Stari 7110",
                                    }));
    EXPECT_EQ(Sums(r.preceptId), std::make_pair(qint64(450000), qint64(450000)));
    // Contra and transfer lines name the account in both charts.
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM preceptitem WHERE preceptid = ? AND "
                               "accountid IS NOT NULL AND accountnewid IS NOT NULL",
                               {r.preceptId})
                  .toInt(),
              4);

    // The voucher is the list's current record, unregistered, and its lines are loaded.
    TQuery& list = dm->PreceptZQ();
    EXPECT_EQ(list.FieldByName("preceptid").AsInteger(), r.preceptId);
    EXPECT_EQ(list.FieldByName("PreceptType").AsString(), "Zaključak klasa");
    EXPECT_EQ(list.FieldByName("number").AsString(), r.number);
    EXPECT_TRUE(r.number.endsWith("-27")) << r.number.toStdString();
    EXPECT_EQ(r.itemIds.size(), 7);
    EXPECT_EQ(dm->PreceptItemZQ().RecordCount(), 7);
    EXPECT_EQ(Db().SelectValue("SELECT MIN(preceptitemid) FROM preceptitem WHERE preceptid = ?",
                               {r.preceptId})
                  .toLongLong(),
              r.itemIds.first());

    // Run again: the first voucher is not registered, so a second with the same amounts
    // follows, and the user hears of the first.
    const TClosingResult again = closing.Run(TClosingJob::Class5);
    ASSERT_TRUE(again.Written());
    EXPECT_NE(again.preceptId, r.preceptId);
    EXPECT_NE(again.number, r.number);
    EXPECT_EQ(LinesOf(again.preceptId), LinesOf(r.preceptId));
    ASSERT_EQ(ui.Shown().size(), 1u);
    EXPECT_EQ(ui.Shown().front().type, TMessageType::Warning);
    EXPECT_EQ(ui.LastText(), res::CLOSE_OPEN_TWICE_WRN.arg("Zatvaranje klase \"5\"", "31.12.2024.",
                                                           r.number, again.number));
    EXPECT_EQ(dm->PreceptZQ().RecordCount(), 2);
}

TEST_F(YearClosing, ClassSixGoesToItsOwnAccountsAndClassSevenOnSevenThreeHundred) {
    const qint64 v = Voucher(QDate(2024, 5, 5));
    Line(v, bank, 3100, 0);
    Line(v, revenue, 0, 3000);
    Line(v, policyIncome, 0, 100);
    TYearClosing closing(*dm);
    const TClosingResult six = closing.Run(TClosingJob::Class6, QDate(2024, 12, 30));
    ASSERT_TRUE(six.Written());
    EXPECT_EQ(Header(six.preceptId)[1], QDate(2024, 12, 30));
    EXPECT_EQ(LinesOf(six.preceptId), QStringList({
                                          "6040 3000.00 0.00 Zatvaranje konta",
                                          "6910 100.00 0.00 Zatvaranje konta",
                                          "6990 0.00 3100.00 Zatvaranje klase \"6\"",
                                          "6990 3100.00 0.00 Stari 6990",
                                          "7100 0.00 3000.00 Stari 7100",
                                          "7110 0.00 100.00 Stari 7110",
                                      }));

    // Class 7: a registered transfer of 3000 of revenue and 2200 of expenses.
    const qint64 transfer = Voucher(QDate(2024, 12, 31));
    Line(transfer, NewAccount("7101", "Rashodi"), 2200, 0);
    Line(transfer,
         Db().SelectValue("SELECT accountnewid FROM accountnew WHERE code = '7100'").toLongLong(),
         0, 3000);
    const TClosingResult seven = closing.Run(TClosingJob::Class7);
    ASSERT_TRUE(seven.Written());
    EXPECT_EQ(Header(seven.preceptId)[0], 27);
    EXPECT_EQ(LinesOf(seven.preceptId), QStringList({
                                            "7100 3000.00 0.00 Zatvaranje konta",
                                            "7101 0.00 2200.00 Zatvaranje konta",
                                            "7300 0.00 800.00 Zatvaranje klase \"7\"",
                                        }));
    EXPECT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();
}

TEST_F(YearClosing, TheYearClosesAndTheNextOpensWithSubaccountsKept) {
    Expenses();
    const qint64 v = Voucher(QDate(2024, 2, 1));
    Line(v, equipment, 10000, 0);
    Line(v, suppliers, 0, 10000, 3);
    Line(v, buyers, 1200, 0, 7);
    Line(v, buyers, 300, 0, 8);
    Line(v, buyers, 0, 300, 8);  // partner 8 settled: no line
    Line(v, bank, 0, 1200);
    Line(Voucher(QDate(2024, 2, 2)), revenue, 0, 5);  // class 6 stays out
    Line(Voucher(QDate(2025, 1, 10)), bank, 77, 0);   // the next year stays out
    Db().Execute("INSERT INTO partner (partnerid, name) VALUES (3, 'Treći')");

    TYearClosing closing(*dm);
    const TClosingResult year = closing.Run(TClosingJob::CloseYear);
    ASSERT_TRUE(year.Written()) << year.message.toStdString();
    EXPECT_EQ(Header(year.preceptId), QVariantList({28, QDate(2024, 12, 31), QDate(2024, 12, 31),
                                                    "n", "Zatvaranje godine"}));
    // Bank: 2250 + 1200 on credit, 0.004 on debit.
    EXPECT_EQ(LinesOf(year.preceptId), QStringList({
                                           "0230 0.00 10000.00 Zatvaranje konta",
                                           "2040:7 0.00 1200.00 Zatvaranje konta",
                                           "2410 3450.00 0.00 Zatvaranje konta",
                                           "4350:3 10000.00 0.00 Zatvaranje konta",
                                           "7300 10000.00 0.00 Zatvaranje klase \"0\"",
                                           "7300 0.00 2250.00 Zatvaranje klase \"2\"",
                                           "7300 0.00 10000.00 Zatvaranje klase \"4\"",
                                       }));

    const TClosingResult open = closing.Run(TClosingJob::OpenYear);
    ASSERT_TRUE(open.Written()) << open.message.toStdString();
    EXPECT_EQ(Header(open.preceptId),
              QVariantList({29, QDate(2025, 1, 1), QDate(2025, 1, 1), "n", "Otvaranje godine"}));
    EXPECT_EQ(LinesOf(open.preceptId), QStringList({
                                           "0230 10000.00 0.00 Otvaranje konta",
                                           "2040:7 1200.00 0.00 Otvaranje konta",
                                           "2410 0.00 3450.00 Otvaranje konta",
                                           "4350:3 0.00 10000.00 Otvaranje konta",
                                           "7000 0.00 10000.00 Otvaranje klase \"0\"",
                                           "7000 2250.00 0.00 Otvaranje klase \"2\"",
                                           "7000 10000.00 0.00 Otvaranje klase \"4\"",
                                       }));
    // Numbered in the next year.
    EXPECT_TRUE(open.number.endsWith("-29")) << open.number.toStdString();
    EXPECT_EQ(open.date, QDate(2025, 1, 1));
    EXPECT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();
}

TEST_F(YearClosing, RefusalsWriteNothing) {
    TYearClosing closing(*dm);
    const qint64 precepts = Count("precept");

    // Nothing registered in class 5.
    Line(Voucher(QDate(2024, 3, 1), "n"), goods, 10, 0);
    TClosingResult r = closing.Run(TClosingJob::Class5);
    EXPECT_EQ(r.outcome, TClosingResult::TOutcome::NoAccounts);
    EXPECT_EQ(ui.LastText(), res::CLOSE_OPEN_NO_ACC);
    EXPECT_EQ(ui.Shown().back().type, TMessageType::Information);
    // Totals that net to nothing are no better.
    const qint64 v = Voucher(QDate(2024, 3, 1));
    Line(v, goods, 10, 0);
    Line(v, goods, 0, 10.001);
    EXPECT_EQ(closing.Run(TClosingJob::Class5).outcome, TClosingResult::TOutcome::NoAccounts);
    EXPECT_EQ(Count("precept"), precepts + 2);

    // The system voucher type is gone.
    Expenses();
    Db().Execute("DELETE FROM precepttype WHERE precepttypeid = 27");
    dm->PrecepttypeZQ().Close();
    r = closing.Run(TClosingJob::Class5);
    EXPECT_EQ(r.outcome, TClosingResult::TOutcome::Refused);
    EXPECT_EQ(ui.Shown().back().type, TMessageType::Error);
    EXPECT_EQ(ui.LastText(),
              res::CLOSE_OPEN_NO_TYPE_ERR.arg(27).arg("Zaključak klasa", "Zatvaranje klase \"5\""));
    EXPECT_EQ(Count("precept"), precepts + 6);
    EXPECT_FALSE(dm->PreceptZQ().Active() && !dm->PreceptZQ().IsEmpty());

    // An editor holds the lines.
    dm->PreceptOpen = true;
    EXPECT_EQ(closing.Run(TClosingJob::CloseYear).outcome, TClosingResult::TOutcome::Refused);
    EXPECT_EQ(ui.LastText(), res::PRECEPT_OPEN_ERR);
    dm->PreceptOpen = false;
    EXPECT_EQ(Count("precept"), precepts + 6);
    EXPECT_TRUE(ui.Unexpected().isEmpty());
}

TEST_F(YearClosing, WithoutTheContraAccountInBothChartsTheVoucherHasNoContraLines) {
    Expenses();
    Db().Execute("DELETE FROM account WHERE code = '5990'");
    const TClosingResult r = TYearClosing(*dm).Run(TClosingJob::Class5);
    ASSERT_TRUE(r.Written());
    // No contra line, so nothing on 5990 to transfer; the result still goes to 7100.
    EXPECT_EQ(LinesOf(r.preceptId), QStringList({
                                        "5010 0.00 1500.00 Zatvaranje konta",
                                        "5200 0.00 700.00 Zatvaranje konta",
                                        "5910 0.00 50.00 Zatvaranje konta",
                                        "7100 2200.00 0.00 Stari 7100",
                                        "7110 50.00 0.00 Stari 7110",
                                    }));
    // Nor does a transfer account missing in one chart get a line.
    Db().Execute("DELETE FROM accountnew WHERE code = '7110'");
    const TClosingResult again = TYearClosing(*dm).Run(TClosingJob::Class5);
    ASSERT_TRUE(again.Written());
    EXPECT_EQ(LinesOf(again.preceptId).size(), 4);
    EXPECT_FALSE(LinesOf(again.preceptId).join(' ').contains("7110"));
}

TEST_F(YearClosing, BeforeTwoThousandFourteenTheOldChartsCodesSelect) {
    dm->Options().FinancialYear = 2013;
    const qint64 oldGoods = OldAccount("501", "Nabavna vrednost");
    const qint64 oldBank = OldAccount("241", "Žiro račun");
    const qint64 oldBuyers = OldAccount("202", "Kupci", "partner");
    const qint64 v = Voucher(QDate(2013, 4, 1));
    Line(v, 0, 400, 0, {}, oldGoods);
    // Old code 241 decides, whatever new account the line may carry.
    Line(v, goods, 0, 150, {}, oldBank);
    Line(v, 0, 0, 250, 7, oldBuyers);
    Line(Voucher(QDate(2014, 1, 5)), 0, 99, 0, {}, oldGoods);

    TYearClosing closing(*dm);
    const TClosingResult five = closing.Run(TClosingJob::Class5);
    ASSERT_TRUE(five.Written()) << five.message.toStdString();
    EXPECT_EQ(Header(five.preceptId)[1], QDate(2013, 12, 31));
    EXPECT_EQ(LinesOf(five.preceptId), QStringList({
                                           "501 0.00 400.00 Zatvaranje konta",
                                           "5990 400.00 0.00 Zatvaranje klase \"5\"",
                                           "5990 0.00 400.00 Stari 5990",
                                           "7100 400.00 0.00 Stari 7100",
                                       }));
    // The account lines carry the old chart only.
    EXPECT_EQ(Db().SelectValue("SELECT accountnewid IS NULL FROM preceptitem WHERE "
                               "preceptid = ? ORDER BY sort LIMIT 1",
                               {five.preceptId})
                  .toInt(),
              1);

    const TClosingResult year = closing.Run(TClosingJob::CloseYear);
    ASSERT_TRUE(year.Written()) << year.message.toStdString();
    EXPECT_EQ(LinesOf(year.preceptId), QStringList({
                                           "202:7 250.00 0.00 Zatvaranje konta",
                                           "241 150.00 0.00 Zatvaranje konta",
                                           "7300 0.00 400.00 Zatvaranje klase \"2\"",
                                       }));
    const TClosingResult open = closing.Run(TClosingJob::OpenYear);
    ASSERT_TRUE(open.Written());
    EXPECT_EQ(open.date, QDate(2014, 1, 1));
    EXPECT_EQ(LinesOf(open.preceptId).last(), "7000 400.00 0.00 Otvaranje klase \"2\"");
}

TEST_F(YearClosing, AFailingStatementHalfwayLeavesNothing) {
    Expenses();
    const qint64 precepts = Count("precept"), items = Count("preceptitem");
    // The transfer to 7100 cannot be stored.
    Db().ExecuteDirect(
        "CREATE TRIGGER no_result BEFORE INSERT ON preceptitem FOR EACH ROW "
        "BEGIN IF NEW.description = 'Stari 7100' THEN SIGNAL SQLSTATE '45000' "
        "SET MESSAGE_TEXT = 'Prenos rezultata nije dozvoljen'; END IF; END");
    TYearClosing closing(*dm);
    const TClosingResult r = closing.Run(TClosingJob::Class5);
    EXPECT_EQ(r.outcome, TClosingResult::TOutcome::Refused);
    EXPECT_TRUE(r.message.contains("Prenos rezultata nije dozvoljen")) << r.message.toStdString();
    EXPECT_EQ(ui.Shown().back().type, TMessageType::Error);
    EXPECT_EQ(Count("precept"), precepts);
    EXPECT_EQ(Count("preceptitem"), items);
    // Nor does the list keep a voucher the database never got.
    EXPECT_TRUE(dm->PreceptZQ().IsEmpty());

    // Once it may, the same job writes everything.
    Db().ExecuteDirect("DROP TRIGGER no_result");
    ASSERT_TRUE(closing.Run(TClosingJob::Class5).Written());
    EXPECT_EQ(Count("precept"), precepts + 1);
    EXPECT_EQ(dm->PreceptZQ().RecordCount(), 1);
}

TEST_F(YearClosing, TheCompositeRunsEveryJobInOrderAndGoesOnPastAnEmptyOne) {
    Expenses();
    const qint64 v = Voucher(QDate(2024, 5, 5));
    Line(v, bank, 3000, 0);
    Line(v, revenue, 0, 3000);
    const QVector<TClosingResult> all = TYearClosing(*dm).RunAll();
    ASSERT_EQ(all.size(), 5);
    QStringList done;
    for (const TClosingResult& r : all)
        done << r.description + (r.Written() ? QString(" %1").arg(Header(r.preceptId)[0].toInt())
                                             : QStringLiteral(" -"));
    // Nothing is registered in class 7 yet: the closing vouchers wait for registering.
    EXPECT_EQ(done, QStringList({"Zatvaranje klase \"5\" 27", "Zatvaranje klase \"6\" 27",
                                 "Zatvaranje klase \"7\" -", "Zatvaranje godine 28",
                                 "Otvaranje godine 29"}));
    EXPECT_LT(all[0].preceptId, all[1].preceptId);
    EXPECT_LT(all[1].preceptId, all[3].preceptId);
    EXPECT_LT(all[3].preceptId, all[4].preceptId);
    EXPECT_EQ(ui.Shown().size(), 1u);
    EXPECT_EQ(ui.LastText(), res::CLOSE_OPEN_NO_ACC);
    // The last voucher is the list's current record.
    EXPECT_EQ(dm->PreceptZQ().FieldByName("preceptid").AsInteger(), all[4].preceptId);
    EXPECT_EQ(dm->PreceptZQ().RecordCount(), 4);
}

}  // namespace
}  // namespace fin::test
