#include <windows.h>

#include "platform/file_prefix.h"
#include "platform/windows/handle.h"

namespace quorrel::platform {

std::string ReadFilePrefix(const std::filesystem::path& file, std::size_t limit)
{
    windows::RequirePlainFile(file);
    // Shared every way, so that the game can go on writing or replacing it meanwhile.
    windows::Handle in(::CreateFileW(
        file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (in.get() == INVALID_HANDLE_VALUE) {
        windows::Fail("Cannot read", file);
    }
    if (::GetFileType(in.get()) != FILE_TYPE_DISK) {
        windows::Fail("Not a plain file", file, ERROR_INVALID_PARAMETER);
    }
    std::string bytes(limit, '\0');
    std::size_t got = 0;
    while (got < limit) {
        DWORD count = 0;
        if (!::ReadFile(in.get(), bytes.data() + got, static_cast<DWORD>(limit - got), &count,
                        nullptr)) {
            windows::Fail("Cannot read", file);
        }
        if (count == 0) {
            break;
        }
        got += count;
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace quorrel::platform
