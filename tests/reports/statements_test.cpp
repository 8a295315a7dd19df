#include "reports/statements.h"

#include <QDir>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "host/data/dataset.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

const QDate kJan1(2024, 1, 1), kDec31(2024, 12, 31);

class Statements : public TReportsTest {
protected:
    // One line on a new-chart account made for it (codes are unique per test).
    void Post(qint64 voucher, const QString& code, double debit, double credit) {
        qint64& id = accounts_[code];
        if (!id)
            id = NewAccount(code);
        Line(voucher, id, debit, credit);
    }
    void PostOld(qint64 voucher, const QString& code, double debit, double credit) {
        qint64& id = oldAccounts_[code];
        if (!id)
            id = OldAccount(code);
        Line(voucher, 0, debit, credit, {}, id);
    }

private:
    QHash<QString, qint64> accounts_, oldAccounts_;
};

// Values by position; a blank position is absent.
QHash<int, qint64> Values(const TStatementRows& rows, bool previous = false) {
    QHash<int, qint64> v;
    for (const TStatementRow& r : rows)
        if (const auto& x = previous ? r.prevValue : r.value)
            v.insert(r.position.index, *x);
    return v;
}

TEST(StatementRounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(DivideHalfEven(150000, 100000), 2);
    EXPECT_EQ(DivideHalfEven(250000, 100000), 2);
    EXPECT_EQ(DivideHalfEven(-150000, 100000), -2);
    EXPECT_EQ(DivideHalfEven(-250000, 100000), -2);
    EXPECT_EQ(DivideHalfEven(250001, 100000), 3);
    EXPECT_EQ(DivideHalfEven(-149999, 100000), -1);
    EXPECT_EQ(DivideHalfEven(0, 100), 0);
    EXPECT_EQ(DivideHalfEven(27, 10), 3);
}

TEST_F(Statements, BalanceSheetRoundsEachTermAndSignsAssetsAndLiabilities) {
    const qint64 opening = AddType(QStringLiteral("29"), QStringLiteral("Početno stanje"));
    const qint64 o = Voucher(kJan1, QStringLiteral("p"), opening);
    Post(o, "0100", 1000, 0);
    Post(o, "0190", 0, 5000);
    Post(o, "3000", 0, 2000);
    const qint64 v = Voucher(QDate(2024, 3, 1));
    Post(v, "0100", 500, 0);     // 010: 1 500, a half that goes up to 2
    Post(v, "0110", 4500, 0);    // 011: 4 500, a half that stays at 4
    Post(v, "0190", 2000, 0);    // 019: -3 000 in all
    Post(v, "0400", 800, 0);     // 04: 1 400 with 047
    Post(v, "0470", 600, 0);     // 047: 600
    Post(v, "2410", 0, 3000);    // cash with a credit balance
    Post(v, "4200", 0, 100000);  // a liability with a credit balance
    Post(v, "3500", 10000, 0);   // a loss
    Post(v, "3300", 0, 1500);
    Post(v, "3310", 0, 2500);
    Post(Voucher(QDate(2024, 5, 1), QStringLiteral("n")), "4200", 0, 777000);  // not registered

    TStatements s(Db(), kJan1, kDec31, {});
    const TStatementRows rows = s.BalanceSheet();
    ASSERT_EQ(rows.size(), 72 + 65);
    const auto now = Values(rows), prev = Values(rows, true);

    EXPECT_EQ(now[4], 2);
    // 019 (-3) would leave 0004 below 1, so 0005 (4) takes it.
    EXPECT_EQ(now[5], 1);
    EXPECT_EQ(now[9], 0);
    EXPECT_EQ(now[3], 3) << "0003 is [01] itself";
    EXPECT_EQ(now[24], 0) << "[04] - [047] is 1 - 1, each term rounded";
    EXPECT_EQ(now[68], -3) << "an asset with a credit balance";
    EXPECT_EQ(now[2], 3);
    EXPECT_EQ(now[43], -3);
    EXPECT_EQ(now[71], 0);
    EXPECT_EQ(now[443], 100) << "a liability's credit balance shows positive";
    EXPECT_EQ(now[442], 100);
    EXPECT_EQ(now[412], 1) << "047 and 237 keep their debit sign";
    EXPECT_EQ(now[421], 10) << "a loss shows positive in 0421";
    EXPECT_EQ(now[422], -10) << "but negated in 0422";
    EXPECT_EQ(now[402], 2);
    EXPECT_EQ(now[403], 2);
    EXPECT_EQ(now[414], 2);
    EXPECT_EQ(now[415], 2) << "[33] 4 less [330] 2";
    EXPECT_EQ(now[416], 0);
    // K = 2 + 0 - 1 + 0 + 4 + 0 - 10 = -5: capital below zero.
    EXPECT_EQ(now[401], -100) << "0071 - [4]";
    EXPECT_EQ(now[463], 5);
    EXPECT_EQ(now[464], -5);
    EXPECT_EQ(now[424], 0);
    EXPECT_FALSE(now.contains(420)) << "0420 gets no value";

    // The previous column: the opening vouchers alone, by the same rules. 019 (-5) stays
    // positive nowhere, so 0009 takes it.
    EXPECT_EQ(prev[4], 1);
    EXPECT_EQ(prev[5], 0);
    EXPECT_EQ(prev[9], -5);
    EXPECT_EQ(prev[3], -4);
    EXPECT_EQ(prev[71], -4);
    EXPECT_EQ(prev[402], 2);
    EXPECT_EQ(prev[401], 2) << "K = 2";
    EXPECT_EQ(prev[463], 4) << "[4] - 0071 when K is not negative";
    EXPECT_EQ(prev[464], -2);
    EXPECT_EQ(prev[443], 0);

    // Without thousands the same terms are whole dinars.
    TStatements whole(Db(), kJan1, kDec31, {.thousands = false});
    const auto w = Values(whole.BalanceSheet());
    EXPECT_EQ(w[4], 1500);
    EXPECT_EQ(w[5], 4500 - 3000);
    EXPECT_EQ(w[24], 800);
    EXPECT_EQ(w[443], 100000);
}

