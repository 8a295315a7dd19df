#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "console/standins/documents.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "host/forms/datasetmodel.h"
#include "host/ui/qtuiservice.h"
#include "journal/financialviewerform.h"
#include "journal/journalcaptions.h"
#include "posting/autoconter.h"
#include "posting/customconter.h"
#include "tests/posting/postingtest.h"

namespace fin::test {
namespace {

// A source module without documents of its own: it records how each run opened it and
// "posts" as many documents as it is told wait, so the commands' arguments can be seen.
class TRecordingAutomat : public TCustomContoAutomat {
public:
    TRecordingAutomat(TFinancialDM& dm, int kind, const QString& table, const QString& module)
        : TCustomContoAutomat(dm, kind, table, module) {}

    struct TOpened {
        bool single;
        QString entityType;
        qint64 entityID;
        bool operator==(const TOpened&) const = default;
        friend void PrintTo(const TOpened& o, std::ostream* os) {
            *os << "(" << (o.single ? "single" : "all") << ", \"" << o.entityType.toStdString()
                << "\", " << o.entityID << ")";
        }
    };
    std::vector<TOpened> opened;
    int waiting = 0;  // documents of the module that wait for posting
    int posted = 0;
    QDate date{2024, 3, 1};
    bool pickable = false;  // its picker returns document 5

    bool IsEnd() const override { return pending_ == 0; }
    QDate GetDate() const override { return date; }
    void OpenItems(const QDate&, bool single, const QString& entityType, qint64 entityID) override {
        opened.push_back({single, entityType, entityID});
        pending_ = single ? std::min(waiting, 1) : waiting;
    }
    void CloseItems() override { pending_ = 0; }
    void CreatePrecept() override {
        --pending_;
        --waiting;
        ++posted;
    }
    bool GetEntityID(qint64& id, QString& description) override {
        if (!pickable)
            return false;
        id = 5;
        description = QStringLiteral("Izvod 5");
        return true;
    }
    QString CurrentCaption() const override { return QStringLiteral("izvod"); }

protected:
    qint64 CurrentID() const override { return 0; }
    bool LockCurrent(qint64) override { return false; }
    void OpenDetail(qint64) override {}
    std::shared_ptr<TCustomConter> MakeConter() override { return nullptr; }

private:
    int pending_ = 0;
};

class TTestSecurity : public ISecurity {
public:
    explicit TTestSecurity(TConnection* c) : connection(c) {}
    TConnection* GetConnection() override { return connection; }
    void Login() override {}
    bool GetCurrentUser(TUserDescription&) override { return false; }
    bool GetUser(qint64, TUserDescription&) override { return false; }
    TConnection* connection;
};

class AutoPosting : public TPostingTest {
protected:
    void SetUp() override {
        TPostingTest::SetUp();
        if (HasFatalFailure())
            return;
        // The bank's automat gives way to one that records what the driver asks of it.
        bank = std::make_shared<TRecordingAutomat>(*dm, 50, "bankstatement", "Banka");
        TCustomContoAutomat* real = package->Automat(50);
        package->AutoConter().UnregisterAutomat(real);
        for (auto& a : dm->Automats)
            if (a.get() == static_cast<IAutomatLookup*>(real))
                a = bank;
        package->AutoConter().RegisterAutomat(bank.get());
        documents = std::make_shared<TDocumentsModule>(std::make_shared<TTestSecurity>(&Db()));
        dm->ModuleLookup = [this](const QUuid& identity) -> IInterfacePtr {
            return identity == iid::Documents ? documents : nullptr;
        };
        viewer = std::make_unique<TFinancialViewerForm>(*dm);
        viewer->SetAutoConter(&package->AutoConter());
        goods = Product("Roba A");
        Rule("R", "2040", "[Partner{X}]", "[UkProd]+[UkPDV]", "0", "[DokumentOpis]");
        Rule("R", "6040", "", "0", "[UkProd]", "Prihod");
        Rule("R", "4700", "", "0", "[UkPDV]", "PDV");
    }
    void TearDown() override {
        viewer.reset();
        if (package) {
            package->AutoConter().UnregisterAutomat(bank.get());
            std::erase(dm->Automats, std::shared_ptr<IAutomatLookup>(bank));
        }
        TPostingTest::TearDown();
    }

