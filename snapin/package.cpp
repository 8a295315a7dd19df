// The plug-in's entry point and the objects that live from package load to unload.
#include <memory>

#include "ledger/financialdm.h"
#include "snapin/financialsnapin.h"

namespace fin {
namespace {

// Made on the console's first call, once every constant of the library is initialised
// (the data module's field formats and captions are such constants); freed when the
// library is unloaded.
class TFinancialPackage {
public:
    TFinancialPackage() {
        dm_ = std::make_unique<TFinancialDM>();
        SetFinancialDM(dm_.get());
        factory_ = std::make_unique<TFinancialSnapinFactory>();
    }
    ~TFinancialPackage() {
        factory_->Release();
        factory_.reset();
        SetFinancialDM(nullptr);
        dm_.reset();
    }
    ISnapinFactory* Factory() { return factory_.get(); }

private:
    std::unique_ptr<TFinancialDM> dm_;
    std::unique_ptr<TFinancialSnapinFactory> factory_;
};

TFinancialPackage& Package() {
    static TFinancialPackage package;
    return package;
}

}  // namespace
}  // namespace fin

extern "C" __attribute__((visibility("default"))) fin::ISnapinFactory* GetSnapinFactory() {
    return fin::Package().Factory();
}
