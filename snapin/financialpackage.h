#pragma once

#include <memory>

namespace fin {

class ISnapinFactory;
class TFinancialDM;
class TFinancialSnapinFactory;
class TPostingPackage;

// The objects that live from package load to unload, made in this order: the data module,
// the posting package (the batch driver and one automat per source module, registered with
// the driver and the data module) and the snap-in factory. Each is installed where the rest
// of the module finds it, and everything is taken back in the reverse order.
class TFinancialPackage {
public:
    TFinancialPackage();
    ~TFinancialPackage();
    TFinancialPackage(const TFinancialPackage&) = delete;
    TFinancialPackage& operator=(const TFinancialPackage&) = delete;

    TFinancialDM& DM() { return *dm_; }
    TPostingPackage& Posting() { return *posting_; }
    ISnapinFactory* Factory();

private:
    std::unique_ptr<TFinancialDM> dm_;
    std::unique_ptr<TPostingPackage> posting_;
    std::unique_ptr<TFinancialSnapinFactory> factory_;
};

}  // namespace fin
