#include "platform/operating_system.h"

namespace quorrel::platform {

OperatingSystem HostOperatingSystem()
{
    return OperatingSystem::Windows;
}

}  // namespace quorrel::platform
