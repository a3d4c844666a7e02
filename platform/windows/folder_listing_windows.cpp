#include <windows.h>

#include <filesystem>
#include <system_error>

#include "platform/folder_listing.h"
#include "platform/path_text.h"

namespace quorrel::platform {

namespace {

[[noreturn]] void Fail(const std::string& what, DWORD error = ::GetLastError())
{
    throw std::system_error(static_cast<int>(error), std::system_category(), what);
}

// 100 ns steps since 1601, as seconds and nanoseconds since 1970.
std::string StampOf(const FILETIME& modified, DWORD sizeHigh, DWORD sizeLow)
{
    constexpr std::int64_t kStepsTo1970 = 116444736000000000LL;
    constexpr std::int64_t kStepsPerSecond = 10000000;
    const std::int64_t steps =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(modified.dwHighDateTime) << 32) |
                                  modified.dwLowDateTime) -
        kStepsTo1970;
    std::int64_t seconds = steps / kStepsPerSecond;
    std::int64_t rest = steps % kStepsPerSecond;
    if (rest < 0) {
        rest += kStepsPerSecond;
        --seconds;
    }
    return StampText(seconds, static_cast<std::uint32_t>(rest * 100),
                     (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow);
}

// Not listed: folders, reparse points (links), devices, hidden and system files.
constexpr DWORD kNotListed = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                             FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

}  // namespace

// One search of the folder gives every name with its attributes, size and time.
void VisitFolder(const std::string& folder,
                 const std::function<void(std::string_view, std::string_view)>& take)
{
    const std::filesystem::path pattern = ToPath(folder) / L"*";
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        // The root of an empty drive has no entry at all, not even "." and "..".
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) {
            return;
        }
        Fail("Cannot list " + folder);
    }
    DWORD error = ERROR_NO_MORE_FILES;
    try {
        do {
            if ((found.dwFileAttributes & kNotListed) == 0) {
                take(ToText(std::filesystem::path(found.cFileName)),
                     StampOf(found.ftLastWriteTime, found.nFileSizeHigh, found.nFileSizeLow));
            }
        } while (::FindNextFileW(search, &found));
        error = ::GetLastError();
    } catch (...) {
        ::FindClose(search);
        throw;
    }
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        Fail("Cannot list " + folder, error);
    }
}

// Read from the file itself rather than from its folder's entry, which NTFS brings up to date
// only when the file is closed: a copy made while the game still writes is then seen as such.
std::string FileStamp(const std::string& file)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(ToPath(file).c_str(), GetFileExInfoStandard, &data)) {
        Fail("Cannot read the stamp of " + file);
    }
    return StampOf(data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow);
}

}  // namespace quorrel::platform
