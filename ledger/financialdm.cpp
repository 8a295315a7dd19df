#include "ledger/financialdm.h"

namespace fin {

namespace {
TFinancialDM* g_dm = nullptr;
}

TFinancialDM* FinancialDM() {
    return g_dm;
}
void SetFinancialDM(TFinancialDM* dm) {
    g_dm = dm;
}

TFinancialDM::TFinancialDM() {
    preceptZQ_ = &AddQuery(QStringLiteral("PreceptZQ"),
                           QStringLiteral("SELECT p.*,CONCAT(pt.name,'') AS PreceptType,"
                                          "CONCAT('','') AS PreceptTypeNumber "
                                          "FROM precept AS p INNER JOIN precepttype AS pt ON "
                                          "p.precepttypeid = pt.precepttypeid "
                                          "WHERE p.preceptid = -1"));
    preceptZQ_->SetUpdateTable(QStringLiteral("precept"));
    preceptZQ_->AddField(QStringLiteral("PreceptType"), TFieldType::String, 50,
                         QStringLiteral("Tip"));
    DataModuleCreate();
    LoadOptions();
}

TFinancialDM::~TFinancialDM() {
    DataModuleDestroy();
}

void TFinancialDM::LoadOptions() {
    // Without a connection (at package load) the built-in defaults stay.
    TConnection* c = Connected() ? ZConnection() : nullptr;
    const TDBIniFile ini(c);
    const TFinancialOptions defaults;
    options_.FinancialYear = static_cast<int>(ini.ReadInteger(
        kFinancialSection, QStringLiteral("FinancialYear"), defaults.FinancialYear));
    options_.TransitionToNewChartOfAccounts =
        ini.ReadBool(kFinancialSection, QStringLiteral("TransitionToNewChartOfAccounts"),
                     defaults.TransitionToNewChartOfAccounts);
    UseNewChart = NewChartYear();
    AutoToDate = QDate(options_.FinancialYear, 12, 31);
}

void TFinancialDM::LoadFreeAccountTypes() {
    // User-defined sub-account types join the built-in ones here.
}

}  // namespace fin
