#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

// What the POSIX file services share: a descriptor closed on every way out, and the one way to
// open a file that must be a plain file.
namespace quorrel::platform::posix {

[[noreturn]] inline void Fail(const char* what, const std::filesystem::path& file,
                              int error = errno)
{
    throw std::filesystem::filesystem_error(what, file,
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
    int Close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// Opens a plain file for reading and gives its status. A link or a special file is refused
// without being opened: opening a FIFO could wait for a writer, and opening a device can have
// effects of its own.
inline Descriptor OpenPlainFile(const std::filesystem::path& file, struct stat& status)
{
    if (::lstat(file.c_str(), &status) != 0) {
        Fail("Cannot read", file);
    }
    if (!S_ISREG(status.st_mode)) {
        Fail("Not a plain file", file, S_ISLNK(status.st_mode) ? ELOOP : EINVAL);
    }
    Descriptor in(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (in.get() < 0) {
        Fail("Cannot read", file);
    }
    // The name could have been given to something else in between.
    if (::fstat(in.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        Fail("Not a plain file", file, EINVAL);
    }
    return in;
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
