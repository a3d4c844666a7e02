#pragma once

#include <windows.h>

#include <filesystem>
#include <system_error>
#include <utility>

// What the Windows file services share: the one error they throw, a handle closed on every way
// out, and the one way to open a file that must be a plain file.
namespace quorrel::platform::windows {

[[noreturn]] inline void Fail(const char* what, const std::filesystem::path& file,
                              DWORD error = ::GetLastError())
{
    throw std::filesystem::filesystem_error(
        what, file, std::error_code(static_cast<int>(error), std::system_category()));
}

// A failure on two files: a rename's source and target. A name that is taken is told as it is on
// every system, std::errc::file_exists.
[[noreturn]] inline void Fail(const char* what, const std::filesystem::path& from,
                              const std::filesystem::path& to, DWORD error = ::GetLastError())
{
    const std::error_code code =
        error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS
            ? std::make_error_code(std::errc::file_exists)
            : std::error_code(static_cast<int>(error), std::system_category());
    throw std::filesystem::filesystem_error(what, from, to, code);
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle()
    {
        if (handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr) {
            ::CloseHandle(handle_);
        }
    }
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Opens a file that must be a plain file, as CreateFileW does with these arguments. A link (a
// reparse point) is opened as itself rather than followed, and then refused, as is anything but
// a file on a disk: a folder, a device, a pipe.
inline Handle OpenPlainFile(const std::filesystem::path& file, DWORD access, DWORD share,
                            DWORD disposition, DWORD flags = 0)
{
    Handle handle(
        ::CreateFileW(file.c_str(), access | FILE_READ_ATTRIBUTES, share, nullptr, disposition,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr));
    if (handle.get() == INVALID_HANDLE_VALUE) {
        Fail("Cannot open", file);
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (::GetFileType(handle.get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(handle.get(), &information) ||
        (information.dwFileAttributes &
         (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        Fail("Not a plain file", file, ERROR_INVALID_PARAMETER);
    }
    return handle;
}

// Shared every way, so that the game can go on writing or replacing a file while it is read.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace quorrel::platform::windows
