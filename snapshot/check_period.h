#pragma once

#include <cstdint>
#include <string>

namespace quorrel {

// How the snapshot timer is armed for a refresh time: its interval, and how many ticks make one
// check. Periods beyond the timer's 65535 ms are reached by counting 66 shorter ticks.
struct CheckPeriod {
    int interval = 0;  // milliseconds; 0 never ticks
    std::int16_t ticksPerCheck = 0;
};

// The refresh time is read as a number in the user's locale and rounded to whole seconds, halves
// to even. Throws std::invalid_argument when it is not a number, and std::out_of_range when the
// interval it gives lies outside 0 to 65535 ms (a negative or huge time).
CheckPeriod CheckPeriodOf(const std::string& RefreshTime);

}  // namespace quorrel
