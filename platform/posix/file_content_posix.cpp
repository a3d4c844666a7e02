#include <algorithm>
#include <array>

#include "platform/file_content.h"
#include "platform/posix/descriptor.h"

namespace quorrel::platform {

namespace fs = std::filesystem;
using posix::Descriptor;
using posix::Fail;

void ReadPlainFile(const fs::path& file, const std::function<void(std::string_view)>& take,
                   std::size_t limit)
{
    struct stat status {};
    Descriptor in = posix::OpenPlainFile(file, O_RDONLY, status);
    std::array<char, 64 * 1024> buffer{};
    while (limit > 0) {
        const ssize_t count =
            posix::ReadSome(in.get(), buffer.data(), std::min(buffer.size(), limit));
        if (count < 0) {
            Fail("Cannot read", file);
        }
        if (count == 0) {
            return;
        }
        limit -= static_cast<std::size_t>(count);
        take(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
    }
}

void AppendInOneWrite(const fs::path& file, std::string_view text)
{
    struct stat status {};
    Descriptor out = posix::OpenPlainFile(file, O_WRONLY | O_APPEND | O_CREAT, status);
    ssize_t written;
    do {
        written = ::write(out.get(), text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        Fail("Cannot write", file);
    }
    if (static_cast<std::size_t>(written) < text.size()) {
        // The text went in at the end, so the part that got in is the file's last bytes.
        const bool cut = ::fstat(out.get(), &status) == 0 &&
                         ::ftruncate(out.get(), status.st_size - written) == 0;
        Fail(cut ? "Cannot write" : "Cannot write, nor cut off what got in of", file, ENOSPC);
    }
    if (out.Close() != 0) {
        Fail("Cannot write", file);
    }
}

}  // namespace quorrel::platform
