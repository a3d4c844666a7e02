#include "platform/number_text.h"

#include <gtest/gtest.h>

namespace quorrel::platform {
namespace {

TEST(NumberTextTest, ParsesDecimalNumbersOnly)
{
    EXPECT_EQ(ParseNumber("60"), 60.0);
    EXPECT_EQ(ParseNumber(" 2.5 "), 2.5);
    EXPECT_EQ(ParseNumber("-5"), -5.0);
    EXPECT_EQ(ParseNumber("1e2"), 100.0);
    for (const char* text : {"", " ", "-", "abc", "6O", "0x10", "inf", "nan", "1e", "."}) {
        EXPECT_FALSE(ParseNumber(text).has_value()) << '"' << text << '"';
    }
}

TEST(NumberTextTest, RoundsHalvesToEvenAndFormatsPlainly)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(65.535), 66.0);
    EXPECT_EQ(FormatNumber(59), "59");
    EXPECT_EQ(FormatNumber(1.5), "1.5");
}

}  // namespace
}  // namespace quorrel::platform
