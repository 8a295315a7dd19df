#include <QApplication>
#include <QMenu>

#include "accounts/accountform.h"
#include "accounts/newaccountingchartform.h"
#include "host/common/captions.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "host/forms/datasetmodel.h"
#include "journal/bulkcaptions.h"
#include "journal/closingcaptions.h"
#include "journal/financialdetailform.h"
#include "journal/financialviewerform.h"
#include "journal/journalcaptions.h"
#include "journal/mergeform.h"
#include "ledger/ledgercaptions.h"
#include "posting/financialiniform.h"
#include "reports/forms/financialbalanceform.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

class JournalForms : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        dm->Options().FinancialYear = 2024;
        bank = NewAccount("2410", "Tekući račun");
        NewAccount("2040", "Kupci");
    }
    void TearDown() override {
        SetModalRunner(nullptr);
        TReportsTest::TearDown();
    }
    qint64 bank = 0;
};

TEST_F(JournalForms, TheListOffersEveryCommandWithItsShortcut) {
    TFinancialViewerForm viewer(*dm);
    auto check = [&](const char* name, const QString& caption, const QString& keys) -> QAction* {
        QAction* a = viewer.Command(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        if (!a) {
            static QAction none;
            return &none;
        }
        EXPECT_EQ(a->text(), caption) << name;
        EXPECT_EQ(a->shortcut(), QKeySequence(keys)) << name;
        return a;
    };
    check("PreceptAdd", "Dodaj", "Ctrl+Ins");
    check("PreceptEdit", "Uredi", "Ctrl+Return");
    check("PreceptDelete", "Izbriši", "Ctrl+Del");
    check("AccountAdmin", "Konta", "Ctrl+G");
    check("PreceptTypeAdmin", "Tipovi naloga", "Ctrl+T");
    EXPECT_FALSE(check("AutoConting", "Auto", "Ctrl+Alt+A")->isVisible());
    check("AutoContingOne", "Auto", "Ctrl+Shift+A");
    QAction* advance =
        check("AutoContingOneDocumentsAdvanceInvoice", "Avansni račun", "Ctrl+Shift+Y");
    EXPECT_EQ(advance->data().toInt(), 100);
    EXPECT_EQ(advance->toolTip(), "A");
    check("AutoContingDocumentsReceipt", "Kalkulacija", "Ctrl+Alt+K");
    check("AutoContingBankCashBook", "Dnevnik blagajne", "Ctrl+Alt+J");
    EXPECT_EQ(check("AutoRegisterCommissionOut", "Odjava robe", "")->data().toInt(), 22);
    check("PrintMore", "Štampaj više", "Ctrl+P");
    check("MergePerceptsAction", "Spajanje", "Ctrl+S");
    check("FinancialLogAction", "Dnevnik", "Ctrl+D");
    check("FinancialBalanceAction", "Bilansi", "Ctrl+B");
    check("ContingOptions", "Opcije kontiranja", "Ctrl+O");
    // Offered only while the company moves to the new chart (the snap-in decides).
    QAction* newChart = check("FinancialAccountingNew", "Novi kontni plan", "");
    EXPECT_FALSE(newChart->isEnabled());
    EXPECT_FALSE(newChart->isVisible());
    check("AutoClose5", "Zatvaranje klase \"5\"", "");
    // The commands of the list run.
    for (QAction* closing : {viewer.AutoClose5, viewer.AutoClose6, viewer.AutoClose7,
                             viewer.AutoCloseYear, viewer.AutoOpenYear})
        EXPECT_TRUE(closing->isEnabled()) << closing->objectName().toStdString();
    // Hidden, so the toolkit reports it disabled; it still runs when triggered.
    EXPECT_FALSE(viewer.AutoCloseOpenAction->isVisible());
    for (const char* ready : {"AutoRegisterAll", "AutoRegisterCommissionOut", "AutoRoundAll",
                              "MergePerceptsAction", "PrintMore", "FinancialLogAction"})
        EXPECT_TRUE(viewer.Command(QString::fromLatin1(ready))->isEnabled()) << ready;
    EXPECT_TRUE(viewer.AutoContingSetToDateAction->isEnabled());
    QStringList menus;
    for (QAction* a : viewer.AutoContingMenu->actions())
        if (a->menu())
            menus << a->text();
    EXPECT_EQ(menus, QStringList({"Modul Dokumenti", "Modul Banka", "Proknjiži uravnotežene naloge",
                                  "Zaokruži neuravnotežene naloge"}));
    EXPECT_EQ(viewer.DBG->actions().last(), viewer.ColumnsVisibility);

    // The posting end date stays inside the financial year.
    ui.AnswerDate(QDate(2025, 3, 15));
    viewer.AutoContingSetToDateExecute();
    EXPECT_EQ(dm->AutoToDate, QDate(2024, 12, 31));
    ui.AnswerDate(QDate(2024, 1, 1));
    viewer.AutoContingSetToDateExecute();
    EXPECT_EQ(dm->AutoToDate, QDate(2024, 1, 1));
    ui.AnswerDate(QDate(2023, 12, 31));
    viewer.AutoContingSetToDateExecute();
    EXPECT_EQ(dm->AutoToDate, QDate(2024, 12, 31));
}

TEST_F(JournalForms, ContingOptionsOpensTheRuleEditor) {
    TFinancialViewerForm viewer(*dm);
    QAction* command = viewer.Command("ContingOptions");
    ASSERT_NE(command, nullptr);
    EXPECT_TRUE(command->isEnabled());
    QStringList pages;
    QString title;
    SetModalRunner([&](QDialog& dialog) {
        auto* form = qobject_cast<TFinancialIniForm*>(&dialog);
        EXPECT_NE(form, nullptr);
        if (!form)
            return 0;
        title = form->windowTitle();
        for (int i = 0; i < form->PageControl->count(); ++i)
            pages << form->PageControl->tabText(i);
        // Without a posting driver the rules cannot be tried on a document.
        EXPECT_FALSE(form->TryButton->isEnabled());
        form->CancelButton->click();
        return dialog.result();
    });
    command->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(title, "Opcije");
    EXPECT_EQ(pages, QStringList({"Opšte", "Opcije kontiranja"}));
    EXPECT_TRUE(viewer.findChildren<TFinancialIniForm*>().isEmpty());
    EXPECT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();
}

TEST_F(JournalForms, NewChartOfAccountsOpensTheMappingScreen) {
    dm->Options().FinancialYear = 2013;
    const qint64 old = OldAccount("2430", "Glavna blagajna");
    Line(AddPrecept(type, QDate(2013, 5, 1), "S-1", "p"), 0, 10, 0, {}, old);
    TFinancialViewerForm viewer(*dm);
    viewer.FinancialAccountingNew->setEnabled(true);
    int listed = -1;
    SetModalRunner([&](QDialog& dialog) {
        auto& form = dynamic_cast<TNewAccountingChartForm&>(dialog);
        listed = form.OldGrid->model()->rowCount();
        form.CloseButton->click();
        return dialog.result();
    });
    viewer.FinancialAccountingNew->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(listed, 1);
    EXPECT_TRUE(viewer.findChildren<TNewAccountingChartForm*>().isEmpty());
    EXPECT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();
}

TEST_F(JournalForms, BalancesOpenTheBalanceScreenWhichFreesItselfOnClose) {
    TFinancialViewerForm viewer(*dm);
    QAction* command = viewer.Command("FinancialBalanceAction");
    ASSERT_NE(command, nullptr);
    EXPECT_TRUE(command->isEnabled());
    QString title;
    SetModalRunner([&](QDialog& dialog) {
        auto* form = qobject_cast<TFinancialBalanceForm*>(&dialog);
        EXPECT_NE(form, nullptr);
        if (!form)
            return 0;
        title = form->windowTitle();
        form->CloseButton->click();
        return dialog.result();
    });
    command->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(title, "Bilansi");
    EXPECT_TRUE(viewer.findChildren<TFinancialBalanceForm*>().isEmpty());
    EXPECT_TRUE(ui.Shown().empty()) << ui.LastText().toStdString();
}

TEST_F(JournalForms, SearchListDeleteAndTheEditor) {
    const qint64 group = AddPrecept(type, QDate(2024, 2, 1), "G-1", "p");
    const qint64 merged = AddPrecept(type, QDate(2024, 2, 2), "M-1", "n", group);
    Line(merged, bank, 5, 0);
    TFinancialViewerForm viewer(*dm);
    TFinancialNavigatorForm navigator(*dm);
    navigator.FillSearchFields();
    EXPECT_EQ(navigator.SearchVLE->rowCount(), 8);
    navigator.SetSearchValue("number", "M-");
    navigator.FindButton->click();
    ASSERT_EQ(dm->PreceptZQ().RecordCount(), 1);
    EXPECT_EQ(viewer.Model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(),
              QColor(192, 192, 192));
    navigator.SetSearchValue("number", "");
    navigator.FindButton->click();
    ASSERT_EQ(dm->PreceptZQ().RecordCount(), 2);
    EXPECT_EQ(dm->PreceptZQ().FieldByName("number").AsString(), "M-1");  // newest first
    navigator.SetSearchValue("datefrom", "31.2.2024");
    navigator.FindButton->click();
    EXPECT_TRUE(ui.LastText().contains("31.2.2024"));
    navigator.SetSearchValue("datefrom", "");

    // A registered voucher is not deleted; a merged one is protected by its parent.
    navigator.FindButton->click();
    dm->PreceptZQ().Last();
    viewer.PreceptDeleteExecute();
    EXPECT_EQ(ui.LastText(), res::PRE_CANT_DEL_REG_WRN);
    dm->PreceptZQ().First();
    viewer.PreceptDeleteExecute();
    EXPECT_EQ(ui.LastText(), res::PART_EXIST_ERR);
    EXPECT_EQ(Count("precept"), 2);

    // One editor at a time.
    dm->PreceptOpen = true;
    viewer.PreceptEditExecute();
    EXPECT_EQ(ui.LastText(), res::PRECEPT_OPEN_ERR);
    dm->PreceptOpen = false;

    // A new voucher through the editor: header, a line typed into the grid, saved.
    SetModalRunner([&](QDialog& dialog) {
        auto& form = dynamic_cast<TFinancialDetailForm&>(dialog);
        TPreceptEditor& editor = form.Editor();
        EXPECT_EQ(editor.Header().State(), TDataSetState::Insert);
        form.TypeCombo->setCurrentIndex(form.TypeCombo->findData(type));
        emit form.TypeCombo->activated(form.TypeCombo->currentIndex());
        editor.SetPreceptDate(QDate(2024, 6, 3));
        editor.FreshNumber();
        editor.Lines().Append();
        TDataSetModel* model = form.LinesModel();
        model->setData(model->index(0, 2), "2410", Qt::EditRole);
        // Amounts show in the Serbian format; both ways of typing them are taken.
        model->setData(model->index(0, 6), "1234567.5", Qt::EditRole);
        EXPECT_EQ(model->index(0, 6).data(Qt::DisplayRole).toString(), "1.234.567,50");
        model->setData(model->index(0, 6), "1.234,5", Qt::EditRole);
        EXPECT_EQ(model->index(0, 6).data(Qt::DisplayRole).toString(), "1.234,50");
        model->setData(model->index(0, 6), "12,5", Qt::EditRole);
        editor.Lines().Post();
        EXPECT_EQ(model->index(0, 6).data(Qt::DisplayRole).toString(), "12,50");
        form.UpdateState();
        EXPECT_EQ(form.StatusPanels[1]->text(), "12,50");
        EXPECT_FALSE(form.PreceptRegister->isEnabled());  // unsaved and not balanced
        form.CustomOK->trigger();
        return dialog.result();
    });
    viewer.PreceptAddExecute();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dm->PreceptOpen);
    EXPECT_EQ(Count("precept"), 3);
    EXPECT_DOUBLE_EQ(Db().SelectValue("SELECT SUM(debit) FROM preceptitem pi JOIN precept p ON "
                                      "p.preceptid = pi.preceptid WHERE p.preceptdate = ?",
                                      {QDate(2024, 6, 3)})
                         .toDouble(),
                     12.5);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

TEST_F(JournalForms, ClosingCommandsRefuseAFilteredListAndShowTheirVoucher) {
    const qint64 goods = NewAccount("5010", "Roba");
    for (const char* code : {"5990", "7000", "7100", "7300"}) {
        OldAccount(code, code);
        NewAccount(code, code);
    }
    const qint64 v = Voucher(QDate(2024, 3, 1));
    Line(v, goods, 100, 0);
    Line(v, bank, 0, 100);
    TFinancialViewerForm viewer(*dm);
    TQuery& list = dm->PreceptZQ();
    list.Open();
    list.SetOnFilterRecord([](TDataSet&) { return true; });
    list.SetFiltered(true);
    for (QAction* closing : {viewer.AutoClose5, viewer.AutoOpenYear, viewer.AutoCloseOpenAction}) {
        const size_t before = ui.Shown().size();
        closing->trigger();
        ASSERT_EQ(ui.Shown().size(), before + 1) << closing->objectName().toStdString();
        EXPECT_EQ(ui.Shown().back().type, TMessageType::Warning);
        EXPECT_EQ(ui.LastText(), res::AUTO_CONTER_FILTER_WRN);
    }
    EXPECT_EQ(Count("precept"), 1);
    list.SetFiltered(false);

    // The voucher joins the list as its current row.
    viewer.AutoClose5->trigger();
    EXPECT_EQ(Count("precept"), 2);
    EXPECT_EQ(list.RecordCount(), 1);
    EXPECT_EQ(viewer.DBG->currentIndex().row(), 0);
    EXPECT_EQ(viewer.Model()->index(0, 5).data().toString(), "Zatvaranje klase \"5\"");

    // Everything in order: class 5 once more (with a word about the first voucher), nothing
    // in classes 6 and 7, then the year and the next one.
    const size_t before = ui.Shown().size();
    viewer.AutoCloseOpenAction->trigger();
    QStringList shown;
    for (size_t i = before; i < ui.Shown().size(); ++i)
        shown << ui.Shown()[i].text.left(22);
    EXPECT_EQ(shown, QStringList({"Zatvaranje klase \"5\": ", res::CLOSE_OPEN_NO_ACC.left(22),
                                  res::CLOSE_OPEN_NO_ACC.left(22)}));
    QStringList written;
    for (const auto& row :
         Db().Select("SELECT description FROM precept WHERE preceptid > ? ORDER BY preceptid", {v})
             .rows)
        written << row[0].toString();
    EXPECT_EQ(written, QStringList({"Zatvaranje klase \"5\"", "Zatvaranje klase \"5\"",
                                    "Zatvaranje godine", "Otvaranje godine"}));
    EXPECT_EQ(list.RecordCount(), 4);
    EXPECT_EQ(viewer.DBG->currentIndex().row(), 3);
    EXPECT_EQ(list.FieldByName("description").AsString(), "Otvaranje godine");
    EXPECT_TRUE(ui.Unexpected().isEmpty());
}

TEST_F(JournalForms, EditorKeepsWrongTextPicksAccountsAndOpensTheCopy) {
    const qint64 id = AddPrecept(type, QDate(2024, 3, 1), "E-1");
    Line(id, bank, 7, 0);
    TFinancialViewerForm viewer(*dm);
    fin::LoadPrecept(*dm, id);
    int opened = 0;
    dm->OpenPrecept = [&](int preceptId) { opened = preceptId; };
    SetModalRunner([&](QDialog& dialog) {
        if (auto* pick = dynamic_cast<TAccountForm*>(&dialog)) {
            pick->ContoEdit->setText("2040");
            pick->SearchAction->trigger();
            pick->SelectAccount->trigger();
            return dialog.result();
        }
        auto& form = dynamic_cast<TFinancialDetailForm&>(dialog);
        // A date that is not one is refused and stays in the box; nothing is written.
        form.DateEdit->setText("31.2.2024");
        emit form.DateEdit->textEdited("31.2.2024");
        emit form.DateEdit->editingFinished();
        EXPECT_TRUE(ui.LastText().contains("31.2.2024")) << ui.LastText().toStdString();
        EXPECT_EQ(form.DateEdit->text(), "31.2.2024");
        form.CustomOK->trigger();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        form.DateEdit->setText("2.3.2024");
        emit form.DateEdit->textEdited("2.3.2024");
        emit form.DateEdit->editingFinished();

        // The cell's ellipsis (as Ctrl+Space) picks the account in the browser.
        const QModelIndex cell = form.LinesModel()->index(0, 2);
        form.LinesGrid->setCurrentIndex(cell);
        form.LinesGrid->edit(cell);
        auto* box = form.LinesGrid->findChild<QLineEdit*>();
        EXPECT_NE(box, nullptr);
        if (!box)
            return 0;
        auto* ellipsis = box->findChild<QAction*>("PickEllipsis");
        EXPECT_NE(ellipsis, nullptr);
        if (!ellipsis)
            return 0;
        ellipsis->trigger();
        EXPECT_EQ(form.Editor().Lines().FieldByName("ContoNewCode").AsString(), "2040");
        form.CustomApply->trigger();
        EXPECT_FALSE(form.Editor().Modified());
        form.PreceptCopy->trigger();
        return dialog.result();
    });
    viewer.PreceptEditExecute();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(
        Db().SelectValue("SELECT preceptdate FROM precept WHERE preceptid = ?", {id}).toDate(),
        QDate(2024, 3, 2));
    EXPECT_GT(opened, id);
    EXPECT_FALSE(dm->PreceptOpen);
    EXPECT_EQ(
        Db().SelectValue("SELECT COUNT(*) FROM preceptitem WHERE preceptid = ?", {opened}).toInt(),
        1);
}

TEST_F(JournalForms, BulkRegisteringAndRoundingRunFromTheMenusEvenOnAFilteredList) {
    const qint64 balanced = AddPrecept(type, QDate(2024, 3, 1), "B-1");
    Line(balanced, bank, 10, 0);
    Line(balanced, NewAccount("134900"), 0, 9.98);
    TFinancialViewerForm viewer(*dm);
    TQuery& list = dm->PreceptZQ();
    list.Open();
    list.SetOnFilterRecord([](TDataSet&) { return true; });
    list.SetFiltered(true);
    QMenu* rounding = nullptr;
    QMenu* registering = nullptr;
    for (QAction* a : viewer.AutoContingMenu->actions()) {
        if (a->text() == "Zaokruži neuravnotežene naloge")
            rounding = a->menu();
        if (a->text() == "Proknjiži uravnotežene naloge")
            registering = a->menu();
    }
    ASSERT_NE(rounding, nullptr);
    ASSERT_NE(registering, nullptr);
    EXPECT_EQ(rounding->actions(), QList<QAction*>({viewer.AutoRoundAll}));
    QStringList captions;
    for (const QAction* a : registering->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(captions,
              QStringList({"Svi", "-", "Kalkulacija", "Interni prenos", "Račun", "Maloprodaja", "-",
                           "Avansni račun", "-", "Nivelacija", "-", "Otpis", "-", "Trebovanje", "-",
                           "Ulaz robe u komision", "Odjava robe"}));

    // A type of its own registers nothing of the test type.
    viewer.Command("AutoRegisterReceipt")->trigger();
    EXPECT_EQ(ui.LastText(), res::AUTO_REGISTER_INF.arg(0));
    viewer.AutoRoundAll->trigger();
    EXPECT_EQ(ui.LastText(), res::AUTO_ROUND_INF.arg(1));
    viewer.Command("AutoRegisterAll")->trigger();
    EXPECT_EQ(ui.LastText(), res::AUTO_REGISTER_INF.arg(1));
    EXPECT_EQ(ui.Shown().back().type, TMessageType::Information);
    EXPECT_EQ(
        Db().SelectValue("SELECT status FROM precept WHERE preceptid = ?", {balanced}).toString(),
        "p");
    // A refusal shows as an error box.
    TDBIniFile(&Db()).WriteString("AutoRegister", "ExceptTypes", "x");
    viewer.Command("AutoRegisterAll")->trigger();
    EXPECT_EQ(ui.Shown().back().type, TMessageType::Error);
    EXPECT_TRUE(ui.LastText().contains("ExceptTypes"));
}

TEST_F(JournalForms, MergeDialogProposesThePeriodAndTheEditorOpensOnTheGroupVoucher) {
    const qint64 receipts = AddType("01", "Kalkulacija");
    for (int day : {1, 2}) {
        const qint64 id =
            AddPrecept(receipts, QDate(2024, 3, day), QStringLiteral("K-%1").arg(day));
        Line(id, bank, day, 0);
    }

    // Today in another year is moved into the financial year; 29 February becomes the 28th.
    dm->Options().FinancialYear = 2023;
    dm->Today = [] { return QDate(2024, 2, 29); };
    {
        TMergeForm form(*dm);
        EXPECT_EQ(form.windowTitle(), "Spajanje naloga");
        EXPECT_EQ(form.ToDTP->date(), QDate(2023, 2, 28));
        EXPECT_EQ(form.FromDTP->date(), QDate(2023, 2, 27));
        EXPECT_EQ(form.TypeCB->currentIndex(), 0);
        EXPECT_EQ(form.TypeCB->currentText(), "1 - Ulazne fakture");
        EXPECT_EQ(form.TypeCB->itemData(form.TypeCB->count() - 1).toLongLong(), receipts);
        EXPECT_EQ(form.TypeCB->itemText(form.TypeCB->count() - 1), "01 - Kalkulacija");
        EXPECT_EQ(form.NoticeLabel->text(), res::MERGE_NOTICE);
        EXPECT_TRUE(form.NoticeLabel->font().bold());
        EXPECT_EQ(form.OKButton->text(), "&U redu");
        EXPECT_TRUE(form.OKButton->isDefault());
        EXPECT_EQ(form.CancelButton->text(), "&Otkaži");
        EXPECT_FALSE(form.MergeResult());
    }
    dm->Options().FinancialYear = 2024;
    dm->Today = [] { return QDate(2024, 7, 10); };
    {
        TMergeForm form(*dm);
        EXPECT_EQ(form.ToDTP->date(), QDate(2024, 7, 10));
        EXPECT_EQ(form.FromDTP->date(), QDate(2024, 7, 9));
    }

    TFinancialViewerForm viewer(*dm);
    qint64 edited = 0;
    int dialogs = 0;
    SetModalRunner([&](QDialog& dialog) {
        ++dialogs;
        if (auto* merge = qobject_cast<TMergeForm*>(&dialog)) {
            merge->TypeCB->setCurrentIndex(merge->TypeCB->findData(receipts));
            // A period that ends before it starts is refused, and the dialog stays.
            merge->FromDTP->setDate(QDate(2024, 3, 31));
            merge->ToDTP->setDate(QDate(2024, 3, 1));
            merge->OKButton->click();
            EXPECT_EQ(ui.Shown().back().type, TMessageType::Error);
            EXPECT_EQ(merge->result(), 0);
            merge->FromDTP->setDate(QDate(2024, 3, 1));
            merge->ToDTP->setDate(QDate(2024, 3, 31));
            merge->OKButton->click();
            EXPECT_TRUE(merge->MergeResult());
            return dialog.result();
        }
        auto& editor = dynamic_cast<TFinancialDetailForm&>(dialog);
        edited = editor.Editor().Header().FieldByName("preceptid").AsInteger();
        EXPECT_EQ(editor.Editor().Lines().RecordCount(), 2);
        editor.reject();
        return dialog.result();
    });
    viewer.MergePerceptsAction->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dialogs, 2);
    const qint64 group =
        Db().SelectValue("SELECT preceptid FROM precept WHERE precepttypeid = 30").toLongLong();
    EXPECT_GT(group, 0);
    EXPECT_EQ(edited, group);
    EXPECT_FALSE(dm->PreceptOpen);

    // Nothing left to merge: the message, and no editor.
    dialogs = 0;
    SetModalRunner([&](QDialog& dialog) {
        ++dialogs;
        auto& merge = dynamic_cast<TMergeForm&>(dialog);
        merge.TypeCB->setCurrentIndex(merge.TypeCB->findData(receipts));
        merge.FromDTP->setDate(QDate(2024, 3, 1));
        merge.ToDTP->setDate(QDate(2024, 3, 31));
        merge.OKButton->click();
        return dialog.result();
    });
    viewer.MergePerceptsAction->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(ui.LastText(), res::MERGE_NO_PERC);
    // Cancelled: nothing at all.
    SetModalRunner([&](QDialog& dialog) {
        dynamic_cast<TMergeForm&>(dialog).CancelButton->click();
        return dialog.result();
    });
    const size_t shown = ui.Shown().size();
    viewer.MergePerceptsAction->trigger();
    EXPECT_EQ(ui.Shown().size(), shown);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

}  // namespace
}  // namespace fin::test
