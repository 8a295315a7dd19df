#pragma once

#include "host/console/interfaces.h"

namespace fin {

// The services of the production module: products, stock and work orders.
class IProduction : public IInterface {};

// Stands in for the module until it is part of the suite; it offers nothing yet.
class TProductionModule : public IProduction {};

}  // namespace fin
