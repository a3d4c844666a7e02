#include "snapshot/check_period.h"

#include <gtest/gtest.h>

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
    for (const Row& row : {Row{"25e-1", 2000, 1}, Row{"0", 0, 1}, Row{"65", 65000, 1},
                           Row{"66", 1007, 66}, Row{"999", 15244, 66}}) {
        const CheckPeriod period = CheckPeriodOf(row.refreshTime);
        EXPECT_EQ(period.interval, row.interval) << row.refreshTime;
        EXPECT_EQ(period.ticksPerCheck, row.ticksPerCheck) << row.refreshTime;
    }
    for (const char* refreshTime : {"-5", "5000", "606959600", "1e300"}) {
        EXPECT_THROW(CheckPeriodOf(refreshTime), std::out_of_range) << refreshTime;
    }
    for (const char* refreshTime : {"", "abc", "1e", "inf"}) {
        EXPECT_THROW(CheckPeriodOf(refreshTime), std::invalid_argument) << refreshTime;
    }
}

}  // namespace
}  // namespace quorrel