TEST_F(Statements, IncomeStatementTakesIncomeAbsoluteAndSplitsEveryProfitAndLoss) {
    const qint64 v = Voucher(QDate(2024, 2, 1));
    Post(v, "6000", 0, 1500);  // 1003: 1.5 goes to 2
    Post(v, "6010", 2500, 0);  // an income with a debit balance still adds: 2.5 goes to 2
    Post(v, "5000", 0, 1000);  // an expense with a credit balance lowers 1019
    Post(v, "5100", 7000, 0);
    Post(v, "5130", 2000, 0);
    Post(v, "6900", 0, 3000);
    Post(v, "5900", 1000, 0);
    Post(v, "7210", 4000, 1000);

    const auto loss = Values(TStatements(Db(), kJan1, kDec31, {}).IncomeStatement());
    EXPECT_EQ(loss.size(), 65) << "1066 to 1071 stay blank";
    EXPECT_EQ(loss[1003], 2);
    EXPECT_EQ(loss[1004], 2);
    EXPECT_EQ(loss[1002], 4);
    EXPECT_EQ(loss[1001], 4);
    EXPECT_EQ(loss[1019], -1);
    EXPECT_EQ(loss[1023], 7) << "[51] less [513], each rounded";
    EXPECT_EQ(loss[1024], 2);
    EXPECT_EQ(loss[1018], 8);
    EXPECT_EQ(loss[1030], 0);
    EXPECT_EQ(loss[1031], 4);
    EXPECT_EQ(loss[1056], 2);
    EXPECT_EQ(loss[1057], 0);
    EXPECT_EQ(loss[1054], 0);
    EXPECT_EQ(loss[1055], 4);
    EXPECT_EQ(loss[1058], 0);
    EXPECT_EQ(loss[1059], 2);
    EXPECT_EQ(loss[1060], 1) << "the credit of 721";
    EXPECT_EQ(loss[1064], 0);
    EXPECT_EQ(loss[1065], 3);

    TStatementOptions o;
    o.showBalance721 = true;
    o.autoCalculateIncomeTax = true;
    const auto balance721 = Values(TStatements(Db(), kJan1, kDec31, o).IncomeStatement());
    EXPECT_EQ(balance721[1060], 3) << "the balance of 721; no tax on a loss";

    // A profit: 18 before tax, 15% of it is 2.7, which rounds to 3.
    Post(Voucher(QDate(2024, 6, 1)), "6020", 0, 20000);
    o.showBalance721 = false;
    const auto profit = Values(TStatements(Db(), kJan1, kDec31, o).IncomeStatement());
    EXPECT_EQ(profit[1005], 20);
    EXPECT_EQ(profit[1030], 16);
    EXPECT_EQ(profit[1058], 18);
    EXPECT_EQ(profit[1060], 1 + 3);
    EXPECT_EQ(profit[1064], 14);
    EXPECT_EQ(profit[1065], 0);
}

