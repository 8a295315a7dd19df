#pragma once

#include <QDate>

#include "host/data/customdm.h"
#include "host/data/dbinifile.h"

namespace fin {

// The module's options, as the shared settings store holds them (section "Financial").
struct TFinancialOptions {
    int FinancialYear = QDate::currentDate().year();
    bool TransitionToNewChartOfAccounts = false;
};

inline const QString kFinancialSection = QStringLiteral("Financial");

// The data module: every standing dataset of the ledger and the rules that run on them.
class TFinancialDM : public TCustomDM {
public:
    TFinancialDM();
    ~TFinancialDM() override;

    TQuery& PreceptZQ() { return *preceptZQ_; }

    void LoadOptions();
    void LoadFreeAccountTypes();
    const TFinancialOptions& Options() const { return options_; }
    TFinancialOptions& Options() { return options_; }
    // From financial year 2014 on, lines are kept on the new chart of accounts.
    bool NewChartYear() const { return options_.FinancialYear >= 2014; }

    // Flags shared by the screens.
    bool PreceptOpen = false;  // a voucher editor is open
    bool UseNewChart = false;
    QDate AutoToDate;  // last source-document date that automatic posting takes

private:
    TQuery* preceptZQ_;
    TFinancialOptions options_;
};

// The package's data module; null while none is installed.
TFinancialDM* FinancialDM();
void SetFinancialDM(TFinancialDM* dm);

}  // namespace fin
