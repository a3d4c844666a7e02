#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <limits>
#include <string_view>

// Reading a file that the program does not own, and appending to its log. Only a plain file is
// read or written: a link is neither followed nor written through, and a FIFO or a device is
// refused without waiting on it. Both throw std::filesystem::filesystem_error naming the file and
// the system's reason.
namespace quorrel::platform {

// Hands on the bytes of a plain file from its start, in order, in pieces of any size, up to
// `limit` bytes in all. `take` may throw to stop early; the file is closed on every way out.
void ReadPlainFile(const std::filesystem::path& file,
                   const std::function<void(std::string_view piece)>& take,
                   std::size_t limit = std::numeric_limits<std::size_t>::max());

// Appends text to the end of a file, created if missing, in one write, so that the text is
// there whole or not at all: when a full disk lets only part of it in, that part is cut off
// again before the failure is thrown.
void AppendInOneWrite(const std::filesystem::path& file, std::string_view text);

}  // namespace quorrel::platform