TEST_F(Statements, OldStatementsTaxByYearAndNegateEveryLiability) {
    const qint64 v = Voucher(QDate(2012, 3, 1));
    PostOld(v, "6000", 0, 30000);
    PostOld(v, "5000", 10000, 0);
    PostOld(v, "7210", 1000, 0);
    PostOld(v, "7220", 0, 2000);
    PostOld(v, "3000", 0, 50000);
    PostOld(v, "3500", 8000, 0);
    PostOld(v, "2400", 42000, 0);
    PostOld(v, "0120", 1500, 0);
    PostOld(v, "0130", 2500, 0);

    TStatementOptions o{.autoCalculateIncomeTax = true, .financialYear = 2012};
    const QDate from(2012, 1, 1), to(2012, 12, 31);
    const auto is2012 = Values(TStatements(Db(), from, to, o).OldIncomeStatement());
    EXPECT_EQ(is2012[202], 30);
    EXPECT_EQ(is2012[208], 10);
    EXPECT_EQ(is2012[213], 20);
    EXPECT_EQ(is2012[214], 0);
    EXPECT_EQ(is2012[223], 20);
    EXPECT_EQ(is2012[225], 1 + 2) << "10% of 20 in 2012";
    EXPECT_EQ(is2012[226], 0);
    EXPECT_EQ(is2012[227], 2) << "a credit balance of 722";
    EXPECT_FALSE(is2012.contains(231));
    o.financialYear = 2013;
    const auto is2013 = Values(TStatements(Db(), from, to, o).OldIncomeStatement());
    EXPECT_EQ(is2013[225], 1 + 3) << "15% of 20 after 2012";

    const auto bs = Values(TStatements(Db(), from, to, o).OldBalanceSheet());
    EXPECT_EQ(bs[3], 2) << "goodwill 012: 1.5 goes to 2";
    EXPECT_EQ(bs[4], 2) << "[01] 4 less [012] 2";
    EXPECT_EQ(bs[19], 42);
    EXPECT_EQ(bs[102], 50);
    EXPECT_EQ(bs[109], -8) << "the loss is credit less debit like every liability";
    EXPECT_EQ(bs[101], 50 - 8) << "and lowers the capital";
}

