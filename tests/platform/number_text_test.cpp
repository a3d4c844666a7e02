#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <utility>

namespace quorrel::platform {
namespace {

// strtod alone would take hexadecimal, "inf", "nan" and a line break before the number too.
TEST(NumberTextTest, OnlyDecimalNumbersAreReadAndHalvesRoundToEven)
{
    EXPECT_EQ(ParseNumber(" 2.5\t"), 2.5);
    EXPECT_EQ(ParseNumber("-1e2"), -100.0);
    EXPECT_EQ(ParseNumber("+25e-1"), 2.5);
    for (const char* text :
         {"", " ", "-", "- 5", "abc", "6O", "0x10", "inf", "nan", "1e", ".", "\n5", "1e999"}) {
        EXPECT_FALSE(ParseNumber(text).has_value()) << '"' << text << '"';
    }
    for (const auto& [value, rounded] :
         {std::pair{2.5, 2.0}, {3.5, 4.0}, {-2.5, -2.0}, {2.6, 3.0}, {0.49, 0.0}}) {
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    }
}

}  // namespace
}  // namespace quorrel::platform
