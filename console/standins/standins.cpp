#include "console/standins/standins.h"

namespace fin {

TStandinModules::TStandinModules(TConnectionSettings settings)
    : security_(std::make_shared<TSecurityModule>(std::move(settings))),
      documents_(std::make_shared<TDocumentsModule>()),
      bank_(std::make_shared<TBankModule>()),
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

}  // namespace fin
