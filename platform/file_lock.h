#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>

namespace quorrel::platform {

// A lock that processes take on one file to tell each other that one of them is at work: every
// process on the machine sees it, and the system lets go of it when its holder ends, however it
// ends, so a copy that crashed never stands in the way. Shared locks stand beside each other; an
// exclusive one stands alone.
class FileLock {
public:
    enum class Kind { Shared, Exclusive };

    // Opens `file`, created empty if it is missing and hidden on Windows, without following a
    // link, and locks it without waiting. Empty when another holder's lock is in the way. Throws
    // std::filesystem::filesystem_error when the file cannot be opened, is no plain file, or
    // cannot be locked for another reason.
    static std::optional<FileLock> TryLock(const std::filesystem::path& file, Kind kind);

    FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}
    // The lock held before goes with `other`.
    FileLock& operator=(FileLock&& other) noexcept
    {
        std::swap(handle_, other.handle_);
        return *this;
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

private:
    static constexpr std::intptr_t kNone = -1;
    explicit FileLock(std::intptr_t handle) : handle_(handle) {}

    std::intptr_t handle_;  // the open file: a descriptor, or a Windows handle
};

}  // namespace quorrel::platform
