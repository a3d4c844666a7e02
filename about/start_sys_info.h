#pragma once

#include "platform/program_starter.h"
#include "platform/registry.h"

namespace quorrel {

// What the user is told when no tool can be started.
inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

// Starts the system-information tool that the registry names, without waiting for it: the full
// path under "SOFTWARE\Microsoft\Shared Tools\MSINFO" first, else MSINFO32.EXE in the folder
// under "SOFTWARE\Microsoft\Shared Tools Location". Returns false when no tool could be started,
// whatever the reason; the caller tells the user.
bool StartSysInfo(platform::Registry& registry, platform::ProgramStarter& starter);

}  // namespace quorrel
