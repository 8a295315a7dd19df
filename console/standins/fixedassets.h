#pragma once

#include "host/console/interfaces.h"

namespace fin {

// Stands in for the module until it is part of the suite; it offers nothing yet.
class TFixedAssetsModule : public IFixedAssets {};

}  // namespace fin
