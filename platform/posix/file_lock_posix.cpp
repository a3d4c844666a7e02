#include <sys/file.h>

#include "platform/file_lock.h"
#include "platform/posix/descriptor.h"

namespace quorrel::platform {

namespace fs = std::filesystem;
using posix::Fail;

// flock, not fcntl: a process holds an fcntl lock once for all its descriptors and loses it when
// it closes any of them, whereas a flock lock belongs to the one open file, so that two locks of
// one process stand in each other's way as two processes' do.
std::optional<FileLock> FileLock::TryLock(const fs::path& file, Kind kind)
{
    // Never blocking: a FIFO in the lock's place would wait for a writer.
    const int fd =
        ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) {
        Fail("Cannot open", file);
    }
    FileLock lock(fd);  // closed on every way out but the last
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        Fail("Cannot read", file);
    }
    if (!S_ISREG(status.st_mode)) {
        Fail("Not a plain file", file, EINVAL);
    }
    int locked;
    do {
        locked = ::flock(fd, (kind == Kind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        if (errno == EWOULDBLOCK) {
            return std::nullopt;
        }
        Fail("Cannot lock", file);
    }
    return lock;
}

FileLock::~FileLock()
{
    if (handle_ != kNone) {
        // Closing the only descriptor of the open file lets go of its lock.
        ::close(static_cast<int>(handle_));
    }
}

}  // namespace quorrel::platform
