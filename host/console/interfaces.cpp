#include "host/console/interfaces.h"

namespace fin {

// Out of line, so that every library shares one type identity for the interfaces.
IInterface::~IInterface() = default;

}  // namespace fin
