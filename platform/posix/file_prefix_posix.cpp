#include "platform/file_prefix.h"

#include "platform/posix/descriptor.h"

namespace quorrel::platform {

std::string ReadFilePrefix(const std::filesystem::path& file, std::size_t limit)
{
    struct stat status {};
    posix::Descriptor in = posix::OpenPlainFile(file, status);
    std::string bytes(limit, '\0');
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t count = posix::ReadSome(in.get(), bytes.data() + got, limit - got);
        if (count < 0) {
            posix::Fail("Cannot read", file);
        }
        if (count == 0) {
            break;
        }
        got += static_cast<std::size_t>(count);
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace quorrel::platform
