#include "platform/timer.h"

#include <stdexcept>
#include <string>

namespace quorrel::platform {

void Timer::setInterval(int milliseconds)
{
    if (milliseconds < 0 || milliseconds > kMaxInterval) {
        throw std::out_of_range("Invalid timer interval: " + std::to_string(milliseconds) + " ms");
    }
    if (milliseconds != interval_) {
        interval_ = milliseconds;
        stateChanged();
    }
}

void Timer::setEnabled(bool enabled)
{
    if (enabled != enabled_) {
        enabled_ = enabled;
        stateChanged();
    }
}

}  // namespace quorrel::platform
