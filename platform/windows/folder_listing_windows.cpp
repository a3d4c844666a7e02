#include <windows.h>

#include <filesystem>
#include <memory>

#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "platform/windows/handle.h"

namespace quorrel::platform {

namespace {

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

EntryKind KindOf(DWORD attributes)
{
    if ((attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return EntryKind::Other;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Folder : EntryKind::File;
}

struct CloseSearch {
    void operator()(HANDLE search) const { ::FindClose(search); }
};

}  // namespace

// One search of the folder gives every name with its attributes, size and time.
void WalkFolder(const std::string& folder, const std::function<void(const FolderEntry&)>& take)
{
    const std::filesystem::path path = ToPath(folder);
    WIN32_FIND_DATAW found{};
    HANDLE first = ::FindFirstFileExW((path / L"*").c_str(), FindExInfoBasic, &found,
                                      FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (first == INVALID_HANDLE_VALUE) {
        // The root of an empty drive has no entry at all, not even "." and "..".
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) {
            return;
        }
        windows::Fail("Cannot list", path);
    }
    const std::unique_ptr<void, CloseSearch> search(first);
    do {
        const std::wstring_view wide = found.cFileName;
        if (wide == L"." || wide == L"..") {
            continue;
        }
        const std::string name = ToText(std::filesystem::path(wide));
        const EntryKind kind = KindOf(found.dwFileAttributes);
        const std::string stamp =
            kind == EntryKind::File
                ? StampOf(found.ftLastWriteTime, found.nFileSizeHigh, found.nFileSizeLow)
                : std::string();
        const bool hidden =
            (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
        take({name, kind, hidden, stamp});
    } while (::FindNextFileW(search.get(), &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES) {
        windows::Fail("Cannot list", path);
    }
}

// Read from the file itself rather than from its folder's entry, which NTFS brings up to date
// only when the file is closed: a copy made while the game still writes is then seen as such.
std::string FileStamp(const std::string& file)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(ToPath(file).c_str(), GetFileExInfoStandard, &data)) {
        windows::Fail("Cannot read the stamp of", ToPath(file));
    }
    return StampOf(data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow);
}

}  // namespace quorrel::platform
