#include "snapin/financialpackage.h"

#include "ledger/financialdm.h"
#include "posting/postingpackage.h"
#include "snapin/financialsnapin.h"

namespace fin {

TFinancialPackage::TFinancialPackage() {
    dm_ = std::make_unique<TFinancialDM>();
    SetFinancialDM(dm_.get());
    posting_ = std::make_unique<TPostingPackage>(*dm_);
    SetPostingPackage(posting_.get());
    factory_ = std::make_unique<TFinancialSnapinFactory>();
}

TFinancialPackage::~TFinancialPackage() {
    // The snap-in and its screens go first, while the driver they point to still exists.
    factory_->Release();
    factory_.reset();
    SetPostingPackage(nullptr);
    posting_.reset();
    SetFinancialDM(nullptr);
    dm_.reset();
}

ISnapinFactory* TFinancialPackage::Factory() {
    return factory_.get();
}

}  // namespace fin
