#include <QApplication>
#include <QStyleOptionViewItem>
#include <QWheelEvent>

#include "host/common/captions.h"
#include "host/data/query.h"
#include "host/forms/datasetmodel.h"
#include "journal/financiallogform.h"
#include "journal/financialprintmoreform.h"
#include "journal/financialviewerform.h"
#include "journal/journalcaptions.h"
#include "ledger/ledgercaptions.h"
#include "tests/reports/reportstest.h"

namespace fin::test {
namespace {

// A registered voucher of two lines and a draft in 2024, and one registered in 2023.
class DayBookForms : public TReportsTest {
protected:
    void SetUp() override {
        TReportsTest::SetUp();
        if (HasFatalFailure())
            return;
        dm->Options().FinancialYear = 2024;
        dm->Today = [] { return QDate(2025, 2, 10); };
        const qint64 bank = NewAccount("2410", "Tekući račun");
        const qint64 buyers = NewAccount("2040", "Kupci");
        sale = AddPrecept(type, QDate(2024, 5, 6), "00001", "p");
        Line(sale, buyers, 120, 0, 7, 0, "Kupac");
        Line(sale, bank, 0, 120, {}, 0, "Banka");
        Line(AddPrecept(type, QDate(2024, 5, 7), "00002", "n"), bank, 5, 0);
        Line(AddPrecept(type, QDate(2023, 5, 7), "00003", "p"), bank, 9, 0);
    }
    void TearDown() override {
        SetModalRunner(nullptr);
        TReportsTest::TearDown();
    }

    // Runs a viewer command and hands its form to the test before it closes.
    template <typename TForm>
    void WithForm(const char* command, const std::function<void(TForm&)>& test) {
        TFinancialViewerForm viewer(*dm);
        bool shown = false;
        SetModalRunner([&](QDialog& dialog) {
            auto* form = qobject_cast<TForm*>(&dialog);
            EXPECT_NE(form, nullptr);
            if (form) {
                shown = true;
                test(*form);
            }
            dialog.reject();
            return 0;
        });
        viewer.Command(QString::fromLatin1(command))->trigger();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(shown);
        EXPECT_TRUE(viewer.findChildren<TForm*>().isEmpty());  // freed on close
    }

