#include "platform/number_text.h"

#include <gtest/gtest.h>

namespace quorrel::platform {
namespace {

// strtod alone would take hexadecimal, "inf" and "nan" too.
TEST(NumberTextTest, OnlyDecimalNumbersAreReadAndHalvesRoundToEven)
{
    EXPECT_EQ(ParseNumber(" 2.5 "), 2.5);
    EXPECT_EQ(ParseNumber("-1e2"), -100.0);
    EXPECT_EQ(ParseNumber("25e-1"), 2.5);
    for (const char* text : {"", " ", "-", "abc", "6O", "0x10", "inf", "nan", "1e", "."}) {
        EXPECT_FALSE(ParseNumber(text).has_value()) << '"' << text << '"';
    }
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
}

}  // namespace
}  // namespace quorrel::platform
