#include <QApplication>
#include <QPointer>
#include <QWheelEvent>

#include "accounts/accountscaptions.h"
#include "accounts/newaccountingchartform.h"
#include "host/data/query.h"
#include "reports/accountdetailform.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

class NewChartForm : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        dm->Options().FinancialYear = 2013;
        buyers = OldAccount("2020", "Kupci u zemlji", "partner");
        disputed = OldAccount("20200", "Kupci - sporna potraživanja", "partner");
        cash = OldAccount("2430", "Glavna blagajna");
        newBuyers = NewAccount("2040", "Kupci u zemlji", "partner");
        newCash = NewAccount("2430", "Glavna blagajna");
        Db().Execute("INSERT INTO partner (name) VALUES ('Alfa'), ('Beta')");
        const qint64 v = Voucher(QDate(2013, 2, 1));
        Line(v, 0, 10, 0, 1, buyers);
        Line(v, 0, 2.5, 0, 2, disputed);
        Line(v, 0, 0, 12.5, {}, cash);
    }
    void TearDown() override {
        SetModalRunner(nullptr);
        TReportsTest::TearDown();
    }
    qint64 MappedTo(qint64 account) {
        return Db()
            .SelectValue("SELECT COUNT(*) FROM preceptitem WHERE accountnewid = ?", {account})
            .toLongLong();
    }
    qint64 buyers = 0, disputed = 0, cash = 0, newBuyers = 0, newCash = 0;
};

TEST_F(NewChartForm, SearchesTransfersAndOpensTheCardsOfBothCharts) {
    QPointer<TNewAccountingChartForm> form = new TNewAccountingChartForm(*dm);
    QAbstractItemModel* old = form->OldGrid->model();
    ASSERT_EQ(old->rowCount(), 3);
    EXPECT_EQ(old->headerData(0, Qt::Horizontal).toString(), "Kod");
    EXPECT_EQ(old->headerData(1, Qt::Horizontal).toString(), "Ime");
    EXPECT_EQ(old->headerData(3, Qt::Horizontal).toString(), "Saldo");
    EXPECT_EQ(old->index(0, 2).data().toString(), dm->GetTypeCaption("partner"));
    EXPECT_EQ(old->index(2, 3).data().toString(), "-12,50");
    EXPECT_EQ(form->NewGrid->model()->rowCount(), 2);

    // The left search wants a number; the right one narrows the new chart.
    form->ContoEdit->setText("24x");
    form->OldSearchButton->click();
    EXPECT_EQ(ui.LastText(), res::ACC_CODE_WRN);
    form->ContoEdit->setText("2430");
    form->OldSearchButton->click();
    EXPECT_EQ(form->OldGrid->currentIndex().row(), 2);
    form->NewContoEdit->setText("2430");
    form->NewSearchButton->click();
    ASSERT_EQ(form->NewGrid->model()->rowCount(), 1);
    form->SingleButton->click();
    EXPECT_EQ(MappedTo(newCash), 1);
    EXPECT_EQ(old->rowCount(), 2);

    // The wheel walks the list under it.
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form->OldGrid->viewport(), &wheel);
    EXPECT_EQ(form->Transfer().CurrentOld().code, "20200");

    // Partners into an account without sub-accounts: refused, and the user is told why.
    form->ContoEdit->setText("");
    form->ContoNameEdit->setText("%sporna");
    form->OldSearchButton->click();
    EXPECT_EQ(form->Transfer().CurrentOld().code, "20200");
    form->SingleButton->click();
    EXPECT_EQ(ui.LastText(), res::NEW_ACC_TYPE_WRN.arg("20200", dm->GetTypeCaption("partner"),
                                                       "2430", res::NEW_ACC_NO_TYPE_CAPTION));
    EXPECT_EQ(MappedTo(newCash), 1);
    form->NewContoEdit->setText("");
    form->NewSearchButton->click();
    EXPECT_EQ(form->Transfer().CurrentNew().code, "2040");
    form->SingleButton->click();
    EXPECT_EQ(MappedTo(newBuyers), 1);
    EXPECT_EQ(old->rowCount(), 1);

    // The cards: the old account in the old chart, the new one in the new chart; the new
    // chart is in force again afterwards.
    QStringList cards;
    SetModalRunner([&](QDialog& dialog) {
        auto* card = dynamic_cast<TAccountDetailForm*>(&dialog);
        EXPECT_NE(card, nullptr);
        if (card)
            cards << QStringLiteral("%1:%2:%3")
                         .arg(dm->UseNewChart ? "novi" : "stari")
                         .arg(card->CodeEdit->text())
                         .arg(card->Card().Lines().RecordCount());
        dialog.reject();
        return dialog.result();
    });
    emit form->OldGrid->doubleClicked(old->index(0, 0));
    EXPECT_TRUE(dm->UseNewChart);
    emit form->NewGrid->doubleClicked(form->NewGrid->model()->index(0, 0));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(cards, QStringList({"stari:2020:1", "novi:2040:1"}));

    // The recommended table, read-only, behind the help button.
    int pairs = 0;
    SetModalRunner([&](QDialog& dialog) {
        auto& table = dynamic_cast<TNewRecommendedTransferForm&>(dialog);
        pairs = table.PairsGrid->rowCount();
        EXPECT_EQ(table.PairsGrid->horizontalHeaderItem(0)->text(), res::NEW_ACC_TITLE1);
        EXPECT_EQ(table.PairsGrid->horizontalHeaderItem(1)->text(), res::NEW_ACC_TITLE2);
        EXPECT_EQ(table.PairsGrid->editTriggers(), QAbstractItemView::NoEditTriggers);
        table.CloseButton->click();
        return dialog.result();
    });
    form->HelpButton->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(pairs, RecommendedChartPairs().size());

    form->RecommendedButton->click();
    EXPECT_EQ(MappedTo(newBuyers), 2);
    EXPECT_EQ(old->rowCount(), 0);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();

    form->CloseButton->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(dm->UseNewChart);
}

}  // namespace
}  // namespace fin::test
