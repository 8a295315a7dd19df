// The module-name table: which conter serves the rules of each source module.
#include "ledger/ledgercaptions.h"
#include "posting/customconter.h"
#include "posting/documentconter.h"

namespace fin {

const QVector<TConterClass>& ConterClasses() {
    static const QVector<TConterClass> classes{
        {res::FIN_MOD_DOCUMENT_NAME,
         [](TFinancialDM& dm) {
             return std::make_shared<TDocumentConter>(dm, nullptr, res::FIN_MOD_DOCUMENT_NAME,
                                                      QString(), QString(), 0, nullptr, nullptr,
                                                      nullptr);
         }},
    };
    return classes;
}

}  // namespace fin
