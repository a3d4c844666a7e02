#include <windows.h>

#include "platform/beeper.h"

namespace quorrel::platform {

void SystemBeeper::beep()
{
    ::MessageBeep(MB_OK);
}

}  // namespace quorrel::platform