    qint64 sale = 0;
};

TEST_F(DayBookForms, DayBookOpensOnTheYearAndRefusesOtherYears) {
    WithForm<TFinancialLogForm>("FinancialLogAction", [&](TFinancialLogForm& form) {
        EXPECT_EQ(form.windowTitle(), res::LOG_CAPTION);
        EXPECT_EQ(form.FromEdit->text(), "2024-01-01");
        EXPECT_EQ(form.ToEdit->text(), "2024-12-31");
        TDataSetModel* model = form.Model();
        ASSERT_EQ(model->rowCount(), 2);
        EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "Konto");
        EXPECT_EQ(model->headerData(4, Qt::Horizontal).toString(), "Novi konto");
        EXPECT_EQ(model->index(0, 4).data().toString(), "20407");
        EXPECT_EQ(model->index(1, 4).data().toString(), "2410");
        EXPECT_EQ(model->index(0, 6).data().toString(), "120,00");

        // The date button: a date of another year is refused and the box keeps its text.
        ui.AnswerDate(QDate(2025, 1, 5));
        form.FromButton->click();
        EXPECT_EQ(ui.LastText(), res::OUT_OF_YEAR_WRN);
        EXPECT_EQ(form.FromEdit->text(), "2024-01-01");
        ui.AnswerDate(QDate(2024, 5, 7));
        form.FromButton->click();
        EXPECT_EQ(form.FromEdit->text(), "2024-05-07");
        EXPECT_EQ(model->rowCount(), 2);  // nothing reloads before "Prikaži"
        form.FindButton->click();
        EXPECT_EQ(model->rowCount(), 0);  // the draft of that day is not in the book

        // A typed text that is no date is refused with a message; the book stays.
        form.FromEdit->setText("2024-01-01");
        form.FindButton->click();
        ASSERT_EQ(model->rowCount(), 2);
        form.ToEdit->setText("31.13.2024");
        form.FindButton->click();
        EXPECT_EQ(ui.LastText(), res::CARD_DATE_ERR.arg("31.13.2024"));
        EXPECT_EQ(model->rowCount(), 2);
        form.ToEdit->setText("2024-12-31");

        // The wheel moves a line at a time.
        form.LogGrid->setCurrentIndex(model->index(0, 0));
        QWheelEvent down(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form.LogGrid->viewport(), &down);
        EXPECT_EQ(form.LogGrid->currentIndex().row(), 1);

        // The print is the book shown.
        form.Engine().SetOutput(TReportOutput::Document);
        form.PrintButton->click();
        const TReportDocument& d = form.Engine().LastDocument();
        EXPECT_EQ(d.title, res::LOG_CAPTION);
        EXPECT_EQ(d.subtitles, QStringList{"Period: 01.01.2024. - 31.12.2024."});  // as the CLI's
        ASSERT_EQ(d.tables.size(), 1);
        ASSERT_EQ(d.tables[0].rows.size(), 2);
        EXPECT_EQ(d.tables[0].rows[0].value(5), "Kupac");
        EXPECT_EQ(d.tables[0].totals.value(6), "120,00");
    });
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

TEST_F(DayBookForms, PrintMoreListsTicksAndPrintsTheTickedVouchers) {
    WithForm<TFinancialPrintMoreForm>("PrintMore", [&](TFinancialPrintMoreForm& form) {
        EXPECT_EQ(form.FromEdit->text(), "2025-02-10");  // today, as the form opens
        EXPECT_EQ(form.TypeCombo->currentIndex(), 0);
        EXPECT_GE(form.TypeCombo->findText("77 - Temeljnica"), 0);
        EXPECT_TRUE(form.ShowButton->isDefault());
        ASSERT_TRUE(form.ShowYear(type));
        TDataSetModel* model = form.Model();
        ASSERT_EQ(model->rowCount(), 1);  // the registered voucher of the year only
        EXPECT_EQ(model->index(0, 1).data().toString(), "00001");
        EXPECT_EQ(model->index(0, 4).data().toString(), res::DOC_REG_STATUS_CAPTION);
        EXPECT_EQ(model->index(0, 6).data().toString(), res::YES_CAP);

        // Only the tick is edited, from its two words.
        QStyleOptionViewItem option;
        EXPECT_EQ(form.PrintGrid->itemDelegateForColumn(1)->createEditor(form.PrintGrid, option,
                                                                         model->index(0, 1)),
                  nullptr);
        QWidget* editor = form.PrintGrid->itemDelegateForColumn(6)->createEditor(
            form.PrintGrid, option, model->index(0, 6));
        ASSERT_NE(qobject_cast<QComboBox*>(editor), nullptr);
        EXPECT_EQ(qobject_cast<QComboBox*>(editor)->count(), 2);
        delete editor;

        form.Engine().SetOutput(TReportOutput::Document);
        form.PrintButton->click();
        TDataSet& rows = form.PrintMore().Rows();
        ASSERT_EQ(rows.RecordCount(), 2);
        rows.Last();
        EXPECT_EQ(rows.FieldByName("PreceptEmptyRows").AsString().count(' '), 19);
        EXPECT_FALSE(form.Engine().LastDocument().tables.isEmpty());

        ASSERT_TRUE(model->setData(model->index(0, 6), res::NO_CAP, Qt::EditRole));
        EXPECT_EQ(model->index(0, 6).data().toString(), res::NO_CAP);
        form.PrintButton->click();
        EXPECT_EQ(ui.LastText(), res::PRINT_MORE_NONE_WRN);

        // Periods are checked as in the day book.
        form.FromEdit->setText("2023-01-01");
        form.ShowButton->click();
        EXPECT_EQ(ui.LastText(), res::OUT_OF_YEAR_WRN);
        EXPECT_EQ(model->rowCount(), 1);
        ui.AnswerDate(QDate(2023, 4, 1));
        form.ToButton->click();
        EXPECT_EQ(form.ToEdit->text(), "2024-12-31");
    });
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

}  // namespace
}  // namespace fin::test
