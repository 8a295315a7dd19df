#pragma once

#include "host/console/interfaces.h"

namespace fin {

// The services of the fixed-asset module: assets and their depreciation.
class IFixedAssets : public IInterface {};

// Stands in for the module until it is part of the suite; it offers nothing yet.
class TFixedAssetsModule : public IFixedAssets {};

}  // namespace fin
