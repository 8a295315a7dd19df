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
    const struct {
        const char* name;
        TFieldType type;
        int size;
        const char* label;
    } preceptFields[] = {
        {"preceptid", TFieldType::Integer, 0, ""},
        {"preceptdate", TFieldType::Date, 0, "Datum"},
        {"registerdate", TFieldType::Date, 0, "Datum knjiženja"},
        {"number", TFieldType::String, 30, "Broj"},
        {"status", TFieldType::String, 1, "Status"},
        {"foreignid", TFieldType::Integer, 0, ""},
        {"foreigntable", TFieldType::String, 20, ""},
        {"precepttypeid", TFieldType::Integer, 0, ""},
        {"description", TFieldType::String, 255, "Opis"},
        {"parentid", TFieldType::Integer, 0, ""},
        {"userid", TFieldType::Integer, 0, ""},
        {"PreceptType", TFieldType::String, 50, "Tip"},
        {"PreceptTypeNumber", TFieldType::String, 15, ""},
    };
    // Declared, so that labels and rules outlive every change of the list's statement.
    for (const auto& f : preceptFields)
        preceptZQ_->AddField(QString::fromLatin1(f.name), f.type, f.size,
                             QString::fromUtf8(f.label));
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
