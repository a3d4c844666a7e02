#include <cstdio>

#include "platform/beeper.h"

namespace quorrel::platform {

// Without a window system the terminal's bell is the default beep.
void SystemBeeper::beep()
{
    std::fputc('\a', stderr);
    std::fflush(stderr);
}

}  // namespace quorrel::platform
