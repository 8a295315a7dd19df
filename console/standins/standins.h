#pragma once

#include <memory>

#include "console/standins/bank.h"
#include "console/standins/documents.h"
#include "console/standins/fixedassets.h"
#include "console/standins/production.h"
#include "console/standins/security.h"

namespace fin {

// The sibling modules the console offers by identity until the real ones are loaded.
class TStandinModules {
public:
    explicit TStandinModules(TConnectionSettings settings = TConnectionSettings::FromEnvironment());

    // Null for an identity none of them answers to.
    IInterfacePtr Find(const QUuid& identity) const;
    const std::shared_ptr<TSecurityModule>& Security() const { return security_; }

private:
    std::shared_ptr<TSecurityModule> security_;
    std::shared_ptr<TDocumentsModule> documents_;
    std::shared_ptr<TBankModule> bank_;
    std::shared_ptr<TProductionModule> production_;
    std::shared_ptr<TFixedAssetsModule> fixedAssets_;
};

}  // namespace fin
