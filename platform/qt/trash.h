#pragma once

#include <string>

namespace quorrel::platform {

// Moves a file or a folder to the system's recycle bin or trash, from where the player can
// restore it. False, and nothing moved, where its drive has none.
bool MoveToRecycleBin(const std::string& path);

}  // namespace quorrel::platform
