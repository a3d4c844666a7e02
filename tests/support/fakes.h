#pragma once

#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/timer.h"

namespace quorrel::test {

class FakeClock final : public platform::Clock {
public:
    platform::LocalDateTime moment{2026, 12, 6, 15, 4, 9};
    platform::LocalDateTime now() const override { return moment; }
};

class CountingBeeper final : public platform::Beeper {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

// A timer that only ticks when the test says so.
class ManualTimer final : public platform::Timer {
protected:
    void stateChanged() override {}
};

}  // namespace quorrel::test
