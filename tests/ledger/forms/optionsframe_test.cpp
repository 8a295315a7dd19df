#include <QComboBox>

#include "ledger/financialoptionstabframe.h"
#include "tests/ledger/ledgertest.h"

namespace fin::test {
namespace {

using OptionsFrame = TLedgerTest;

TEST_F(OptionsFrame, ShowsDefaultsSavesByItsRulesAndResetsTheLock) {
    TFinancialOptionsTabFrame frame(*dm);
    frame.OptionsToControls();
    EXPECT_EQ(frame.PreceptNumFmtE->text(), "{g}{g}{g}{g}{g}/yy");
    for (auto it = frame.CheckBoxes.begin(); it != frame.CheckBoxes.end(); ++it)
        EXPECT_EQ(it.value()->isChecked(), it.key() == "ChangePreceptItemDescription")
            << it.key().toStdString();
    EXPECT_NE(frame.findChild<QCheckBox*>("UseRelatedEntityDateCB"), nullptr);
    EXPECT_FALSE(frame.UnregisterClosedPeriodCB->isChecked());
    EXPECT_FALSE(frame.UnregisterClosedPeriodDTP->isEnabled());
    EXPECT_EQ(frame.FinYearSE->value(), QDate::currentDate().year());
    EXPECT_EQ(frame.AutoToDateE->text(),
              QStringLiteral("%1-12-31").arg(QDate::currentDate().year()));

    // A chosen end date outside the year shows the year's last day.
    frame.FinYearSE->setValue(2024);
    ui.AnswerDate(QDate(2025, 3, 15));
    frame.AutoToDateButtonClick();
    EXPECT_EQ(frame.AutoToDateE->text(), "2024-12-31");
    ui.CancelNext();
    frame.AutoToDateButtonClick();
    EXPECT_EQ(frame.AutoToDateE->text(), "2024-12-31");

    // Ticked with the picker left at the off date stores the off value.
    frame.UnregisterClosedPeriodCB->setChecked(true);
    EXPECT_TRUE(frame.UnregisterClosedPeriodDTP->isEnabled());
    frame.CheckBoxes["AccountShowValues"]->setChecked(true);
    ASSERT_TRUE(frame.CheckValues());
    frame.ControlsToOptions();
    EXPECT_EQ(dm->Options().FinancialYear, 2024);
    EXPECT_TRUE(dm->Options().AccountShowValues);
    TDBIniFile ini(&Db());
    EXPECT_FALSE(ini.ValueExists(kFinancialSection, "FinancialYear"));
    frame.OptionsToControls();
    EXPECT_FALSE(frame.UnregisterClosedPeriodCB->isChecked());
    EXPECT_TRUE(frame.CheckBoxes["AccountShowValues"]->isChecked());

    auto* pick = static_cast<QComboBox*>(frame.MethodVLE->cellWidget(0, 1));
    pick->setEditable(true);
    pick->setEditText(QString());
    EXPECT_FALSE(frame.CheckValues());

    ini.WriteString(kAutoConterSection, "Running", "1");
    frame.ResetAutoConterButtonClick();
    EXPECT_TRUE(ini.ReadSection(kAutoConterSection).isEmpty());
}

}  // namespace
}  // namespace fin::test
