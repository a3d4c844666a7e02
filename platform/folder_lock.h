#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorrel::platform {

// A lock that copies of the program take on a folder, to tell each other that one of them is at
// work in it: shared locks stand beside each other, an exclusive one stands alone. It writes
// nothing, neither into the folder nor anywhere else: on Linux and macOS it is flock on the folder
// itself, on Windows a set of named mutexes named after the folder's full path. Either way the
// system lets go of it when its holder ends, however it ends, so a copy that crashed never stands
// in the way. Two paths to one folder (a link, another drive letter) take the same lock.
//
// A lock belongs to the lock object, not to the process, on Linux and macOS: two locks of one
// process stand in each other's way as two processes' do. On Windows a mutex belongs to a thread,
// which may take it again; another thread or process stands in its way.
class FolderLock {
public:
    enum class Kind { Shared, Exclusive };

    // Locks the folder without waiting. Empty when another holder's lock is in the way. Throws
    // std::filesystem::filesystem_error naming the folder when it cannot be opened (it is missing,
    // or no folder). Where the system cannot lock it (some network file systems), the lock is
    // given all the same: going on unguarded beats refusing every restore there.
    static std::optional<FolderLock> TryLock(const std::string& folder, Kind kind);

    FolderLock(FolderLock&& other) noexcept : held_(std::exchange(other.held_, {})) {}
    FolderLock& operator=(FolderLock&& other) noexcept
    {
        std::swap(held_, other.held_);
        return *this;
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

private:
    explicit FolderLock(std::vector<std::intptr_t> held) : held_(std::move(held)) {}

    std::vector<std::intptr_t> held_;  // a descriptor, or Windows mutex handles
};

}  // namespace quorrel::platform
