#include "snapshot/check_period.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <stdexcept>

namespace quorrel {
namespace {

// Read without a timer, as Apply checks a refresh time before it saves anything.
TEST(CheckPeriodTest, OnlyARefreshTimeTheTimerCanTakeGivesAPeriod)
{
    struct Row {
        const char* refreshTime;
        int interval;
        int ticksPerCheck;
    };
    for (const Row& row :
         {Row{"60", 60000, 1}, Row{"65", 65000, 1}, Row{"66", 1007, 66}, Row{"100", 1526, 66},
          Row{"999", 15244, 66}, Row{"4294", 65522, 66}, Row{"2.5", 2000, 1}, Row{"3.5", 4000, 1},
          Row{".5", 0, 1}, Row{"0", 0, 1}, Row{"25e-1", 2000, 1}}) {
        const CheckPeriod period = CheckPeriodOf(row.refreshTime);
        EXPECT_EQ(period.interval, row.interval) << row.refreshTime;
        EXPECT_EQ(period.ticksPerCheck, row.ticksPerCheck) << row.refreshTime;
    }
    // Beyond the timer: 76295 ms per tick, negative, and far beyond any integer.
    for (const char* refreshTime : {"-5", "5000", "606959600", "1e300"}) {
        EXPECT_THROW(CheckPeriodOf(refreshTime), std::out_of_range) << refreshTime;
    }
    for (const char* refreshTime : {"", "abc", "1e", "inf"}) {
        EXPECT_THROW(CheckPeriodOf(refreshTime), std::invalid_argument) << refreshTime;
    }
}

TEST(CheckPeriodTest, TheRefreshTimeIsReadInTheLocaleOfTheUser)
{
    // Whichever name the system gives a locale that writes 2,5 for two and a half.
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const auto german = {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "de-DE"};
    if (std::none_of(german.begin(), german.end(), [](const char* name) {
            return std::setlocale(LC_NUMERIC, name) != nullptr;
        })) {
        GTEST_SKIP() << "no German locale here; ./dev.sh test makes one";
    }
    const int interval = CheckPeriodOf("3,5").interval;
    EXPECT_THROW(CheckPeriodOf("3.5"), std::invalid_argument);
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_EQ(interval, 4000);
}

}  // namespace
}  // namespace quorrel
