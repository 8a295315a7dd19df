#pragma once

#include "host/console/interfaces.h"

namespace fin {

// The services of the bank module: statements and payment orders.
class IBank : public IInterface {};

// Stands in for the module until it is part of the suite; it offers nothing yet.
class TBankModule : public IBank {};

}  // namespace fin
