#include "platform/number_text.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quorrel::platform {

std::optional<double> ParseNumber(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string number(text.substr(first, text.find_last_not_of(" \t") + 1 - first));
    // strtod alone would also take hexadecimal, "inf", "nan" and line breaks before the number;
    // the characters of a decimal number are all it sees. It reads the locale's separator.
    const std::lconv* conventions = std::localeconv();
    const char separator =
        conventions->decimal_point[0] != '\0' ? conventions->decimal_point[0] : '.';
    if (number.find_first_not_of(std::string("0123456789+-eE") + separator) != std::string::npos) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string FormatNumber(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

double RoundHalfEven(double value)
{
    // In the default rounding mode, to nearest, which the program never changes, halves go to
    // the even neighbour.
    return std::nearbyint(value);
}

}  // namespace quorrel::platform
