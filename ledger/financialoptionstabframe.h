#pragma once

#include <QSpinBox>
#include <QWidget>

namespace fin {

class TFinancialDM;

// The module's page in the console's options dialog.
class TFinancialOptionsTabFrame : public QWidget {
    Q_OBJECT
public:
    explicit TFinancialOptionsTabFrame(TFinancialDM& dm, QWidget* parent = nullptr);

    void OptionsToControls();
    void ControlsToOptions();
    bool CheckValues();

    QSpinBox* FinYearSE;

private:
    TFinancialDM& dm_;
};

}  // namespace fin
