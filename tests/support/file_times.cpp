#include "support/file_times.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace quorrel::test {

void SetModified(const std::filesystem::path& file, std::int64_t seconds, std::int32_t nanoseconds)
{
#ifdef _WIN32
    // 100 ns steps since 1601.
    const std::uint64_t ticks = static_cast<std::uint64_t>(seconds + 11644473600LL) * 10000000u +
                                static_cast<std::uint64_t>(nanoseconds / 100);
    FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    HANDLE handle = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool done =
        handle != INVALID_HANDLE_VALUE && ::SetFileTime(handle, nullptr, nullptr, &time);
    const DWORD error = ::GetLastError();
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
    }
    if (!done) {
        throw std::system_error(static_cast<int>(error), std::system_category(), "SetFileTime");
    }
#else
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), nanoseconds}};
    if (::utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        throw std::system_error(errno, std::generic_category(), "utimensat");
    }
#endif
}

}  // namespace quorrel::test
