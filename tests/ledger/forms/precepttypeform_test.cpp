#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>

#include "host/forms/datanavigator.h"
#include "host/forms/datasetmodel.h"
#include "journal/financialviewerform.h"
#include "ledger/ledgercaptions.h"
#include "ledger/precepttypeform.h"
#include "tests/ledger/ledgertest.h"

namespace fin::test {
namespace {

using PreceptTypeForm = TLedgerTest;

// Types the text into a grid cell the way the in-place editor commits it.
void Type(TPreceptTypeForm& form, int row, int column, const QString& text) {
    form.DBGrid->setCurrentIndex(form.Model()->index(row, column));
    form.Model()->setData(form.Model()->index(row, column), text, Qt::EditRole);
}

void Wheel(QWidget* viewport, int delta) {
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

QString StoredName(TConnection& db, const QString& number) {
    return db.SelectValue(QStringLiteral("SELECT name FROM precepttype WHERE number = ?"), {number})
        .toString();
}

TEST_F(PreceptTypeForm, EditsUserTypesAndGuardsTheReservedOnes) {
    TQuery& types = dm->PrecepttypeZQ();
    types.Open();
    AddType(QStringLiteral("40"), QStringLiteral("Dodat sa druge stanice"));

    auto* form = new TPreceptTypeForm(*dm);
    form->show();
    EXPECT_EQ(form->windowTitle(), "Tip naloga");
    EXPECT_TRUE(form->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_FALSE(form->OKButton->isVisibleTo(form));
    EXPECT_EQ(form->CloseButton->text(), "&Zatvori");
    EXPECT_EQ(form->Model()->headerData(0, Qt::Horizontal).toString(), "Broj");
    EXPECT_EQ(form->Model()->headerData(1, Qt::Horizontal).toString(), "Ime");
    // Reopened on creation: the type added behind the module's back is there.
    ASSERT_EQ(types.RecordCount(), 31);
    EXPECT_TRUE(types.Locate(QStringLiteral("number"), QStringLiteral("40")));

    // The wheel away from the user is an up arrow, towards the user a down arrow.
    types.First();
    Wheel(form->DBGrid->viewport(), -120);
    Wheel(form->DBGrid->viewport(), -120);
    EXPECT_EQ(types.RecNo(), 3);
    Wheel(form->DBGrid->viewport(), 120);
    EXPECT_EQ(types.RecNo(), 2);
    EXPECT_EQ(form->DBGrid->currentIndex().row(), 1);

    // A new user type, with a quote and a percent sign stored as typed.
    form->DBNavigator->Click(TDBNavigator::Insert);
    ASSERT_EQ(types.State(), TDataSetState::Insert);
    const int newRow = types.RecNo() - 1;
    Type(*form, newRow, 0, QStringLiteral("31"));
    Type(*form, newRow, 1, QStringLiteral("Kompenzacija 'A' 100%"));
    form->DBNavigator->Click(TDBNavigator::Post);
    EXPECT_EQ(types.State(), TDataSetState::Browse);
    EXPECT_EQ(StoredName(Db(), QStringLiteral("31")), "Kompenzacija 'A' 100%");

    // A reserved number can be neither added nor given to a user type; the row stays in
    // edit with what was typed, and closing does not lose it silently.
    form->DBNavigator->Click(TDBNavigator::Insert);
    Type(*form, types.RecNo() - 1, 0, QStringLiteral("30"));
    Type(*form, types.RecNo() - 1, 1, QStringLiteral("Moj tip"));
    form->DBNavigator->Click(TDBNavigator::Post);
    EXPECT_EQ(ui.LastText(), res::PREC_TYPE_NO_ADD_WRN);
    EXPECT_EQ(types.State(), TDataSetState::Insert);
    EXPECT_EQ(types.FieldByName(QStringLiteral("name")).AsString(), "Moj tip");
    form->reject();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(types.State(), TDataSetState::Insert);
    form->DBNavigator->Click(TDBNavigator::Cancel);
    EXPECT_EQ(Count(QStringLiteral("precepttype")), 32);

    ASSERT_TRUE(types.Locate(QStringLiteral("number"), QStringLiteral("31")));
    Type(*form, types.RecNo() - 1, 0, QStringLiteral("5"));
    form->DBNavigator->Click(TDBNavigator::Post);
    EXPECT_EQ(ui.LastText(), res::PREC_TYPE_NO_ADD_WRN);
    form->DBNavigator->Click(TDBNavigator::Cancel);

    // Moving to another row posts the pending edit; a refused post keeps the grid on it.
    ASSERT_TRUE(types.Locate(QStringLiteral("number"), QStringLiteral("40")));
    Type(*form, types.RecNo() - 1, 1, QStringLiteral("Ispravljen"));
    form->DBGrid->setCurrentIndex(form->Model()->index(0, 1));
    EXPECT_EQ(types.RecNo(), 1);
    EXPECT_EQ(StoredName(Db(), QStringLiteral("40")), "Ispravljen");
    ASSERT_TRUE(types.Locate(QStringLiteral("number"), QStringLiteral("40")));
    const int row40 = types.RecNo() - 1;
    Type(*form, row40, 0, QStringLiteral("7"));
    form->DBGrid->setCurrentIndex(form->Model()->index(0, 1));
    EXPECT_EQ(ui.LastText(), res::PREC_TYPE_NO_ADD_WRN);
    EXPECT_EQ(types.RecNo(), row40 + 1);
    EXPECT_EQ(form->DBGrid->currentIndex().row(), row40);
    form->DBNavigator->Click(TDBNavigator::Cancel);

    // The system types cannot be deleted; a user type goes after the common question.
    ASSERT_TRUE(types.Locate(QStringLiteral("number"), QStringLiteral("1")));
    form->DBNavigator->Click(TDBNavigator::Delete);
    EXPECT_EQ(ui.LastText(), res::PREC_TYPE_NO_DEL_WRN);
    ASSERT_TRUE(types.Locate(QStringLiteral("number"), QStringLiteral("31")));
    ui.Answer(TAnswer::Yes);
    form->DBNavigator->Click(TDBNavigator::Delete);
    EXPECT_EQ(Count(QStringLiteral("precepttype")), 31);
    EXPECT_TRUE(ui.Unexpected().isEmpty());

    // Escape closes the form, which frees itself.
    QPointer<TPreceptTypeForm> alive(form);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form, &escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

TEST_F(PreceptTypeForm, TheListOffersTheEditor) {
    TFinancialViewerForm viewer(*dm);
    QAction* admin = viewer.Command(QStringLiteral("PreceptTypeAdmin"));
    ASSERT_NE(admin, nullptr);
    EXPECT_EQ(admin->text(), "Tipovi naloga");
    EXPECT_EQ(admin->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
}

}  // namespace
}  // namespace fin::test
