#include <QApplication>
#include <QTemporaryDir>

#include "console/standins/tables.h"
#include "host/forms/datasetmodel.h"
#include "host/ui/uiservice.h"
#include "journal/financialdetailform.h"
#include "journal/financialviewerform.h"
#include "ledger/financialdm.h"
#include "ledger/schema.h"
#include "tests/host/privateserver.h"
#include "tests/host/testdatabase.h"

namespace fin::test {
namespace {

// The database server itself stops under an open voucher list and editor, and starts again.
// A private server: the suite's own serves the other tests meanwhile.
class Reconnect : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(server.Start(), QString());
        TConnectionSettings settings = server.Settings();
        TConnection(settings).ExecuteDirect(QStringLiteral("CREATE DATABASE fin"));
        settings.database = QStringLiteral("fin");
        db = std::make_unique<TConnection>(settings);
        CreateLedgerSchema(*db);
        CreateSiblingTables(*db);
        dm = std::make_unique<TFinancialDM>();
        dm->SetZConnection(db.get());
        dm->LoadOptions();
        dm->Options().FinancialYear = 2024;
        SetUi(&ui);
    }
    void TearDown() override {
        SetModalRunner(nullptr);
        SetUi(nullptr);
        dm.reset();
        db.reset();
    }
    qint64 Insert(const QString& sql, const QVariantList& values) {
        db->Execute(sql, values);
        return db->LastInsertId();
    }
    // Messages that tell the server is gone, lost or unreachable.
    int ServerMessages() const {
        int n = 0;
        for (const auto& shown : ui.Shown())
            n += shown.text.startsWith("Veza sa bazom podataka je prekinuta") ||
                 shown.text.startsWith("Nije moguće povezati se sa bazom podataka");
        return n;
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/finreconnect-XXXXXX")};
    TPrivateServer server{QStringLiteral(DB_SCRIPT), dir.path()};
    std::unique_ptr<TConnection> db;
    std::unique_ptr<TFinancialDM> dm;
    TScriptedUiService ui;
};

TEST_F(Reconnect, TheConsoleTellsOnceReconnectsAndKeepsTheTypedVoucher) {
    const qint64 type =
        Insert("INSERT INTO precepttype (name, number) VALUES (?, ?)", {"Izvodi", "6"});
    const qint64 bank =
        Insert("INSERT INTO accountnew (code, name) VALUES (?, ?)", {"2410", "Tekući račun"});
    Insert("INSERT INTO accountnew (code, name) VALUES (?, ?)", {"2040", "Kupci"});
    const qint64 id = Insert(
        "INSERT INTO precept (preceptdate, registerdate, number, status, precepttypeid) "
        "VALUES (?, ?, ?, 'n', ?)",
        {QDate(2024, 3, 1), QDate(2024, 3, 1), "S-1", type});
    Insert(
        "INSERT INTO preceptitem (preceptid, sort, debit, credit, accountnewid) VALUES "
        "(?, 1, 7, 0, ?)",
        {id, bank});

    TFinancialViewerForm viewer(*dm);
    TFinancialNavigatorForm navigator(*dm);
    navigator.FillSearchFields();
    navigator.FindButton->click();
    ASSERT_EQ(dm->PreceptZQ().RecordCount(), 1);

    // Gone: the next action says so once; back: the one after works, with no restart.
    ASSERT_EQ(server.Stop(), QString());
    const size_t before = ui.Shown().size();
    navigator.FindButton->click();
    EXPECT_EQ(ui.Shown().size(), before + 1);
    EXPECT_EQ(ServerMessages(), 1);
    ASSERT_EQ(server.Start(), QString());
    navigator.FindButton->click();
    EXPECT_EQ(ui.Shown().size(), before + 1);
    ASSERT_EQ(dm->PreceptZQ().RecordCount(), 1);

    // The server stops while a voucher is being typed: "U redu" says so and keeps the
    // editor with everything in it; once the server is back, the same "U redu" saves it.
    int saves = 0;
    SetModalRunner([&](QDialog& dialog) {
        auto& form = dynamic_cast<TFinancialDetailForm&>(dialog);
        TPreceptEditor& editor = form.Editor();
        form.DescriptionEdit->setText("Kucano dok server stoji");
        emit form.DescriptionEdit->textEdited(form.DescriptionEdit->text());
        emit form.DescriptionEdit->editingFinished();
        editor.Lines().Append();
        TDataSetModel* model = form.LinesModel();
        model->setData(model->index(1, 2), "2040", Qt::EditRole);
        model->setData(model->index(1, 7), "7", Qt::EditRole);
        editor.Lines().Post();
        EXPECT_EQ(server.Stop(), QString());
        form.CustomOK->trigger();
        ++saves;
        EXPECT_EQ(ServerMessages(), 2);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(form.DescriptionEdit->text(), "Kucano dok server stoji");
        EXPECT_EQ(editor.Lines().RecordCount(), 2);
        EXPECT_TRUE(editor.Modified());
        EXPECT_EQ(server.Start(), QString());
        form.CustomOK->trigger();
        ++saves;
        EXPECT_EQ(ServerMessages(), 2);
        return dialog.result();
    });
    viewer.PreceptEditExecute();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(saves, 2);
    EXPECT_FALSE(dm->PreceptOpen);
    EXPECT_EQ(
        db->SelectValue("SELECT description FROM precept WHERE preceptid = ?", {id}).toString(),
        "Kucano dok server stoji");
    EXPECT_DOUBLE_EQ(
        db->SelectValue("SELECT SUM(credit) FROM preceptitem WHERE preceptid = ?", {id}).toDouble(),
        7);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

}  // namespace
}  // namespace fin::test
