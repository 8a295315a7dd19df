#include "console/standins/standins.h"

#include "host/db/connection.h"

namespace fin {

TStandinModules::TStandinModules(TConnectionSettings settings)
    : security_(std::make_shared<TSecurityModule>(std::move(settings))),
      documents_(std::make_shared<TDocumentsModule>()),
      bank_(std::make_shared<TBankModule>(security_)),
      production_(std::make_shared<TProductionModule>()),
      fixedAssets_(std::make_shared<TFixedAssetsModule>()) {}

IInterfacePtr TStandinModules::Find(const QUuid& identity) const {
    if (identity == iid::Security)
        return security_;
    if (identity == iid::Documents)
        return documents_;
    if (identity == iid::Bank)
        return bank_;
    if (identity == iid::Production)
        return production_;
    if (identity == iid::FixedAssets)
        return fixedAssets_;
    return nullptr;
}

void TBankModule::GetDocumentPayments(int documentId, int, double& paidOut, double& paidIn, int,
                                      int, int) {
    paidOut = paidIn = 0;
    TConnection* c = security_ ? security_->GetConnection() : nullptr;
    if (!c || !c->Connected())
        return;
    const TResultSet r = c->Select(QStringLiteral("SELECT COALESCE(SUM(credit), 0), "
                                                  "COALESCE(SUM(debit), 0) FROM bankstatementitem "
                                                  "WHERE documentid = ?"),
                                   {documentId});
    if (!r.rows.isEmpty()) {
        paidOut = r.rows[0][0].toDouble();
        paidIn = r.rows[0][1].toDouble();
    }
}

}  // namespace fin
