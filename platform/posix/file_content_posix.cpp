#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/file_content.h"
#include "platform/posix/descriptor.h"

namespace quorrel::platform {

namespace fs = std::filesystem;
using posix::Descriptor;
using posix::Fail;

void ReadPlainFile(const fs::path& file, const std::function<void(std::string_view)>& take)
{
    struct stat status {};
    Descriptor in = posix::OpenPlainFile(file, status);
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const ssize_t count = posix::ReadSome(in.get(), buffer.data(), buffer.size());
        if (count < 0) {
            Fail("Cannot read", file);
        }
        if (count == 0) {
            return;
        }
        take(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
    }
}

void AppendInOneWrite(const fs::path& file, std::string_view text)
{
    // Neither a link followed nor a FIFO waited on: O_NONBLOCK makes a FIFO without a reader fail
    // at once, and one with a reader is refused as no plain file.
    Descriptor out(::open(
        file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666));
    if (out.get() < 0) {
        Fail("Cannot open", file);
    }
    struct stat kind {};
    if (::fstat(out.get(), &kind) != 0 || !S_ISREG(kind.st_mode)) {
        Fail("Not a plain file", file, EINVAL);
    }
    ssize_t written;
    do {
        written = ::write(out.get(), text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        Fail("Cannot write", file);
    }
    if (static_cast<std::size_t>(written) < text.size()) {
        // The text went in at the end, so the part that got in is the file's last bytes.
        struct stat status {};
        const bool cut = ::fstat(out.get(), &status) == 0 &&
                         ::ftruncate(out.get(), status.st_size - written) == 0;
        Fail(cut ? "Cannot write" : "Cannot write, nor cut off what got in of", file, ENOSPC);
    }
    if (out.Close() != 0) {
        Fail("Cannot write", file);
    }
}

}  // namespace quorrel::platform