    qint64 Invoice(const QDate& date, const QString& number, const QString& type = "R") {
        const qint64 doc = Document(type, date, number, partner, wholesale);
        Item(doc, goods, 1, 100, 80, 100);
        return doc;
    }
    void Run(const char* command) {
        QAction* a = viewer->Command(QString::fromLatin1(command));
        ASSERT_NE(a, nullptr) << command;
        a->trigger();
    }
    bool Posted(qint64 document) { return PreceptOf(document) > 0; }
    TRecordingAutomat::TOpened LastOpen() const {
        return bank->opened.empty() ? TRecordingAutomat::TOpened{} : bank->opened.back();
    }

    std::shared_ptr<TRecordingAutomat> bank;
    std::shared_ptr<TDocumentsModule> documents;
    std::unique_ptr<TFinancialViewerForm> viewer;
    qint64 goods = 0;
};

using Opened = TRecordingAutomat::TOpened;

TEST_F(AutoPosting, EveryPostingCommandIsEnabledInItsPlace) {
    auto texts = [](const QMenu* menu) {
        QStringList t;
        for (const QAction* a : menu->actions())
            t << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return t;
    };
    QMenu* menu = viewer->AutoContingMenu;
    QStringList top = texts(menu);
    EXPECT_EQ(top.mid(0, 7),
              QStringList({"Postavi Do datuma kontiranja", "Modul Dokumenti", "Modul Proizvodnja",
                           "Modul Banka", "Modul Osnovna sredstva", "Kontiraj izabranu temeljnicu",
                           "-"}));
    const QMenu* docs = menu->actions()[1]->menu();
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(texts(docs), QStringList({"Svi",
                                        "-",
                                        "Kalkulacija",
                                        "Interni prenos",
                                        "Račun",
                                        "Maloprodaja",
                                        "Revers",
                                        "-",
                                        "Ulazni račun",
                                        "Zaduženje",
                                        "Avansni račun",
                                        "Ulazni avansni račun",
                                        "-",
                                        "Nivelacija",
                                        "-",
                                        "Višak",
                                        "Manjak",
                                        "Otpis",
                                        "-",
                                        "Ulaz gotovih proizvoda",
                                        "Trebovanje",
                                        "-",
                                        "Ulaz robe u komision",
                                        "Odjava robe"}));
    const QMenu* banks = menu->actions()[3]->menu();
    ASSERT_NE(banks, nullptr);
    EXPECT_EQ(texts(banks), QStringList({"Svi", "-", "Izvod iz banke", "Dnevnik blagajne"}));
    for (const QMenu* m : {docs, banks})
        for (const QAction* a : m->actions())
            EXPECT_TRUE(a->isSeparator() || a->isEnabled()) << a->objectName().toStdString();
    for (int i : {0, 2, 4, 5})
        EXPECT_TRUE(menu->actions()[i]->isEnabled()) << i;

    struct TExpected {
        const char* name;
        const char* keys;
        int kind;
        const char* letter;
    };
    // The hidden twins: in no menu, reachable by their keys, with the kind and letter.
    for (const TExpected& e :
         {TExpected{"AutoContingDocuments", "Ctrl+Alt+D", 100, ""},
          {"AutoContingDocumentsReceipt", "Ctrl+Alt+K", 100, "K"},
          {"AutoContingDocumentsWriteOff", "Ctrl+Alt+H", 100, "F"},
          {"AutoContingDocumentsCommissionIn", "Ctrl+Alt+C", 100, "C"},
          {"AutoContingBankStatement", "Ctrl+Alt+E", 50, "I"},
          {"AutoContingBankCashBook", "Ctrl+Alt+J", 50, "B"},
          {"AutoContingOneProduction", "Ctrl+Shift+P", 75, ""},
          {"AutoContingOneFixedAssets", "Ctrl+Shift+O", 10, ""},
          {"AutoContingOneBank", "Ctrl+Shift+B", 50, ""},
          {"AutoContingOneDocumentsInAdvanceInvoice", "Ctrl+Shift+Q", 100, "Q"}}) {
        QAction* a = viewer->Command(QString::fromLatin1(e.name));
        ASSERT_NE(a, nullptr) << e.name;
        EXPECT_TRUE(a->isEnabled()) << e.name;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(e.keys))) << e.name;
        EXPECT_EQ(a->data().toInt(), e.kind) << e.name;
        if (*e.letter) {
            EXPECT_EQ(a->toolTip(), QString::fromLatin1(e.letter)) << e.name;
        }
    }
    EXPECT_EQ(viewer->Command("AutoContingDocumentsReverse"), nullptr);  // "Revers" has none
    EXPECT_TRUE(viewer->AutoContingOne->isEnabled());
    EXPECT_TRUE(viewer->AutoContingChooseRelatedEntity->isEnabled());
    EXPECT_FALSE(viewer->AutoConting->isVisible());
    // "Auto" on the toolbar carries the menu; both "Auto" commands are in the grid's menu.
    auto* button =
        qobject_cast<QToolButton*>(viewer->ActionTB->widgetForAction(viewer->AutoContingOne));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->menu(), viewer->AutoContingMenu);
    EXPECT_EQ(viewer->AutoContingOne->shortcut(), QKeySequence("Ctrl+Shift+A"));
    EXPECT_TRUE(viewer->DBG->actions().contains(viewer->AutoConting));
    EXPECT_TRUE(viewer->DBG->actions().contains(viewer->AutoContingOne));

    // The keys work on the shown list, the hidden "Auto" over everything among them.
    const qint64 first = Invoice(QDate(2024, 3, 5), "1");
    const qint64 second = Invoice(QDate(2024, 3, 6), "2");
    bank->waiting = 1;
    viewer->show();
    viewer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer.get()));
    viewer->DBG->setFocus();
    QTest::keyClick(viewer.get(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(Posted(first));
    EXPECT_FALSE(Posted(second));
    EXPECT_EQ(bank->posted, 0);
    QTest::keyClick(viewer.get(), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(Posted(second));
    EXPECT_EQ(bank->posted, 1);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

TEST_F(AutoPosting, EachCommandPostsWhatItSays) {
    const qint64 receipt = Invoice(QDate(2024, 3, 4), "K1", "K");
    const qint64 invoice1 = Invoice(QDate(2024, 3, 5), "1");
    const qint64 invoice2 = Invoice(QDate(2024, 3, 6), "2");
    const qint64 receipt2 = Invoice(QDate(2024, 3, 8), "K2", "K");
    const qint64 inInvoice = Invoice(QDate(2024, 3, 9), "U1", "U");
    const qint64 invoice3 = Invoice(QDate(2024, 3, 10), "3");
    bank->waiting = 3;
    bank->date = QDate(2024, 3, 7);

    // One invoice: the first pending one of that kind.
    Run("AutoContingOneDocumentsInvoice");
    EXPECT_EQ(LastOpen(), (Opened{true, "R", 0}));
    EXPECT_TRUE(Posted(invoice1));
    EXPECT_FALSE(Posted(receipt));
    EXPECT_EQ(bank->posted, 0);  // documents only

    // Every receipt.
    Run("AutoContingDocumentsReceipt");
    EXPECT_EQ(LastOpen(), (Opened{false, "K", 0}));
    EXPECT_TRUE(Posted(receipt));
    EXPECT_TRUE(Posted(receipt2));
    EXPECT_FALSE(Posted(invoice2));

    // One document of any kind: the earliest waiting.
    Run("AutoContingOneDocuments");
    EXPECT_EQ(LastOpen(), (Opened{true, "", 0}));
    EXPECT_TRUE(Posted(invoice2));
    EXPECT_FALSE(Posted(inInvoice));

    // One document of any module: the bank's, dated before the documents still waiting.
    Run("AutoContingOne");
    EXPECT_EQ(LastOpen(), (Opened{true, "", 0}));
    EXPECT_EQ(bank->posted, 1);
    EXPECT_FALSE(Posted(inInvoice));

    // The bank's commands: one of the module, then every statement.
    Run("AutoContingOneBank");
    EXPECT_EQ(LastOpen(), (Opened{true, "", 0}));
    EXPECT_EQ(bank->posted, 2);
    Run("AutoContingBankStatement");
    EXPECT_EQ(LastOpen(), (Opened{false, "I", 0}));
    EXPECT_EQ(bank->posted, 3);
    Run("AutoContingOneBankCashBook");
    EXPECT_EQ(LastOpen(), (Opened{true, "B", 0}));

    // Modules without an automat post nothing and say nothing.
    const size_t shown = ui.Shown().size();
    Run("AutoContingOneProduction");
    EXPECT_EQ(LastOpen(), (Opened{true, "", 0}));
    Run("AutoContingOneFixedAssets");
    EXPECT_FALSE(Posted(inInvoice));
    EXPECT_EQ(ui.Shown().size(), shown);

    // Every document of the module, then "Auto" over everything finds nothing left.
    Run("AutoContingDocuments");
    EXPECT_EQ(LastOpen(), (Opened{false, "", 0}));
    EXPECT_TRUE(Posted(inInvoice));
    EXPECT_TRUE(Posted(invoice3));
    const int vouchers = static_cast<int>(Count("precept"));
    EXPECT_EQ(vouchers, 6);
    bank->waiting = 2;
    Run("AutoConting");
    EXPECT_EQ(LastOpen(), (Opened{false, "", 0}));
    EXPECT_EQ(bank->posted, 5);
    EXPECT_EQ(Count("precept"), vouchers);

    // Every voucher made is in the list at once, the last one current in the grid.
    TQuery& list = dm->PreceptZQ();
    ASSERT_EQ(list.RecordCount(), vouchers);
    TDataSetModel* model = viewer->Model();
    ASSERT_EQ(model->rowCount(), vouchers);
    QStringList numbers;
    for (const auto& row : Db().Select("SELECT number FROM precept ORDER BY preceptid").rows)
        numbers << row[0].toString();
    QStringList shownNumbers;
    for (int r = 0; r < model->rowCount(); ++r)
        shownNumbers << model->index(r, 1).data().toString();
    EXPECT_EQ(shownNumbers, numbers);
    EXPECT_EQ(model->index(0, 5).data().toString(),
              Db().SelectValue("SELECT description FROM precept WHERE foreignid = ?", {invoice1})
                  .toString());
    EXPECT_EQ(viewer->DBG->currentIndex().row(), vouchers - 1);
    // The run's flags are gone.
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM ini WHERE section = 'AutoConter' AND "
                               "value NOT IN ('0', '')")
                  .toInt(),
              0);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

TEST_F(AutoPosting, AFilteredListRefusesEveryPostingCommand) {
    const qint64 doc = Invoice(QDate(2024, 3, 5), "1");
    bank->waiting = 1;
    TQuery& list = dm->PreceptZQ();
    list.Open();
    list.SetOnFilterRecord([](TDataSet&) { return true; });
    list.SetFiltered(true);
    for (const char* command :
         {"AutoConting", "AutoContingOne", "AutoContingOneDocuments", "AutoContingDocuments",
          "AutoContingOneDocumentsInvoice", "AutoContingDocumentsInvoice", "AutoContingOneBank",
          "AutoContingOneProduction", "AutoContingOneFixedAssets",
          "AutoContingChooseRelatedEntity"}) {
        const size_t before = ui.Shown().size();
        Run(command);
        ASSERT_EQ(ui.Shown().size(), before + 1) << command;
        EXPECT_EQ(ui.Shown().back().type, TMessageType::Warning);
        EXPECT_EQ(ui.LastText(), res::AUTO_CONTER_FILTER_WRN) << command;
    }
    EXPECT_FALSE(Posted(doc));
    EXPECT_TRUE(bank->opened.empty());
    EXPECT_TRUE(ui.Picks().empty());  // the chosen-document command asked nothing

    // The filter off, the same command runs.
    list.SetFiltered(false);
    Run("AutoContingOneDocuments");
    EXPECT_TRUE(Posted(doc));
}

TEST_F(AutoPosting, TheChosenDocumentIsPostedWhateverWaitsBeforeIt) {
    const qint64 early = Invoice(QDate(2024, 3, 5), "1");
    const qint64 chosen = Invoice(QDate(2024, 3, 6), "2");
    const qint64 late = Invoice(QDate(2024, 3, 7), "3");
    bank->waiting = 2;

    // The module first ("Dokument" of the registered four), then the document in its
    // module's picker, newest first.
    ui.AnswerPick(0).AnswerPick(1);
    Run("AutoContingChooseRelatedEntity");
    ASSERT_EQ(ui.Picks().size(), 2u);
    EXPECT_EQ(ui.Picks()[0].caption, "Tipovi temeljnica");
    EXPECT_EQ(ui.Picks()[0].prompt, "Izaberite tip temeljnice:");
    EXPECT_EQ(ui.Picks()[0].items,
              QStringList({"Dokument", "Banka", "Osnovna sredstva", "Proizvodnja"}));
    EXPECT_EQ(ui.Picks()[1].caption, "Dokumenti");
    EXPECT_TRUE(Posted(chosen));
    EXPECT_FALSE(Posted(early));
    EXPECT_FALSE(Posted(late));
    EXPECT_EQ(LastOpen(), (Opened{true, "", chosen}));
    EXPECT_EQ(bank->posted, 0);  // the bank's documents wait: its kind was not chosen

    // Cancelled at either pick: nothing.
    ui.AnswerPick(-1);
    Run("AutoContingChooseRelatedEntity");
    ui.AnswerPick(0).AnswerPick(-1);
    Run("AutoContingChooseRelatedEntity");
    EXPECT_EQ(Count("precept"), 1);

    // A bank statement goes to the bank's kind with its id.
    bank->pickable = true;
    ui.AnswerPick(1);
    Run("AutoContingChooseRelatedEntity");
    EXPECT_EQ(LastOpen(), (Opened{true, "", 5}));
    EXPECT_EQ(bank->posted, 1);
    EXPECT_FALSE(Posted(early));

    // A module of another name posts nothing and says nothing.
    auto payroll = std::make_shared<TRecordingAutomat>(*dm, 20, "payroll", "Plate");
    payroll->pickable = true;
    payroll->waiting = 1;
    package->AutoConter().RegisterAutomat(payroll.get());
    dm->Automats.push_back(payroll);
    const size_t opened = bank->opened.size();
    ui.AnswerPick(2);
    Run("AutoContingChooseRelatedEntity");
    EXPECT_EQ(bank->opened.size(), opened);
    EXPECT_EQ(payroll->posted, 0);
    package->AutoConter().UnregisterAutomat(payroll.get());
    dm->Automats.pop_back();
    EXPECT_TRUE(ui.Shown().empty());
    EXPECT_TRUE(ui.AllAnswered());
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

TEST_F(AutoPosting, TheToDateBoundsTheRunAndStaysInTheYear) {
    const qint64 march = Invoice(QDate(2024, 3, 5), "1");
    const qint64 june = Invoice(QDate(2024, 6, 5), "2");
    ui.AnswerDate(QDate(2024, 4, 30));
    viewer->AutoContingSetToDateAction->trigger();
    EXPECT_EQ(dm->AutoToDate, QDate(2024, 4, 30));
    Run("AutoConting");
    EXPECT_TRUE(Posted(march));
    EXPECT_FALSE(Posted(june));

    // Outside the financial year it becomes its last day; a cancelled dialog changes nothing.
    ui.AnswerDate(QDate(2025, 1, 15));
    viewer->AutoContingSetToDateAction->trigger();
    EXPECT_EQ(dm->AutoToDate, QDate(2024, 12, 31));
    ui.AnswerDate(QDate(2024, 2, 1));
    viewer->AutoContingSetToDateAction->trigger();
    ui.CancelNext();
    viewer->AutoContingSetToDateAction->trigger();
    EXPECT_EQ(dm->AutoToDate, QDate(2024, 2, 1));
    ui.AnswerDate(QDate(2023, 12, 31));
    viewer->AutoContingSetToDateAction->trigger();
    EXPECT_EQ(dm->AutoToDate, QDate(2024, 12, 31));
    Run("AutoConting");
    EXPECT_TRUE(Posted(june));
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(AutoPosting, ARunStopsBetweenDocumentsOrOnAnError) {
    QVector<qint64> docs;
    for (int day = 1; day <= 4; ++day)
        docs << Invoice(QDate(2024, 3, day), QString::number(day));

    // Stopped at the second step: two vouchers, kept, and the flags cleared for the next run.
    ui.StopProgressAt(2);
    Run("AutoConting");
    EXPECT_TRUE(Posted(docs[0]));
    EXPECT_TRUE(Posted(docs[1]));
    EXPECT_FALSE(Posted(docs[2]));
    EXPECT_EQ(viewer->Model()->rowCount(), 2);
    ui.StopProgressAt(-1);

    // A rule that cannot be computed ends the run with its message; what was posted stays.
    Db().Execute("UPDATE financialini SET creditexp = '[UkProd]+' WHERE conto = '6040'");
    Run("AutoConting");
    EXPECT_EQ(ui.Shown().size(), 1u);
    EXPECT_EQ(ui.Shown().back().type, TMessageType::Error);
    EXPECT_TRUE(ui.LastText().contains("6040")) << ui.LastText().toStdString();
    EXPECT_FALSE(Posted(docs[2]));
    EXPECT_EQ(Count("precept"), 2);
    EXPECT_EQ(viewer->Model()->rowCount(), 2);

    Db().Execute("UPDATE financialini SET creditexp = '[UkProd]' WHERE conto = '6040'");
    Run("AutoConting");
    EXPECT_TRUE(Posted(docs[3]));
    EXPECT_EQ(viewer->Model()->rowCount(), 4);
}

TEST_F(AutoPosting, TheNavigatorSearchesTheVouchersOfAChosenSourceDocument) {
    const qint64 first = Invoice(QDate(2024, 3, 5), "1");
    const qint64 second = Invoice(QDate(2024, 3, 6), "2");
    EXPECT_EQ(PostAll(), 2);
    AddPrecept(type, QDate(2024, 3, 7), "R-1");  // made by hand, from no source
    TFinancialNavigatorForm navigator(*dm);
    navigator.FillSearchFields();
    const int row = 7;
    auto* ellipsis = qobject_cast<QAbstractButton*>(navigator.SearchVLE->cellWidget(row, 2));
    ASSERT_NE(ellipsis, nullptr);
    EXPECT_FALSE(navigator.SearchVLE->item(row, 1)->flags() & Qt::ItemIsEditable);
    auto found = [&] {
        navigator.FindButton->click();
        QList<qint64> ids;
        TQuery& list = dm->PreceptZQ();
        for (list.First(); !list.Eof(); list.Next())
            ids << list.FieldByName("foreignid").AsInteger();
        return ids;
    };
    EXPECT_EQ(found().size(), 3);

    // Chosen: the module, then the document (the picker lists the newest first).
    ui.AnswerPick(0).AnswerPick(0);
    ellipsis->click();
    EXPECT_EQ(ui.Picks()[0].caption, "Tipovi temeljnica");
    EXPECT_EQ(ui.Picks()[0].prompt, "Izaberite tip temeljnice:");
    EXPECT_EQ(navigator.SearchValue("relatedentity"), "Dokument Račun-2");
    EXPECT_EQ(found(), QList<qint64>({second}));

    // With a value, the question first: another document, or none. Cancelled: kept.
    ui.AnswerPick(-1);
    ellipsis->click();
    EXPECT_EQ(ui.Picks().back().prompt, "Dokument Račun-2");
    EXPECT_EQ(ui.Picks().back().items.size(), 2);
    EXPECT_EQ(navigator.SearchValue("relatedentity"), "Dokument Račun-2");
    ui.AnswerPick(0).AnswerPick(0).AnswerPick(1);
    ellipsis->click();
    EXPECT_EQ(navigator.SearchValue("relatedentity"), "Dokument Račun-1");
    EXPECT_EQ(found(), QList<qint64>({first}));
    // A module whose picker gives nothing leaves the choice as it was.
    ui.AnswerPick(0).AnswerPick(1);
    ellipsis->click();
    EXPECT_EQ(found(), QList<qint64>({first}));
    ui.AnswerPick(1);
    ellipsis->click();
    EXPECT_TRUE(navigator.SearchValue("relatedentity").isEmpty());
    EXPECT_EQ(found().size(), 3);
    EXPECT_TRUE(ui.AllAnswered());
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

// The windowed service: the run keeps the application's events flowing between documents,
// and the progress window's stop button ends it there.
TEST_F(AutoPosting, TheProgressWindowKeepsTheScreenAliveAndStopsTheRun) {
    QVector<qint64> docs;
    for (int day = 1; day <= 3; ++day)
        docs << Invoice(QDate(2024, 3, day), QString::number(day));
    TQtUiService qt;
    SetUi(&qt);
    int ticks = 0;
    QString label;
    // Delivered only if the run lets events through; it presses the window's stop button.
    QTimer::singleShot(0, [&] {
        ++ticks;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(w)) {
                label = progress->labelText();
                progress->cancel();
            }
    });
    Run("AutoConting");
    SetUi(&ui);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(label, "Auto kontiranje\n1 od 3: Račun 1");
    EXPECT_TRUE(Posted(docs[0]));
    EXPECT_FALSE(Posted(docs[1]));
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QProgressDialog*>(w), nullptr);  // gone with the run
}

}  // namespace
}  // namespace fin::test