TEST_F(Statements, FilingDocumentsCarryEveryPositionAndTheFormsWithoutValuesAreWhole) {
    const qint64 opening = AddType(QStringLiteral("29"), QStringLiteral("Početno stanje"));
    Post(Voucher(kJan1, QStringLiteral("p"), opening), "2410", 7000, 0);
    Post(Voucher(QDate(2024, 4, 1)), "6000", 0, 9000);

    TStatements s(Db(), kJan1, kDec31, {});
    const TFilingNamespaces ns{QStringLiteral("urn:model"), QStringLiteral("urn:definicija")};
    for (const TStatementForm form :
         {TStatementForm::BalanceSheet, TStatementForm::IncomeStatement}) {
        const bool bs = form == TStatementForm::BalanceSheet;
        const TStatementRows rows = bs ? s.BalanceSheet() : s.IncomeStatement();
        const QString xml = StatementXml(form, rows, ns);
        EXPECT_FALSE(xml.contains(QLatin1Char('\n')));
        EXPECT_FALSE(xml.startsWith(QStringLiteral("<?xml")));
        QXmlStreamReader r(xml);
        QHash<QString, QString> numeric;
        QSet<QString> texts;
        QString title, current, element;
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement()) {
                element = r.name().toString();
                if (r.name() == QLatin1String("FiForma")) {
                    EXPECT_EQ(r.namespaceUri(), QLatin1String("urn:model"));
                }
                if (r.name() == QLatin1String("NumerickoPolje")) {
                    EXPECT_EQ(r.namespaceUri(), QLatin1String("urn:definicija"));
                }
            } else if (r.isCharacters() && !r.isWhitespace()) {
                const QString t = r.text().toString();
                if (element == QLatin1String("Naziv") && t.startsWith(QLatin1String("aop-")))
                    current = t;
                else if (element == QLatin1String("Naziv"))
                    title = t;
                else if (element == QLatin1String("Vrednosti"))
                    numeric.insert(current, t);
            } else if (r.isEndElement() && r.name() == QLatin1String("TekstualnoPolje")) {
                texts.insert(current);
            }
        }
        ASSERT_FALSE(r.hasError()) << r.errorString().toStdString();
        EXPECT_EQ(title, bs ? QStringLiteral("Bilans stanja") : QStringLiteral("Bilans uspeha"));
        for (const TStatementRow& row : rows) {
            const QString n =
                QStringLiteral("aop-%1-").arg(row.position.index, 4, 10, QLatin1Char('0'));
            EXPECT_EQ(numeric.value(n + "5"), QString::number(row.value.value_or(0)))
                << n.toStdString();
            EXPECT_EQ(numeric.value(n + "6"), QString::number(bs ? row.prevValue.value_or(0) : 0))
                << n.toStdString();
            EXPECT_EQ(numeric.value(n + "7"), bs ? QStringLiteral("0") : QString());
            EXPECT_TRUE(texts.contains(n + "4")) << n.toStdString();
        }
        EXPECT_EQ(numeric.size(), rows.size() * (bs ? 3 : 2));
    }
    EXPECT_EQ(Values(s.BalanceSheet(), true)[68], 7);
    EXPECT_EQ(Values(s.IncomeStatement())[1003], 9);

    const QDateTime t(QDate(2026, 12, 7), QTime(9, 5, 3));
    EXPECT_EQ(ProposedXmlFileName(TStatementForm::BalanceSheet, t), "aprBS_20261207090503.xml");
    EXPECT_EQ(ProposedXmlFileName(TStatementForm::IncomeStatement, t.addSecs(1)),
              "aprBU_20261207090504.xml");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bs.xml"));
    EXPECT_EQ(WriteStatementXml(path, QStringLiteral("<a/>")), QString());
    EXPECT_TRUE(WriteStatementXml(dir.path(), QStringLiteral("<b/>")).contains("fascikla"));
    EXPECT_FALSE(WriteStatementXml(dir.filePath("nema/bs.xml"), QStringLiteral("<b/>")).isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("<a/>"));

    // The forms printed for completion by hand: every position, never a value.
    const TStatementRows cash = CashFlow(), annex = StatisticalAnnex();
    EXPECT_EQ(cash.size(), 47);
    EXPECT_EQ(annex.size(), 130);
    for (const TStatementRows* form : {&cash, &annex})
        for (const TStatementRow& r : *form)
            EXPECT_FALSE(r.value || r.prevValue);
    EXPECT_EQ(AnnexMonths(kJan1, kDec31), 12);
    EXPECT_EQ(AnnexMonths(QDate(2024, 3, 15), QDate(2024, 5, 2)), 3);

    TDataSet table;
    DeclareStatementTable(table, TStatementForm::BalanceSheet);
    FillStatementTable(table, s.BalanceSheet());
    EXPECT_EQ(table.RecordCount(), 137);
    EXPECT_EQ(table.FieldByName("Index").DisplayText(), "0001");

    EXPECT_TRUE(CheckStatementPeriod(QDate(2024, 6, 1), QDate(2025, 1, 31)).contains("godinu"));
    EXPECT_EQ(CheckStatementPeriod(kJan1, kDec31), QString());
}

}  // namespace
}  // namespace fin::test
