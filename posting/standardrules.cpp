#include "posting/standardrules.h"

namespace fin {

int InstallStandardRules(TFinancialDM&) {
    return 0;
}

}  // namespace fin
