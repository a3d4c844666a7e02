#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

// What the POSIX file services share: the one error they throw, a descriptor closed on every way
// out, and the one way to open a file that must be a plain file.
namespace quorrel::platform::posix {

[[noreturn]] inline void Fail(const char* what, const std::filesystem::path& file,
                              int error = errno)
{
    throw std::filesystem::filesystem_error(what, file,
                                            std::error_code(error, std::generic_category()));
}

// A failure on two files: a rename's source and target.
[[noreturn]] inline void Fail(const char* what, const std::filesystem::path& from,
                              const std::filesystem::path& to, int error = errno)
{
    throw std::filesystem::filesystem_error(what, from, to,
                                            std::error_code(error, std::generic_category()));
}

// Close() reports the close itself, which is where some file systems report a failed write.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    // Hands the descriptor over to the caller, who closes it.
    int Release() { return std::exchange(fd_, -1); }
    int Close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// Opens a file that must be a plain file, with `flags` (O_RDONLY, or O_WRONLY | O_APPEND |
// O_CREAT...), and gives its status. A link is refused rather than followed, and nothing waits:
// a FIFO without a writer would block an ordinary open for ever. Anything but a plain file (a
// FIFO, a device, a folder) is refused once open.
inline Descriptor OpenPlainFile(const std::filesystem::path& file, int flags, struct stat& status)
{
    Descriptor fd(::open(file.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666));
    if (fd.get() < 0) {
        Fail("Cannot open", file);
    }
    if (::fstat(fd.get(), &status) != 0) {
        Fail("Cannot read", file);
    }
    if (!S_ISREG(status.st_mode)) {
        Fail("Not a plain file", file, EINVAL);
    }
    return fd;
}

// Reads up to `size` bytes, as read() does, retrying when a signal interrupts it.
inline ssize_t ReadSome(int fd, void* buffer, std::size_t size)
{
    ssize_t count;
    do {
        count = ::read(fd, buffer, size);
    } while (count < 0 && errno == EINTR);
    return count;
}

}  // namespace quorrel::platform::posix
