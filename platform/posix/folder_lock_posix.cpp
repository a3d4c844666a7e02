#include <sys/file.h>

#include "platform/folder_lock.h"
#include "platform/posix/descriptor.h"

namespace quorrel::platform {

// flock, not fcntl: an fcntl lock belongs to the process, which loses it when it closes any
// descriptor of the file, and an exclusive one needs a file open for writing, which a folder
// cannot be.
std::optional<FolderLock> FolderLock::TryLock(const std::string& folder, Kind kind)
{
    posix::Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) {
        posix::Fail("Cannot open", folder);
    }
    int locked;
    do {
        locked = ::flock(fd.get(), (kind == Kind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0 && errno == EWOULDBLOCK) {
        return std::nullopt;
    }
    // Locked, or on a file system that cannot lock at all.
    return FolderLock({fd.Release()});
}

FolderLock::~FolderLock()
{
    // Closing the only descriptor of the open folder lets go of its lock.
    for (const std::intptr_t fd : held_) {
        ::close(static_cast<int>(fd));
    }
}

}  // namespace quorrel::platform
