#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <functional>

#include "host/forms/getitemform.h"
#include "host/ui/qtuiservice.h"

namespace fin::test {
namespace {

// Runs the action on the modal dialog as soon as it is up.
void WhenModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start(10);
}

QStringList ButtonTexts(QWidget* dialog) {
    QStringList texts;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        texts << button->text();
    texts.sort();
    return texts;
}

void ClickButton(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text)
            return button->click();
    ADD_FAILURE() << "no button " << text.toStdString();
}

TEST(QtUiService, QuestionsHaveSerbianButtonsAndReportTheChoice) {
    TQtUiService ui;
    QStringList texts;
    QString title;
    WhenModal([&](QWidget* box) {
        texts = ButtonTexts(box);
        title = box->windowTitle();
        ClickButton(box, "Ne");
    });
    EXPECT_EQ(ui.Ask("Da li je sve u redu?", TButtons::YesNoCancel), TAnswer::No);
    EXPECT_EQ(texts, QStringList({"Da", "Ne", "Otkaži"}));
    EXPECT_EQ(title, "Pitanje");

    WhenModal([&](QWidget* box) {
        texts = ButtonTexts(box);
        ClickButton(box, "Otkaži");
    });
    EXPECT_EQ(ui.Ask("Nastaviti?", TButtons::OkCancel, TMessageType::Warning), TAnswer::Cancel);
    EXPECT_EQ(texts, QStringList({"Otkaži", "U redu"}));

    WhenModal([&](QWidget* box) {
        title = box->windowTitle();
        ClickButton(box, "U redu");
    });
    ui.ShowMessage(TMessageType::Error, "Nešto nije u redu.");
    EXPECT_EQ(title, "Greška");
}

TEST(QtUiService, DateTextAndPickDialogsReturnWhatWasChosen) {
    TQtUiService ui;
    QDate date(2024, 1, 15);
    WhenModal([](QWidget* dialog) {
        dialog->findChild<QCalendarWidget*>()->setSelectedDate(QDate(2024, 2, 29));
        ClickButton(dialog, "U redu");
    });
    ASSERT_TRUE(ui.GetDate(date));
    EXPECT_EQ(date, QDate(2024, 2, 29));
    WhenModal([](QWidget* dialog) { ClickButton(dialog, "Otkaži"); });
    EXPECT_FALSE(ui.GetDate(date, "Datum knjiženja"));
    EXPECT_EQ(date, QDate(2024, 2, 29));

    QString text = "staro";
    WhenModal([](QWidget* dialog) {
        static_cast<QInputDialog*>(dialog)->setTextValue("novo");
        ClickButton(dialog, "U redu");
    });
    ASSERT_TRUE(ui.InputText("Naziv", "Unesite naziv:", text));
    EXPECT_EQ(text, "novo");

    // The pick list is the module's own dialog. The same text twice: the row chosen is the
    // one reported.
    int index = 2;
    int shown = -1;
    QString title, prompt;
    WhenModal([&](QWidget* dialog) {
        auto* form = qobject_cast<TGetItemForm*>(dialog);
        ASSERT_NE(form, nullptr);
        title = form->windowTitle();
        prompt = form->PromptLabel->text();
        shown = form->ItemsLB->currentRow();
        ClickButton(dialog, "U redu");
    });
    ASSERT_TRUE(ui.PickFromList("Konto", {"Kasa", "Banka", "Kasa"}, index, "Izaberite konto:"));
    EXPECT_EQ(title, "Konto");
    EXPECT_EQ(prompt, "Izaberite konto:");
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(index, 2);
    WhenModal([](QWidget* dialog) { ClickButton(dialog, "Otkaži"); });
    EXPECT_FALSE(ui.PickFromList("Konto", {"Kasa"}, index));
}

// "U redu" closes the pick list only with an item chosen; the incoming item is chosen when
// the list has it.
TEST(QtUiService, GetItemConfirmsOnlyAChosenItem) {
    QString item = "Banka";
    int offered = -1;
    WhenModal([&](QWidget* dialog) {
        auto* form = static_cast<TGetItemForm*>(dialog);
        offered = form->ItemsLB->currentRow();
        form->ItemsLB->setCurrentRow(2);
        ClickButton(dialog, "U redu");
    });
    ASSERT_TRUE(GetItem({"Kasa", "Banka", "Devizni račun"}, "Račun", "Račun:", item));
    EXPECT_EQ(offered, 1);
    EXPECT_EQ(item, "Devizni račun");

    // Nothing chosen: "U redu" leaves the dialog up, "Otkaži" closes it without a choice.
    item = "Nema ga";
    bool stayed = false;
    WhenModal([&](QWidget* dialog) {
        auto* form = static_cast<TGetItemForm*>(dialog);
        EXPECT_TRUE(form->ItemsLB->selectedItems().isEmpty());
        ClickButton(dialog, "U redu");
        stayed = form->isVisible();
        ClickButton(dialog, "Otkaži");
    });
    EXPECT_FALSE(GetItem({"Kasa", "Banka"}, "Račun", "Račun:", item));
    EXPECT_TRUE(stayed);
    EXPECT_EQ(item, "Nema ga");
}

TEST(QtUiService, BusyCursorNestsAndNeverPopsSomebodyElses) {
    TQtUiService ui;
    QApplication::setOverrideCursor(Qt::CrossCursor);
    ui.SetBusy(true);
    ui.SetBusy(true);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.SetBusy(false);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.SetBusy(false);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    ui.SetBusy(false);  // one too many
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtUiService, ProgressStopsWhenTheUserCancels) {
    TQtUiService ui;
    ui.ProgressStart("Knjiženje", 10);
    EXPECT_TRUE(ui.ProgressStep(1, "nalog 1"));
    QProgressDialog* progress = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<QProgressDialog*>(widget))
            progress = p;
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->value(), 1);
    EXPECT_EQ(progress->labelText(), "Knjiženje\n1 od 10: nalog 1");
    EXPECT_EQ(ButtonTexts(progress), QStringList({"Prekini"}));
    progress->cancel();
    EXPECT_FALSE(ui.ProgressStep(2));
    QPointer<QProgressDialog> gone = progress;
    ui.ProgressFinish();
    EXPECT_TRUE(gone.isNull());
    EXPECT_TRUE(ui.ProgressStep(3));  // no job: nothing to stop
}

// A short job, a single document say, never flashes a window; a long one gets it once it
// outlasts half a second, a busy bar when it has no total.
TEST(QtUiService, ProgressShowsOnlyForALongJob) {
    TQtUiService ui;
    auto window = [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(widget))
                return p;
        return static_cast<QProgressDialog*>(nullptr);
    };
    ui.ProgressStart("Auto kontiranje", 0);
    ASSERT_NE(window(), nullptr);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_TRUE(ui.ProgressStep(1, "R 1"));
    EXPECT_FALSE(window()->isVisible());
    QThread::msleep(600);
    EXPECT_TRUE(ui.ProgressStep(2, "R 2"));
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->labelText(), "Auto kontiranje\nR 2");
    ui.ProgressFinish();
    EXPECT_EQ(window(), nullptr);
}

}  // namespace
}  // namespace fin::test
