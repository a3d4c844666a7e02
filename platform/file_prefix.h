#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace quorrel::platform {

// The first bytes of a plain file, at most `limit` of them: fewer when the file is shorter. A
// link or a special file (a FIFO, a device) is refused without being opened, and the read never
// waits for a writer. Throws std::filesystem::filesystem_error naming the file and the system's
// reason.
std::string ReadFilePrefix(const std::filesystem::path& file, std::size_t limit);

}  // namespace quorrel::platform
