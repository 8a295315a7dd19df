#include <QApplication>

#include "host/data/query.h"
#include "host/forms/datasetmodel.h"
#include "journal/financialdetailform.h"
#include "journal/financialviewerform.h"
#include "journal/ledgercheckform.h"
#include "reports/accountdetailform.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

class LedgerCheckForms : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        dm->Options().FinancialYear = 2024;
        bank = NewAccount("2410", "Tekući račun");
        sales = NewAccount("6040", "Prihodi");
        const qint64 sale = AddPrecept(type, QDate(2024, 5, 6), "00001/24-77", "p");
        Line(sale, bank, 120, 0);
        Line(sale, sales, 0, 120);
    }
    void TearDown() override {
        SetModalRunner(nullptr);
        TReportsTest::TearDown();
    }

    qint64 bank = 0, sales = 0;
};

TEST_F(LedgerCheckForms, CleanBooksAreSaidSoWithoutAList) {
    TFinancialViewerForm viewer(*dm);
    bool listed = false;
    SetModalRunner([&](QDialog&) {
        listed = true;
        return 0;
    });
    viewer.Command("LedgerCheckAction")->trigger();
    EXPECT_FALSE(listed);
    EXPECT_EQ(ui.LastText(), "Knjige su u redu: nijedna greška nije nađena.");
    EXPECT_EQ(ui.Shown().back().type, TMessageType::Information);
}

TEST_F(LedgerCheckForms, FindingsOfTheYearOpenTheirVoucherOrAccountCard) {
    EXPECT_EQ(TFinancialViewerForm(*dm).Command("LedgerCheckAction")->text(), "Provera knjiga");
    // An unbalanced voucher of the year, one of another year, and an account whose type has
    // no table.
    const qint64 wrong = AddPrecept(type, QDate(2024, 7, 1), "00002/24-77", "p");
    Line(wrong, bank, 10, 0);
    Line(AddPrecept(type, QDate(2023, 7, 1), "00002/23-77", "p"), bank, 10, 0);
    Db().Execute("UPDATE accountnew SET type = 'subaccount_Nema' WHERE accountnewid = ?", {sales});

    TFinancialViewerForm viewer(*dm);
    bool listed = false;
    qint64 edited = 0;
    qint64 carded = 0;
    SetModalRunner([&](QDialog& dialog) {
        if (dynamic_cast<TFinancialDetailForm*>(&dialog)) {
            edited = dm->PreceptZQ().FieldByName("preceptid").AsInteger();
            dialog.reject();
            return 0;
        }
        if (auto* card = dynamic_cast<TAccountDetailForm*>(&dialog)) {
            carded = card->Card().AccountID;
            dialog.reject();
            return 0;
        }
        auto* form = dynamic_cast<TLedgerCheckForm*>(&dialog);
        EXPECT_NE(form, nullptr);
        if (!form)
            return 0;
        listed = true;
        TDataSetModel* model = form->Model();
        EXPECT_EQ(model->columnCount(), 6);
        QStringList titles;
        for (int c = 0; c < model->columnCount(); ++c)
            titles << model->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(titles,
                  QStringList({"Vrsta greške", "Id", "Tip naloga", "Broj", "Datum", "Opis"}));
        EXPECT_EQ(model->rowCount(), 2);
        if (model->rowCount() != 2)
            return 0;
        EXPECT_EQ(model->index(0, 0).data().toString(),
                  "Nalozi kojima se duguje i potražuje ne slažu");
        EXPECT_EQ(model->index(0, 1).data().toString(), QString::number(wrong));
        EXPECT_EQ(model->index(0, 2).data().toString(), "77");
        EXPECT_EQ(model->index(0, 3).data().toString(), "00002/24-77");
        EXPECT_EQ(model->index(0, 5).data().toString(), "Duguje 10,00, potražuje 0,00.");
        EXPECT_EQ(model->index(1, 0).data().toString(), "Konta čija vrsta analitike nema tabelu");
        EXPECT_EQ(model->index(1, 1).data().toString(), QString::number(sales));

        // A double click on the voucher opens it in the editor; on the account, its card.
        emit form->FindingsGrid->doubleClicked(model->index(0, 3));
        EXPECT_EQ(edited, wrong);
        // The editor, once gone, lets the next voucher open.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(dm->PreceptOpen);
        emit form->FindingsGrid->doubleClicked(model->index(1, 0));
        EXPECT_EQ(carded, sales);
        dialog.reject();
        return 0;
    });
    viewer.Command("LedgerCheckAction")->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(listed);
    EXPECT_EQ(edited, wrong);
    EXPECT_EQ(carded, sales);
    EXPECT_TRUE(viewer.findChildren<TLedgerCheckForm*>().isEmpty());  // freed on close
    EXPECT_TRUE(ui.Unexpected().isEmpty());
}

}  // namespace
}  // namespace fin::test
