#pragma once

namespace fin {

// Rounds half away from zero in decimal, not binary: 2.675 at -2 is 2.68. Digits -2 keeps
// two decimals, -3 three; a positive count rounds to tens, hundreds and so on.
double BetterRoundTo(double value, int digits);

}  // namespace fin
