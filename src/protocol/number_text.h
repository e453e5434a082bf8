// Numbers as the window shows them.
#pragma once

#include <string>

namespace protocol {

// The decimal and thousands separators of the user's locale (UTF-8).
struct NumberSeparators {
  std::string decimal = ".";
  std::string thousands = ",";
};

// `value` rounded to at most `significant` significant digits and at most `decimals` decimals,
// whichever leaves fewer digits (ties away from zero), written in fixed-point form with exactly
// `decimals` decimals, the thousands separator between groups of three integer digits and a
// leading minus sign when the rounded value is negative.
std::string NumberText(long double value, int significant, int decimals,
                       const NumberSeparators& separators);

}  // namespace protocol
