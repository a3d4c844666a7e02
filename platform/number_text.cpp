#include "platform/number_text.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quorrel::platform {

namespace {

char LocaleDecimalSeparator()
{
    const std::lconv* conventions = std::localeconv();
    if (conventions && conventions->decimal_point && conventions->decimal_point[0] != '\0') {
        return conventions->decimal_point[0];
    }
    return '.';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }

    // Validate the shape first: strtod alone would also take hexadecimal, "inf" and "nan".
    const char separator = LocaleDecimalSeparator();
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == separator) {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t exponent = i + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        if (exponent >= text.size() || !IsDigit(text[exponent])) {
            return std::nullopt;
        }
        i = exponent;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }

    const std::string number(text);
    const double value = std::strtod(number.c_str(), nullptr);  // strtod follows LC_NUMERIC
    if (!std::isfinite(value)) {
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
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5) {
        return below;
    }
    if (fraction > 0.5) {
        return below + 1;
    }
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1;
}

}  // namespace quorrel::platform
