#include <windows.h>

#include "platform/file_lock.h"
#include "platform/windows/handle.h"

namespace quorrel::platform {

namespace fs = std::filesystem;
using windows::Fail;

namespace {

HANDLE HandleOf(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

// LockFileEx on the file's first byte: the lock belongs to the handle, so that two locks of one
// process stand in each other's way as two processes' do.
std::optional<FileLock> FileLock::TryLock(const fs::path& file, Kind kind)
{
    // Hidden from the start, so that no listing ever shows it; a link is opened as itself.
    const HANDLE handle =
        ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Fail("Cannot open", file);
    }
    FileLock lock(reinterpret_cast<std::intptr_t>(handle));  // closed on every way out but the last
    BY_HANDLE_FILE_INFORMATION information{};
    if (::GetFileType(handle) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0) {
        Fail("Not a plain file", file, ERROR_INVALID_PARAMETER);
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) == 0) {
        // One that was there before, copied in by hand: hidden now, or the listing shows it.
        ::SetFileAttributesW(file.c_str(), information.dwFileAttributes | FILE_ATTRIBUTE_HIDDEN);
    }
    OVERLAPPED start{};
    const DWORD flags =
        LOCKFILE_FAIL_IMMEDIATELY | (kind == Kind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (!::LockFileEx(handle, flags, 0, 1, 0, &start)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
            return std::nullopt;
        }
        Fail("Cannot lock", file, error);
    }
    return lock;
}

FileLock::~FileLock()
{
    if (handle_ != kNone) {
        // Let go at once: the system does so on closing, but only in its own time.
        OVERLAPPED start{};
        ::UnlockFileEx(HandleOf(handle_), 0, 1, 0, &start);
        ::CloseHandle(HandleOf(handle_));
    }
}

}  // namespace quorrel::platform
