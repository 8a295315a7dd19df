#include "ledger/financialoptionstabframe.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"

namespace fin {

TFinancialOptionsTabFrame::TFinancialOptionsTabFrame(TFinancialDM& dm, QWidget* parent)
    : QWidget(parent), dm_(dm) {
    auto* layout = new QVBoxLayout(this);
    auto* year = new QGroupBox(QStringLiteral("Finansijska godina"), this);
    auto* form = new QFormLayout(year);
    FinYearSE = new QSpinBox(year);
    FinYearSE->setObjectName(QStringLiteral("FinYearSE"));
    FinYearSE->setRange(1990, 2100);
    form->addRow(QStringLiteral("Fin. godina:"), FinYearSE);
    layout->addWidget(year);
    layout->addStretch(1);
}

void TFinancialOptionsTabFrame::OptionsToControls() {
    FinYearSE->setValue(dm_.Options().FinancialYear);
}

bool TFinancialOptionsTabFrame::CheckValues() {
    if (FinYearSE->value() < 1990 || FinYearSE->value() > 2100) {
        Ui().ShowMessage(TMessageType::Warning,
                         QStringLiteral("Finansijska godina mora biti između 1990 i 2100."));
        return false;
    }
    return true;
}

void TFinancialOptionsTabFrame::ControlsToOptions() {
    TDBIniFile ini(dm_.Connected() ? dm_.ZConnection() : nullptr);
    ini.WriteInteger(kFinancialSection, QStringLiteral("FinancialYear"), FinYearSE->value());
    dm_.LoadOptions();
}

}  // namespace fin
