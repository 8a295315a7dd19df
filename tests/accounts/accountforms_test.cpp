#include <QApplication>
#include <QWheelEvent>

#include "accounts/accountform.h"
#include "host/data/query.h"
#include "ledger/ledgercaptions.h"
#include "reports/accountdetailform.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

class AccountForms : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        dm->Options().FinancialYear = 2024;
        buyers = NewAccount("2040", "Kupci u zemlji", "partner");
        bank = NewAccount("2410", "Tekući račun");
        for (const char* name : {"Alfa", "Beta", "Gama"})
            Db().Execute("INSERT INTO partner (name) VALUES (?)", {QString::fromLatin1(name)});
        const qint64 jan = Voucher(QDate(2024, 1, 10)), mar = Voucher(QDate(2024, 3, 10));
        Line(jan, buyers, 100, 0, 1);
        Line(jan, bank, 0, 100);
        Line(mar, buyers, 0, 40, 2);
        Line(mar, bank, 40, 0);
    }
    void TearDown() override {
        SetModalRunner(nullptr);
        TReportsTest::TearDown();
    }
    qint64 buyers = 0, bank = 0;
};

TEST_F(AccountForms, PickDialogReturnsTheChosenRecordAndRestoresTheChart) {
    TAccountDesc desc;
    desc.CodeNew = "2040";
    desc.SubaccountCode = "2";
    {
        TAccountForm form(*dm, true);
        form.setAttribute(Qt::WA_DeleteOnClose, false);
        EXPECT_FALSE(form.NewAccountingChartCB->isEnabled());
        EXPECT_TRUE(form.SelectSubaccountButton->isVisibleTo(&form));
        form.Prepare(desc);
        TQuery& subs = dm->SubaccountZQ();
        ASSERT_TRUE(subs.Active());
        EXPECT_EQ(subs.FieldByName("name").AsString(), "Beta");
        form.SelectSubaccount->trigger();
        EXPECT_EQ(form.SelectResult, TAccountResult::arSubaccount);
        form.TakeResult(desc);
    }
    EXPECT_EQ(desc.AccountNewID, buyers);
    EXPECT_EQ(desc.Name, "Kupci u zemlji");
    EXPECT_EQ(desc.AccountType, "partner");
    EXPECT_EQ(desc.SubaccountCode, "2");
    EXPECT_EQ(desc.SubaccountName, "Beta");

    // A known account: only one of its sub-accounts can be chosen.
    {
        TAccountForm form(*dm, false);
        form.setAttribute(Qt::WA_DeleteOnClose, false);
        EXPECT_FALSE(dm->UseNewChart);
        TAccountDesc known;
        known.AccountID = 5;
        known.Code = "9";
        form.Prepare(known);
        EXPECT_FALSE(form.AccountGrid->isEnabled());
        // The old chart has no account 9: no sub-account list, so a warning.
        form.SelectSubaccount->trigger();
        EXPECT_EQ(ui.LastText(), res::SUB_ACC_MIS_ERR);
        EXPECT_EQ(form.SelectResult, TAccountResult::arNone);
    }
    EXPECT_TRUE(dm->UseNewChart);

    // The exported dialog, answered by the user picking the bank account.
    SetModalRunner([](QDialog& dialog) {
        auto& form = dynamic_cast<TAccountForm&>(dialog);
        form.ContoEdit->setText("241");
        form.SearchAction->trigger();
        form.SelectAccountButton->click();
        return dialog.result();
    });
    TAccountDesc any;
    ASSERT_TRUE(GetAccount(*dm, any, true));
    EXPECT_EQ(any.AccountNewID, bank);
    EXPECT_EQ(any.CodeNew, "2410");
    EXPECT_TRUE(any.SubaccountCode.isEmpty());
    SetModalRunner([](QDialog& dialog) { return dialog.result(); });
    EXPECT_FALSE(GetAccount(*dm, any, true));
}

