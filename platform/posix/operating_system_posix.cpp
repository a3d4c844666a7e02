#include "platform/operating_system.h"

namespace quorrel::platform {

OperatingSystem HostOperatingSystem()
{
#ifdef __APPLE__
    return OperatingSystem::MacOS;
#else
    return OperatingSystem::Linux;
#endif
}

}  // namespace quorrel::platform
