// The module-name table: which conter serves the rules of each source module.
#include "ledger/ledgercaptions.h"
#include "posting/bankconter.h"
#include "posting/customconter.h"
#include "posting/documentconter.h"
#include "posting/faconter.h"
#include "posting/productionconter.h"

namespace fin {

namespace {

// Made without a run or datasets: such a conter serves checks and variable lists only.
template <typename T>
TConterClass Class(const QString& module) {
    return {module, [module](TFinancialDM& dm) -> std::shared_ptr<TCustomConter> {
                return std::make_shared<T>(dm, nullptr, module, QString(), QString(), 0, nullptr,
                                           nullptr);
            }};
}

}  // namespace

const QVector<TConterClass>& ConterClasses() {
    static const QVector<TConterClass> classes{
        Class<TDocumentConter>(res::FIN_MOD_DOCUMENT_NAME),
        Class<TBankConter>(res::FIN_MOD_BANK_NAME),
        Class<TFAConter>(res::FIN_MOD_FA_NAME),
        Class<TProductionConter>(res::FIN_MOD_PRODUCTION_NAME),
    };
    return classes;
}

}  // namespace fin