TEST_F(AccountForms, SubaccountValuesNeverOutliveTheirAccount) {
    auto* form = new TAccountForm(*dm);
    form->show();
    EXPECT_EQ(form->CancelButton->text(), "&Zatvori");
    EXPECT_FALSE(form->SelectAccountButton->isVisible());
    form->ContoEdit->setText("2");
    form->AccountValuesShowCB->setChecked(true);
    form->SearchAction->trigger();
    EXPECT_FALSE(form->AccountGrid->isColumnHidden(4));
    EXPECT_EQ(form->AccountGrid->model()->index(0, 4).data().toString(), "60,00");

    form->SubaccountValuesShowCB->setChecked(true);
    // A search keeps the values of the list it computes them for.
    form->SearchAction->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(form->SubaccountShowValues->isChecked());
    EXPECT_FALSE(form->SubaccountGrid->isColumnHidden(2));
    EXPECT_EQ(form->SubaccountGrid->model()->index(0, 2).data().toString(), "100,00");

    // The wheel towards the user goes down the accounts; the list of the next account is
    // a new one, so its value columns go away.
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form->AccountGrid->viewport(), &wheel);
    QApplication::processEvents();
    EXPECT_EQ(dm->AccountNewZQ().FieldByName("code").AsString(), "2410");
    EXPECT_FALSE(form->SubaccountValuesShowCB->isChecked());
    EXPECT_TRUE(form->SubaccountGrid->isColumnHidden(2));

    // The group card through the browser, with the prefix the user typed.
    bool shown = false;
    SetModalRunner([&](QDialog& dialog) {
        auto& card = dynamic_cast<TAccountDetailForm&>(dialog);
        shown = true;
        EXPECT_FALSE(card.AccountGB->isVisibleTo(&card));
        EXPECT_TRUE(card.PrintSynthetic->isVisibleTo(&card));
        EXPECT_EQ(card.Card().Lines().RecordCount(), 2);
        dialog.reject();
        return 0;
    });
    ui.AnswerText("24");
    form->GroupOpen->trigger();
    EXPECT_TRUE(shown);
    ui.AnswerText("4").AnswerText("2");
    form->AccountRangeOpen->trigger();
    EXPECT_EQ(ui.LastText(), res::CARD_RANGE_ERR.arg("4", "2"));

    // Switching charts rebinds the grid; the old chart's list can change without it.
    form->NewAccountingChartCB->setChecked(false);
    OldAccount("2020", "Kupci (stari plan)");
    form->SearchAction->trigger();
    EXPECT_EQ(form->AccountGrid->model()->rowCount(), 1);
    form->NewAccountingChartCB->setChecked(true);
    dm->AccountZQ().Open();
    dm->AccountZQ().Close();
    form->SearchAction->trigger();
    EXPECT_EQ(form->AccountGrid->model()->rowCount(), 2);
    QPointer<TAccountForm> alive(form);
    form->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

