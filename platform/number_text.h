#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorrel::platform {

// Reads text as a decimal number the way the user's locale writes one: blanks around it, an
// optional sign, digits with the locale's decimal separator and an optional exponent.
// Anything else (an empty text, letters, a lone sign) gives no number.
std::optional<double> ParseNumber(std::string_view text);

// Writes a number as plain decimal text with the locale's decimal separator; a whole number has
// no decimal point (59, 1.5).
std::string FormatNumber(double value);

// Rounds to the nearest whole number; a value exactly halfway goes to the even neighbour.
double RoundHalfEven(double value);

}  // namespace quorrel::platform
