#include "protocol/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace protocol {

namespace {

// Enough fractional digits for the exact expansion of any value the window shows.
constexpr int kExpansionDigits = 80;

std::string Grouped(const std::string& digits, const std::string& separator) {
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

}  // namespace

std::string NumberText(long double value, int significant, int decimals,
                       const NumberSeparators& separators) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  decimals = std::clamp(decimals, 0, kExpansionDigits);
  if (significant < 1) significant = 1;

  // The value's decimal expansion: integer digits, then kExpansionDigits fractional ones.
  std::vector<char> buffer(static_cast<size_t>(std::fabs(std::log10(std::fabs(value) + 1))) +
                           kExpansionDigits + 8);
  std::snprintf(buffer.data(), buffer.size(), "%.*Lf", kExpansionDigits, std::fabs(value));
  std::string text = buffer.data();
  const size_t point = text.find('.');
  std::string digits = text.substr(0, point) + text.substr(point + 1);
  const int integerDigits = static_cast<int>(point);

  // Decimals the significant digits leave room for, counted from the first non-zero digit.
  const size_t first = digits.find_first_not_of('0');
  int kept = decimals;
  if (first != std::string::npos) {
    const int leading = static_cast<int>(first) - integerDigits;  // < 0: integer digits
    kept = std::min(decimals, significant + leading);
  }

  // Round half away from zero at `kept` decimals (negative: in the integer part).
  const int cut = integerDigits + kept;
  if (cut < 0) {
    digits.assign(digits.size(), '0');
  } else {
    const bool up = static_cast<size_t>(cut) < digits.size() && digits[cut] >= '5';
    for (size_t i = static_cast<size_t>(cut); i < digits.size(); ++i) digits[i] = '0';
    if (up) {
      int i = cut - 1;
      for (; i >= 0 && digits[i] == '9'; --i) digits[i] = '0';
      if (i >= 0)
        ++digits[i];
      else
        digits.insert(digits.begin(), '1');
    }
  }
  const int integerLength = static_cast<int>(digits.size()) - kExpansionDigits;
  std::string integerPart = digits.substr(0, integerLength);
  const std::string fraction = digits.substr(integerLength, decimals);
  integerPart.erase(0, std::min(integerPart.find_first_not_of('0'), integerPart.size() - 1));

  const bool zero = digits.find_first_not_of('0') == std::string::npos;
  std::string out = value < 0 && !zero ? "-" : "";
  out += Grouped(integerPart, separators.thousands);
  if (decimals > 0) out += separators.decimal + fraction;
  return out;
}

}  // namespace protocol