TEST_F(AccountForms, CardShowsThePeriodPrintsAndTransfersTheShownLines) {
    const qint64 other = NewAccount("2049", "Ostali kupci", "partner");
    dm->AccountNewZQ().SetSQL(
        "SELECT *, (accountnewid + 0.0) AS debit, (accountnewid + 0.0) AS "
        "credit, (accountnewid + 0.0) AS balance FROM accountnew ORDER BY code");
    dm->AccountNewZQ().Open();
    ASSERT_TRUE(dm->AccountNewZQ().Locate("code", QStringLiteral("2040")));

    auto* card = new TAccountDetailForm(*dm);
    TAccountDesc desc;
    desc.AccountNewID = static_cast<qint32>(buyers);
    card->LoadAccount(desc);
    card->show();
    EXPECT_EQ(card->NameEdit->text(), "Kupci u zemlji");
    EXPECT_TRUE(card->CodeEdit->isReadOnly());  // it has lines
    EXPECT_TRUE(card->PrintAnalytical->isEnabled());
    EXPECT_EQ(card->TotalBalanceLabel->text(), "60,00");

    card->FromEdit->setText("2024-02-01");
    card->FindButton->click();
    EXPECT_EQ(card->LinesGrid->model()->rowCount(), 2);
    EXPECT_EQ(card->LinesGrid->model()->index(0, 2).data().toString(), res::FIN_ACC_PREV_SITUATION);
    card->WithoutPreviousCB->setChecked(true);
    card->FindButton->click();
    EXPECT_EQ(card->LinesGrid->model()->rowCount(), 1);
    EXPECT_EQ(card->TotalBalanceLabel->text(), "-40,00");
    card->FromEdit->setText("1.1.2023");
    card->FindButton->click();
    EXPECT_EQ(ui.LastText(), res::OUT_OF_YEAR_WRN);
    EXPECT_EQ(card->FromEdit->text(), "1.1.2023");
    EXPECT_EQ(card->LinesGrid->model()->rowCount(), 1);
    card->FromEdit->setText("2024-01-01");
    card->WithoutPreviousCB->setChecked(false);
    card->FindButton->click();

    card->Engine().SetOutput(TReportOutput::Document);
    card->AccountPrint->click();
    const TReportDocument& printed = card->Engine().LastDocument();
    EXPECT_EQ(printed.title, "Kartica konta");
    ASSERT_EQ(printed.tables.size(), 1);
    EXPECT_EQ(printed.tables[0].titles.first(), "Datum");
    EXPECT_EQ(printed.tables[0].totals.last(), "60,00");
    card->PrintAnalyticalWithBalance->click();
    ASSERT_EQ(card->Engine().LastDocument().tables[0].rows.size(), 2);
    EXPECT_EQ(card->Engine().LastDocument().tables[0].rows[0][2], "Alfa");

    // The transfer: confirmed, the target picked in the browser, every shown line moved.
    SetModalRunner([&](QDialog& dialog) {
        auto& pick = dynamic_cast<TAccountForm&>(dialog);
        pick.ContoEdit->setText("2049");
        pick.SearchAction->trigger();
        pick.SelectAccount->trigger();
        return dialog.result();
    });
    ui.Answer(TAnswer::Yes);
    QPointer<TAccountDetailForm> alive(card);
    card->Transfer->click();
    EXPECT_EQ(ui.LastText(), res::TRANSFER_ITEMS_INF);
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM preceptitem WHERE accountnewid = ?", {other})
                  .toInt(),
              2);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_FALSE(dm->AccountCardOpen);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

TEST_F(AccountForms, NewAccountThroughTheCardEditorWithANewType) {
    auto* form = new TAccountForm(*dm);
    form->ContoEdit->setText("5");
    form->SearchAction->trigger();
    SetModalRunner([&](QDialog& dialog) {
        auto& editor = dynamic_cast<TAccountDetailForm&>(dialog);
        EXPECT_FALSE(editor.PeriodGB->isVisibleTo(&editor));
        EXPECT_FALSE(editor.Transfer->isEnabled());
        editor.CodeEdit->setText("5550");
        emit editor.CodeEdit->textEdited("5550");
        editor.NameEdit->setText("Putni troškovi");
        emit editor.NameEdit->textEdited("Putni troškovi");
        ui.AnswerText("Službena putovanja");
        editor.AddTypeButton->click();
        EXPECT_EQ(editor.TypeCombo->currentText(), "Službena putovanja");
        editor.AccountOK->click();
        return dialog.result();
    });
    form->AccountAdd->trigger();
    const TResultSet r = Db().Select("SELECT name, type FROM accountnew WHERE code = '5550'");
    ASSERT_EQ(r.rows.size(), 1);
    EXPECT_EQ(r.rows[0][0].toString(), "Putni troškovi");
    EXPECT_TRUE(r.rows[0][1].toString().startsWith("subaccount"))
        << r.rows[0][1].toString().toStdString();
    // A user type lets the account take sub-accounts.
    ASSERT_TRUE(dm->AccountNewZQ().Locate("code", QStringLiteral("5550")));
    form->UpdateActions();
    EXPECT_TRUE(form->SubaccountAdd->isEnabled());
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
    QPointer<TAccountForm> alive(form);
    form->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

}  // namespace
}  // namespace fin::test
