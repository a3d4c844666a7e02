#pragma once

namespace quorrel::platform {

// The toolkit's timer as the logic sees it: an interval in milliseconds and an enabled flag.
// An interval of 0 never ticks; disabling and enabling again restarts the wait, so the first tick
// comes one whole interval later. Implementations deliver the ticks.
class Timer {
public:
    static constexpr int kMaxInterval = 65535;

    virtual ~Timer() = default;

    // Throws std::out_of_range for an interval below 0 or above kMaxInterval.
    void setInterval(int milliseconds);
    int interval() const { return interval_; }

    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }

protected:
    // Called after the interval or the enabled flag really changed.
    virtual void stateChanged() = 0;

private:
    int interval_ = 0;
    bool enabled_ = false;
};

}  // namespace quorrel::platform
