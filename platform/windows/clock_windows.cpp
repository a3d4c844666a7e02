#include <windows.h>

#include "platform/clock.h"

namespace quorrel::platform {

LocalDateTime SystemClock::now() const
{
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

}  // namespace quorrel::platform
