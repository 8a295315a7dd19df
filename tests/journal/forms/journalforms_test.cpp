#include <QApplication>
#include <QMenu>

#include "accounts/accountform.h"
#include "accounts/newaccountingchartform.h"
#include "host/common/captions.h"
#include "host/data/query.h"
#include "host/forms/datasetmodel.h"
#include "journal/financialdetailform.h"
#include "journal/financialviewerform.h"
#include "journal/journalcaptions.h"
#include "ledger/ledgercaptions.h"
#include "posting/financialiniform.h"
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
    // Commands whose work comes later are there, but cannot run yet.
    for (const char* later :
         {"AutoClose5", "AutoRegisterAll", "PrintMore", "FinancialBalanceAction"})
        EXPECT_FALSE(viewer.Command(QString::fromLatin1(later))->isEnabled()) << later;
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

}  // namespace
}  // namespace fin::test
