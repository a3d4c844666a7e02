#include "snapshot/check_period.h"

#include <optional>
#include <stdexcept>

#include "platform/number_text.h"
#include "platform/timer.h"

namespace quorrel {

namespace {

constexpr double kMaxInterval = platform::Timer::kMaxInterval;

[[noreturn]] void ThrowOutOfRange(const std::string& RefreshTime)
{
    throw std::out_of_range("The refresh time gives no interval the timer can take: \"" +
                            RefreshTime + "\"");
}

}  // namespace

CheckPeriod CheckPeriodOf(const std::string& RefreshTime)
{
    const std::optional<double> number = platform::ParseNumber(RefreshTime);
    if (!number) {
        throw std::invalid_argument("The refresh time is not a number: \"" + RefreshTime + "\"");
    }
    // Everything stays a double until its range is known: converting an out-of-range double to
    // an integer is undefined.
    const double period = platform::RoundHalfEven(*number) * 1000.0;
    if (period < 0) {
        ThrowOutOfRange(RefreshTime);
    }
    if (period <= kMaxInterval) {
        return {static_cast<int>(period), 1};
    }
    // The timer cannot wait that long: tick 66 times per check at a shorter interval.
    const double interval = period / kMaxInterval * 1000.0;
    const double rounded = platform::RoundHalfEven(interval);
    if (rounded > kMaxInterval) {
        ThrowOutOfRange(RefreshTime);
    }
    return {static_cast<int>(rounded),
            static_cast<std::int16_t>(platform::RoundHalfEven(period / interval))};
}

}  // namespace quorrel
