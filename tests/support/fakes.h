#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/file_copier.h"
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
public:
    int restarts = 0;

protected:
    void stateChanged() override
    {
        if (isEnabled()) {
            ++restarts;
        }
    }
};

// The real copy, with a failure injected before the copy of a chosen character.
class FailingCopier final : public platform::FileCopier {
public:
    std::function<bool(const std::string& sourcePattern)> failWhen;
    std::vector<std::string> patterns;

    void CopyFile(const std::string& sourcePattern, const std::string& destination) override
    {
        patterns.push_back(sourcePattern);
        real_.CopyFile(sourcePattern, destination);
        if (failWhen && failWhen(sourcePattern)) {
            throw std::runtime_error("disk full");
        }
    }

private:
    platform::SystemFileCopier real_;
};

}  // namespace quorrel::test
