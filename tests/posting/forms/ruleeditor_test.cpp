#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QWheelEvent>

#include "console/standins/documents.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "host/forms/datanavigator.h"
#include "host/forms/datasetmodel.h"
#include "ledger/financialoptionstabframe.h"
#include "ledger/ledgercaptions.h"
#include "posting/autoconter.h"
#include "posting/financialiniform.h"
#include "posting/lcleditorform.h"
#include "posting/postingcaptions.h"
#include "posting/postingpreviewform.h"
#include "tests/posting/postingtest.h"

namespace fin::test {
namespace {

// The security module as the documents stand-in needs it: the test's connection.
class TConnectionOnly : public ISecurity {
public:
    explicit TConnectionOnly(TConnection* c) : connection(c) {}
    TConnection* GetConnection() override { return connection; }
    void Login() override {}
    bool GetCurrentUser(TUserDescription&) override { return false; }
    bool GetUser(qint64, TUserDescription&) override { return false; }
    TConnection* connection;
};

void Wheel(QWidget* viewport, int delta) {
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

void DeleteClosed() {
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class RuleEditor : public TPostingTest {
protected:
    void SetUp() override {
        TPostingTest::SetUp();
        if (HasFatalFailure())
            return;
        documents = std::make_shared<TDocumentsModule>(std::make_shared<TConnectionOnly>(&Db()));
        dm->ModuleLookup = [this](const QUuid& identity) -> IInterfacePtr {
            return identity == iid::Documents ? documents : nullptr;
        };
    }
    void TearDown() override {
        SetModalRunner(nullptr);
        delete form.data();
        DeleteClosed();
        if (dm)
            dm->ModuleLookup = nullptr;
        TPostingTest::TearDown();
    }

    TFinancialIniForm& Open() {
        delete form.data();
        DeleteClosed();
        form = new TFinancialIniForm(*dm, &package->AutoConter());
        return *form;
    }
    // The module and kind chosen in the combos, without "Otvori".
    void Choose(const QString& module, const QString& type) {
        form->ModuleCB->setCurrentIndex(form->ModuleCB->findText(module));
        form->EntityTypeCB->setCurrentIndex(form->EntityTypeCB->findData(type));
    }
    void OpenRules(const QString& module, const QString& type) {
        Choose(module, type);
        form->OpenButton->click();
    }
    QModelIndex Cell(int row, const char* field) const {
        return form->Model()->index(row, form->Model()->ColumnOf(QString::fromLatin1(field)));
    }
    QString Stored(qint64 rule, const char* field) {
        return Db()
            .SelectValue(QStringLiteral("SELECT %1 FROM financialini WHERE financialini = ?")
                             .arg(QString::fromLatin1(field)),
                         {rule})
            .toString();
    }
    // Opens the grid's editor on a cell and returns its text box.
    QLineEdit* EditCell(const QModelIndex& cell) {
        DeleteClosed();  // an editor closed before is gone, not found again
        form->DBGrid->setCurrentIndex(cell);
        form->DBGrid->edit(cell);
        return form->DBGrid->findChild<QLineEdit*>();
    }

    TQuery& rules() { return dm->FinancialiniZQ(); }

    QPointer<TFinancialIniForm> form;
    std::shared_ptr<TDocumentsModule> documents;
};

TEST_F(RuleEditor, APairWithoutRulesIsOfferedReadOnlyAndCanBeStarted) {
    Open();
    EXPECT_EQ(form->windowTitle(), "Opcije");
    ASSERT_EQ(form->ModuleCB->count(), 4);
    EXPECT_EQ(form->ModuleCB->itemText(0), "Dokument");
    EXPECT_EQ(form->ModuleCB->itemText(3), "Proizvodnja");
    // Every kind of document, with its caption, though none has rules yet.
    ASSERT_EQ(form->EntityTypeCB->count(), 17);
    EXPECT_EQ(form->EntityTypeCB->itemText(0), "A - Avansni račun");
    EXPECT_EQ(form->EntityTypeCB->itemText(form->EntityTypeCB->findData("K")), "K - Kalkulacija");
    EXPECT_EQ(form->EntityTypeCB->itemText(16), "Z - Zaduženje");
    // Enter means "Otvori" on the rules page and "U redu" on the options page.
    form->PageControl->setCurrentWidget(form->RulesPage);
    EXPECT_TRUE(form->OpenButton->isDefault());
    EXPECT_FALSE(form->OKButton->isDefault());
    form->PageControl->setCurrentWidget(form->GeneralPage);
    EXPECT_TRUE(form->OKButton->isDefault());

    OpenRules("Dokument", "K");
    ASSERT_TRUE(rules().Active());
    EXPECT_TRUE(rules().IsEmpty());
    EXPECT_EQ(form->DBGrid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(form->DBNavigator->isEnabled());
    EXPECT_TRUE(form->StartButton->isEnabled());
    form->DBGridEditButtonClick();  // read-only: no dialog (a runner is not even set)

    // The first rule: the pair and "0" amounts come with it; a bad sub-account is refused
    // with the field's label, the row stays for correcting.
    form->StartButton->click();
    ASSERT_EQ(rules().State(), TDataSetState::Insert);
    EXPECT_TRUE(form->DBNavigator->isEnabled());
    EXPECT_NE(form->DBGrid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(form->StartButton->isEnabled());
    EXPECT_EQ(rules().FieldByName("module").AsString(), "Dokument");
    EXPECT_EQ(rules().FieldByName("entitytype").AsString(), "K");
    EXPECT_EQ(rules().FieldByName("debitexp").AsString(), "0");
    EXPECT_EQ(rules().FieldByName("creditexp").AsString(), "0");
    const int row = rules().RecNo() - 1;
    EXPECT_TRUE(form->Model()->flags(Cell(row, "conto")) & Qt::ItemIsEditable);
    form->Model()->setData(Cell(row, "conto"), "1320");
    form->Model()->setData(Cell(row, "subaccount"), "[Partner{X}");
    form->DBNavigator->Click(TDBNavigator::Post);
    EXPECT_EQ(ui.LastText(), res::INV_EXP_FMT.arg("[Partner{X}", "Analitika"));
    EXPECT_EQ(rules().State(), TDataSetState::Insert);
    EXPECT_EQ(Count("financialini"), 0);
    form->Model()->setData(Cell(row, "subaccount"), "[Partner{X}]");
    form->DBNavigator->Click(TDBNavigator::Post);
    ASSERT_EQ(rules().State(), TDataSetState::Browse) << ui.LastText().toStdString();
    const qint64 first = rules().FieldByName("financialini").AsInteger();
    EXPECT_EQ(Stored(first, "module"), "Dokument");
    EXPECT_EQ(Stored(first, "entitytype"), "K");
    EXPECT_EQ(Stored(first, "conto"), "1320");
    EXPECT_EQ(Stored(first, "subaccount"), "[Partner{X}]");
    EXPECT_EQ(Stored(first, "debitexp"), "0");

    // A second rule; a click on a column title orders the grid by it.
    form->DBNavigator->Click(TDBNavigator::Insert);
    form->Model()->setData(Cell(rules().RecNo() - 1, "conto"), "5010");
    form->DBNavigator->Click(TDBNavigator::Post);
    ASSERT_EQ(Count("financialini"), 2);
    form->DBGrid->sortByColumn(form->Model()->ColumnOf("conto"), Qt::DescendingOrder);
    EXPECT_EQ(Cell(0, "conto").data().toString(), "5010");
    form->DBGrid->sortByColumn(form->Model()->ColumnOf("conto"), Qt::AscendingOrder);
    EXPECT_EQ(Cell(0, "conto").data().toString(), "1320");

    // Deleting asks nothing.
    rules().Last();
    const size_t shown = ui.Shown().size();
    form->DBNavigator->Click(TDBNavigator::Delete);
    EXPECT_EQ(ui.Shown().size(), shown);
    EXPECT_EQ(Count("financialini"), 1);

    // Opened again the pair has rules: editable at once, nothing to start.
    form->OpenButton->click();
    EXPECT_EQ(rules().RecordCount(), 1);
    EXPECT_TRUE(form->DBNavigator->isEnabled());
    EXPECT_FALSE(form->StartButton->isEnabled());
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

TEST_F(RuleEditor, TheGridShowsRulesAndTakesExpressionsThroughTheEllipsis) {
    const QString longDebit = "[UkProd]" + QString("+1").repeated(150);
    const qint64 first = Rule("R", "2040", "", longDebit, "0", "[DokumentOpis]");
    const qint64 second = Rule("R", "6040", "", "0", "[UkProd]", "Prihod");
    Rule("X", "4700", "", "0", "0");
    Rule("R", "2040", "", "0", "0", {}, "Stari modul");
    Open();
    // Modules and kinds that only the rules know are offered after the known ones.
    ASSERT_EQ(form->ModuleCB->count(), 5);
    EXPECT_EQ(form->ModuleCB->itemText(4), "Stari modul");
    ASSERT_EQ(form->EntityTypeCB->count(), 18);
    EXPECT_EQ(form->EntityTypeCB->itemText(17), "X");

    OpenRules("Dokument", "R");
    ASSERT_EQ(rules().RecordCount(), 2);
    EXPECT_TRUE(form->DBNavigator->isEnabled());
    QStringList titles;
    for (int c = 0; c < form->Model()->columnCount(); ++c)
        titles << form->Model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, QStringList({"Konto", "Novi konto", "Analitika", "Duguje formula",
                                   "Potražuje formula", "Format opisa"}));
    EXPECT_EQ(Cell(0, "debitexp").data().toString(), longDebit.left(255));

    // The amounts are not typed: their box is read-only, the ellipsis edits the whole text.
    QLineEdit* box = EditCell(Cell(0, "debitexp"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReadOnly());
    auto* ellipsis = box->findChild<QAction*>("EllipsisAction");
    ASSERT_NE(ellipsis, nullptr);
    QString offered;
    SetModalRunner([&](QDialog& dialog) {
        auto& lcl = dynamic_cast<TLCLEditorForm&>(dialog);
        offered = lcl.Expression();
        lcl.SetExpression("[UkProd]*0.8");
        lcl.OKButton->click();
        return lcl.result();
    });
    ellipsis->trigger();
    EXPECT_EQ(offered, longDebit);
    EXPECT_EQ(rules().State(), TDataSetState::Edit);
    EXPECT_EQ(rules().FieldByName("financialini").AsInteger(), first);
    EXPECT_EQ(rules().FieldByName("debitexp").AsString(), "[UkProd]*0.8");
    form->DBNavigator->Click(TDBNavigator::Post);
    EXPECT_EQ(Stored(first, "debitexp"), "[UkProd]*0.8");

    // The sub-account is typed and has the ellipsis too: what was typed goes to the dialog,
    // and a cancelled dialog leaves it in the field.
    box = EditCell(Cell(1, "subaccount"));
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isReadOnly());
    box->setText("[Partner{X}]");
    box->setModified(true);
    SetModalRunner([&](QDialog& dialog) {
        auto& lcl = dynamic_cast<TLCLEditorForm&>(dialog);
        offered = lcl.Expression();
        lcl.CancelButton->click();
        return lcl.result();
    });
    box->findChild<QAction*>("EllipsisAction")->trigger();
    EXPECT_EQ(offered, "[Partner{X}]");
    EXPECT_EQ(rules().FieldByName("financialini").AsInteger(), second);
    EXPECT_EQ(rules().FieldByName("subaccount").AsString(), "[Partner{X}]");
    form->DBNavigator->Click(TDBNavigator::Post);
    EXPECT_EQ(Stored(second, "subaccount"), "[Partner{X}]");

    // The wheel steps through the rules: towards the user (or no turn) down, away up.
    rules().First();
    Wheel(form->DBGrid->viewport(), -120);
    EXPECT_EQ(rules().RecNo(), 2);
    Wheel(form->DBGrid->viewport(), 120);
    EXPECT_EQ(rules().RecNo(), 1);
    Wheel(form->DBGrid->viewport(), 0);
    EXPECT_EQ(rules().RecNo(), 2);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

TEST_F(RuleEditor, TheVoucherTypeIsWrittenAtOnceEvenWhenTheDialogIsCancelled) {
    const qint64 mine = AddType("31", "Kontiranje robe");
    TDBIniFile ini(&Db());
    Open();
    const int at = form->GetPTIndex(mine);
    ASSERT_GE(at, 0);
    EXPECT_EQ(form->PreceptTypeCB->itemText(at), "31 - Kontiranje robe");
    EXPECT_EQ(form->PreceptTypeCB->itemData(at).toLongLong(), mine);
    EXPECT_EQ(form->PreceptTypeCB->count(), dm->PrecepttypeZQ().RecordCount());

    // Choosing the pair shows its type (1 when none is stored) and writes nothing.
    Choose("Dokument", "R");
    EXPECT_EQ(form->PreceptTypeCB->currentIndex(), form->GetPTIndex(1));
    EXPECT_FALSE(ini.ValueExists("Dokument", "R"));
    form->PreceptTypeCB->setCurrentIndex(at);
    EXPECT_EQ(ini.ReadInteger("Dokument", "R", 0), mine);
    form->CancelButton->click();
    DeleteClosed();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(ini.ReadInteger("Dokument", "R", 0), mine);

    Open();
    EXPECT_EQ(form->GetPreceptType("Dokument", "R"), mine);
    Choose("Dokument", "R");
    EXPECT_EQ(form->PreceptTypeCB->currentIndex(), form->GetPTIndex(mine));
    Choose("Dokument", "K");
    EXPECT_EQ(form->PreceptTypeCB->currentIndex(), form->GetPTIndex(1));
    // A stored type that is gone selects nothing.
    form->SetPreceptType("Dokument", "F", 9999);
    Choose("Dokument", "F");
    EXPECT_EQ(form->PreceptTypeCB->currentIndex(), -1);
    EXPECT_EQ(form->GetPTIndex(9999), -1);
    EXPECT_FALSE(ini.ValueExists("Dokument", "K"));
    // Closed, the dialog holds no types any more.
    form->OKButton->click();
    EXPECT_EQ(form->PreceptTypeCB->count(), 0);
    EXPECT_FALSE(rules().Active());
}

TEST_F(RuleEditor, TheExpressionDialogRefusesBadExpressionsAndInsertsVariables) {
    TLCLEditorForm lcl(*dm, "Dokument");
    EXPECT_EQ(lcl.windowTitle(), "LCL Editor");
    ASSERT_GT(lcl.VarNames().size(), 10);
    EXPECT_EQ(lcl.VarsCB->count(), lcl.VarNames().size() + 1);
    EXPECT_EQ(lcl.VarsCB->itemText(0), res::VARS_CAPT);
    EXPECT_EQ(lcl.VarsCB->currentIndex(), 0);
    const int tax = static_cast<int>(lcl.VarNames().indexOf("[UkPDV]"));
    const int discount = static_cast<int>(lcl.VarNames().indexOf("[UkRab]"));
    ASSERT_GE(tax, 0);
    ASSERT_GE(discount, 0);
    EXPECT_EQ(lcl.VarsCB->itemText(tax + 1), "ukupno: porez");
    EXPECT_EQ(lcl.VarsCB->itemData(tax + 1, Qt::ToolTipRole).toString(), "[UkPDV]");

    // "Postavi" inserts at the cursor, over a selection; the heading inserts nothing.
    lcl.SetExpression("[UkProd]+");
    lcl.VarsCB->setCurrentIndex(tax + 1);
    lcl.SetButton->click();
    EXPECT_EQ(lcl.Expression(), "[UkProd]+[UkPDV]");
    lcl.SetExpression("1+2*3");
    QTextCursor cursor = lcl.ExpressionM->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    lcl.ExpressionM->setTextCursor(cursor);
    lcl.VarsCB->setCurrentIndex(discount + 1);
    lcl.SetButton->click();
    EXPECT_EQ(lcl.Expression(), "1+[UkRab]*3");
    cursor.setPosition(0);
    lcl.ExpressionM->setTextCursor(cursor);
    lcl.VarsCB->setCurrentIndex(tax + 1);
    lcl.SetButton->click();
    EXPECT_EQ(lcl.Expression(), "[UkPDV]1+[UkRab]*3");
    lcl.VarsCB->setCurrentIndex(0);
    lcl.SetButton->click();
    EXPECT_EQ(lcl.Expression(), "[UkPDV]1+[UkRab]*3");

    // Unbalanced parentheses and a name in the wrong letter case are refused; the dialog
    // stays.
    lcl.show();
    for (const char* bad : {"([UkProd]+1", "[ukprod]*2"}) {
        lcl.SetExpression(bad);
        lcl.OKButton->click();
        EXPECT_EQ(ui.LastText(), res::INV_EXP_ERR) << bad;
        EXPECT_TRUE(lcl.isVisible()) << bad;
    }
    EXPECT_EQ(ui.Shown().size(), 2u);
    // Enter confirms and never breaks the line.
    lcl.SetExpression("[UkProd]*0.2");
    QTest::keyClick(lcl.ExpressionM, Qt::Key_Return);
    EXPECT_EQ(lcl.Expression(), "[UkProd]*0.2");
    EXPECT_EQ(lcl.result(), QDialog::Accepted);
    EXPECT_EQ(ui.Shown().size(), 2u);

    // EditLCL works for the module of the open rule set.
    rules().ParamByName("ModuleName").SetValue("Dokument");
    QString text = "[UkProd]";
    SetModalRunner([](QDialog& dialog) {
        dialog.reject();
        return dialog.result();
    });
    EXPECT_FALSE(EditLCL(*dm, text));
    EXPECT_EQ(text, "[UkProd]");
    SetModalRunner([](QDialog& dialog) {
        auto& form = dynamic_cast<TLCLEditorForm&>(dialog);
        EXPECT_EQ(form.Expression(), "[UkProd]");
        form.SetExpression("[UkProd]-[UkRab]");
        form.OKButton->click();
        return form.result();
    });
    EXPECT_TRUE(EditLCL(*dm, text));
    EXPECT_EQ(text, "[UkProd]-[UkRab]");

    // A module without a conter lists nothing and accepts no expression.
    TLCLEditorForm other(*dm, "Stari modul");
    EXPECT_EQ(other.VarsCB->count(), 1);
    other.show();
    other.SetExpression("1");
    other.OKButton->click();
    EXPECT_TRUE(other.isVisible());
}

TEST_F(RuleEditor, TheOptionsPageIsStoredOnlyByOkAndOnlyWhenItAccepts) {
    TDBIniFile ini(&Db());
    Open();
    TFinancialOptionsTabFrame* page = form->OptionsFrame;
    EXPECT_EQ(form->PageControl->tabText(0), "Opšte");
    EXPECT_EQ(page->PreceptNumFmtE->text(), "{g}{g}{g}{g}{g}/yy");
    EXPECT_EQ(page->MethodVLE->horizontalHeaderItem(0)->text(), "Tip proizvoda");
    EXPECT_EQ(page->MethodVLE->horizontalHeaderItem(1)->text(), "Metod obračuna cena");

    // Cancel stores nothing, and drops a rule typed but not posted.
    page->PreceptNumFmtE->setText("{g}{g}/yy");
    OpenRules("Dokument", "R");
    form->StartButton->click();
    form->Model()->setData(Cell(rules().RecNo() - 1, "conto"), "2040");
    form->CancelButton->click();
    DeleteClosed();
    EXPECT_TRUE(form.isNull());
    EXPECT_FALSE(ini.ValueExists(kFinancialSection, "PreceptNumFmt"));
    EXPECT_EQ(dm->Options().PreceptNumFmt, "{g}{g}{g}{g}{g}/yy");
    EXPECT_EQ(Count("financialini"), 0);

    // A page that refuses its values keeps the dialog, on that page.
    Open();
    page = form->OptionsFrame;
    page->PreceptNumFmtE->setText("{g}{g}/yy");
    auto* pick = static_cast<QComboBox*>(page->MethodVLE->cellWidget(0, 1));
    pick->setEditable(true);
    pick->setEditText(QString());
    OpenRules("Dokument", "R");
    form->StartButton->click();
    form->Model()->setData(Cell(rules().RecNo() - 1, "conto"), "2040");
    form->OKButton->click();
    DeleteClosed();
    ASSERT_FALSE(form.isNull());
    EXPECT_EQ(form->PageControl->currentWidget(), form->GeneralPage);
    EXPECT_FALSE(ini.ValueExists(kFinancialSection, "PreceptNumFmt"));
    // The rule was posted all the same: rules are written as they are posted.
    EXPECT_EQ(Count("financialini"), 1);

    pick->setCurrentIndex(0);
    form->OKButton->click();
    DeleteClosed();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(ini.ReadString(kFinancialSection, "PreceptNumFmt", {}), "{g}{g}/yy");
    EXPECT_EQ(dm->Options().PreceptNumFmt, "{g}{g}/yy");
}

TEST_F(RuleEditor, TheRulesAreTriedOnADocumentWritingNothing) {
    const qint64 goods = Product("Roba A");
    Rule("R", "2040", "[Partner{X}]", "[UkProd]+[UkPDV]", "0", "[DokumentOpis]");
    Rule("R", "6040", "", "0", "[UkProd]", "Prihod");
    Rule("R", "4700", "", "0", "[UkPDV]", "PDV");
    Rule("R", "9999", "", "[UkProd]", "0", "Nema konta");
    Rule("I", "2410", "", "[UkDuguje]", "0", "Izvod", "Banka");
    const qint64 invoice = Document("R", QDate(2024, 3, 5), "12", partner, wholesale);
    Item(invoice, goods, 2, 100, 80, 200);
    Card(invoice, goods, 0, 2, 80, 0, 160);
    Open();
    OpenRules("Dokument", "R");
    const qint64 precepts = Count("precept"), items = Count("preceptitem"), ini = Count("ini");

    // The user picks the document in its module; the preview shows what would be made.
    int shown = 0;
    struct TSeen {
        QString about, balance, firstVariable, total;
        int lines = 0, notes = 0;
        QString firstNote, firstCode, firstSub;
    } seen;
    SetModalRunner([&](QDialog& dialog) {
        auto& p = dynamic_cast<TPostingPreviewForm&>(dialog);
        ++shown;
        seen.about = p.DocumentLabel->text();
        seen.balance = p.BalanceLabel->text();
        seen.lines = p.LinesGrid->rowCount();
        seen.firstCode = p.LinesGrid->item(0, 1)->text();
        seen.firstSub = p.LinesGrid->item(0, 2)->text();
        seen.total = p.LinesGrid->item(p.LinesGrid->rowCount() - 1, 3)->text() + " " +
                     p.LinesGrid->item(p.LinesGrid->rowCount() - 1, 4)->text() + " " +
                     p.LinesGrid->item(p.LinesGrid->rowCount() - 1, 5)->text();
        seen.notes = p.NotesList->count();
        seen.firstNote = p.NotesList->item(0)->text();
        seen.firstVariable =
            p.VariablesGrid->item(0, 0)->text() + "=" + p.VariablesGrid->item(0, 1)->text();
        return 0;
    });
    ui.AnswerPick(0);
    form->TryButton->click();
    ASSERT_EQ(shown, 1) << ui.LastText().toStdString();
    EXPECT_TRUE(seen.about.contains("Račun-12")) << seen.about.toStdString();
    EXPECT_TRUE(seen.about.contains("R - Račun")) << seen.about.toStdString();
    EXPECT_EQ(seen.lines, 4);  // three lines and the totals
    EXPECT_EQ(seen.firstCode, "2040");
    EXPECT_EQ(seen.firstSub, QString::number(partner));
    EXPECT_EQ(seen.total, "Ukupno 240,00 240,00");
    EXPECT_EQ(seen.balance, "Nalog je uravnotežen.");
    EXPECT_EQ(seen.notes, 1);
    EXPECT_TRUE(seen.firstNote.contains("9999")) << seen.firstNote.toStdString();
    EXPECT_EQ(seen.firstVariable, "[UkProd]=200");
    EXPECT_EQ(Count("precept"), precepts);
    EXPECT_EQ(Count("preceptitem"), items);
    EXPECT_EQ(Count("ini"), ini);

    // A rule posted in the grid a moment ago counts; this one unbalances the voucher.
    form->DBNavigator->Click(TDBNavigator::Insert);
    // From 2014 on the rules post to the new chart.
    form->Model()->setData(Cell(rules().RecNo() - 1, "conto"), "1320");
    form->Model()->setData(Cell(rules().RecNo() - 1, "contonew"), "1320");
    form->Model()->setData(Cell(rules().RecNo() - 1, "debitexp"), "[UkProd]");
    ui.AnswerPick(0);
    form->TryButton->click();
    EXPECT_EQ(rules().State(), TDataSetState::Browse);
    EXPECT_EQ(seen.lines, 5);
    EXPECT_EQ(seen.balance, "Nalog nije uravnotežen: duguje - potražuje = 200,00.");

    // A document of another kind is previewed with its own kind's rules, and said so.
    const qint64 receipt = Document("K", QDate(2024, 3, 6), "7", partner, wholesale);
    Item(receipt, goods, 1, 80, 80, 80);
    Card(receipt, goods, 1, 0, 80, 80, 0);
    ui.AnswerPick(0);  // the newest document first
    form->TryButton->click();
    EXPECT_TRUE(seen.about.contains("nije vrste R - Račun")) << seen.about.toStdString();
    EXPECT_EQ(seen.lines, 1);

    // One already posted, one that does not wait and a declined pick show no preview.
    shown = 0;
    PostAll();
    ui.AnswerPick(1);
    form->TryButton->click();
    EXPECT_TRUE(ui.LastText().contains("već kontiran")) << ui.LastText().toStdString();
    Document("R", QDate(2024, 3, 7), "13", partner, wholesale, "n");
    ui.AnswerPick(0);
    form->TryButton->click();
    EXPECT_TRUE(ui.LastText().contains("ne čeka kontiranje")) << ui.LastText().toStdString();
    const size_t messages = ui.Shown().size();
    ui.CancelNext();
    form->TryButton->click();
    EXPECT_EQ(ui.Shown().size(), messages);
    EXPECT_EQ(shown, 0);

    // A module that cannot post says so before any pick.
    Rule("R", "2040", "", "0", "0", {}, "Stari modul");
    Open();
    Choose("Stari modul", "R");
    form->TryButton->click();
    EXPECT_TRUE(ui.LastText().contains("nema automatsko kontiranje"))
        << ui.LastText().toStdString();
    EXPECT_TRUE(ui.AllAnswered());
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

}  // namespace
}  // namespace fin::test
