#pragma once

#include <string>

namespace quorrel::platform {

// A moment in the user's local time, to the second.
struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;
    int hour = 0;  // 0 to 23
    int minute = 0;
    int second = 0;

    bool operator==(const LocalDateTime&) const = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
};

// "dd-mm-yyyy" and "hh-mm-ss", as snapshot folder names carry them.
std::string FormatDate(const LocalDateTime& moment);
std::string FormatTime(const LocalDateTime& moment);

// The locale's short date and its time of day with seconds, as the error log shows them.
std::string ShortDateText(const LocalDateTime& moment);
std::string TimeText(const LocalDateTime& moment);

}  // namespace quorrel::platform
