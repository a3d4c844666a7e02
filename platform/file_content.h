#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

// Reading a file that the program does not own, and appending to its log. Both throw
// std::filesystem::filesystem_error naming the file and the system's reason.
namespace quorrel::platform {

// Reads a plain file from its start to its end and hands its bytes on, in order, in pieces of
// any size. A link or a special file (a FIFO, a device) is refused without being opened or
// waited on. `take` may throw to stop early; the file is closed on every way out.
void ReadPlainFile(const std::filesystem::path& file,
                   const std::function<void(std::string_view piece)>& take);

// Appends text to the end of a file, created if missing, in one write, so that the text is
// there whole or not at all: when a full disk lets only part of it in, that part is cut off
// again before the failure is thrown. Anything but a plain file in its place (a link, a FIFO, a
// device) is refused, neither followed nor waited on.
void AppendInOneWrite(const std::filesystem::path& file, std::string_view text);

}  // namespace quorrel::platform
