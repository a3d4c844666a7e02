#pragma once

#include "platform/registry.h"

namespace quorrel {

// What the user is told when no tool can be started.
inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

// Starts the system-information tool that the registry names, without waiting for it: the full
// path under "SOFTWARE\Microsoft\Shared Tools\MSINFO" first, else MSINFO32.EXE in the folder
// under "SOFTWARE\Microsoft\Shared Tools Location". Throws when no tool can be started, whatever
// the reason (the registry names none, or the start fails); the caller tells the user.
void StartSysInfo(platform::Registry& registry);

}  // namespace quorrel
