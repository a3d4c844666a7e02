#pragma once

namespace quorrel::platform {

enum class OperatingSystem { Windows, MacOS, Linux };

// The system the program was built for. Logic that differs by system asks this rather than the
// compiler, so that every variant builds, and is tested, everywhere.
OperatingSystem HostOperatingSystem();

}  // namespace quorrel::platform
