#pragma once

#include <string>

namespace quorrel::platform {

inline constexpr int kShowNormal = 1;  // a normal window that gets the focus

// Starts a program detached: nothing waits for it, and it outlives this program. Throws when it
// cannot be started.
void Shell(const std::string& program, int showCommand);

}  // namespace quorrel::platform
