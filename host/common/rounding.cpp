#include "host/common/rounding.h"

#include <cmath>
#include <cstdlib>

#include "host/common/textformat.h"

namespace fin {

double BetterRoundTo(double value, int digits) {
    if (!std::isfinite(value))
        return value;
    if (digits > 0) {
        const double unit = std::pow(10.0, digits);
        return BetterRoundTo(value / unit, 0) * unit;
    }
    const double rounded = std::strtod(DecimalText(value, -digits).c_str(), nullptr);
    return rounded == 0.0 ? 0.0 : rounded;  // no negative zero
}

}  // namespace fin
