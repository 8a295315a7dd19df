#pragma once

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QWidget>

#include "ledger/financialoptions.h"

namespace fin {

class TFinancialDM;

// The module's page in the console's options dialog; the rules are the data module's.
class TFinancialOptionsTabFrame : public QWidget {
    Q_OBJECT
public:
    explicit TFinancialOptionsTabFrame(TFinancialDM& dm, QWidget* parent = nullptr);

    void OptionsToControls();
    void ControlsToOptions();
    bool CheckValues();
    void FillMethods();

    void ResetAutoConterButtonClick();
    void UnregisterClosedPeriodCBClick();
    void AutoToDateButtonClick();

    QPushButton* ResetAutoConterButton;
    QSpinBox* FinYearSE;
    QLineEdit* AutoToDateE;
    QPushButton* AutoToDateButton;
    QLineEdit* PreceptNumFmtE;
    QTableWidget* MethodVLE;
    QMap<QString, QCheckBox*> CheckBoxes;  // by option key
    QCheckBox* UnregisterClosedPeriodCB;
    QDateEdit* UnregisterClosedPeriodDTP;

private:
    TOptionsPageValues Values() const;
    TFinancialDM& dm_;
};

}  // namespace fin
