// The plug-in's entry point and the objects that live from package load to unload.
#include "snapin/financialpackage.h"
#include "snapin/financialsnapin.h"

namespace fin {
namespace {

// Made on the console's first call, once every constant of the library is initialised
// (the data module's field formats and captions are such constants); freed when the
// library is unloaded.
TFinancialPackage& Package() {
    static TFinancialPackage package;
    return package;
}

}  // namespace
}  // namespace fin

extern "C" __attribute__((visibility("default"))) fin::ISnapinFactory* GetSnapinFactory() {
    return fin::Package().Factory();
}
