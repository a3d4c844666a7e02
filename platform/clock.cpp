#include "platform/clock.h"

#include <cstdio>
#include <ctime>

namespace quorrel::platform {

namespace {

std::string Strftime(const char* format, const LocalDateTime& moment)
{
    std::tm fields{};
    fields.tm_year = moment.year - 1900;
    fields.tm_mon = moment.month - 1;
    fields.tm_mday = moment.day;
    fields.tm_hour = moment.hour;
    fields.tm_min = moment.minute;
    fields.tm_sec = moment.second;
    fields.tm_isdst = -1;
    char buffer[128];
    const std::size_t length = std::strftime(buffer, sizeof buffer, format, &fields);
    return std::string(buffer, length);
}

}  // namespace

std::string FormatDate(const LocalDateTime& moment)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d-%02d-%04d", moment.day, moment.month, moment.year);
    return buffer;
}

std::string FormatTime(const LocalDateTime& moment)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d-%02d-%02d", moment.hour, moment.minute,
                  moment.second);
    return buffer;
}

std::string ShortDateText(const LocalDateTime& moment)
{
    return Strftime("%x", moment);
}

std::string TimeText(const LocalDateTime& moment)
{
    return Strftime("%X", moment);
}

}  // namespace quorrel::platform
