#pragma once

#include <windows.h>

#include <filesystem>
#include <system_error>

// What the Windows file services share: the error they throw, a handle closed on every way out,
// and the one test of a plain file.
namespace quorrel::platform::windows {

[[noreturn]] inline void Fail(const char* what, const std::filesystem::path& file,
                              DWORD error = ::GetLastError())
{
    throw std::filesystem::filesystem_error(
        what, file, std::error_code(static_cast<int>(error), std::system_category()));
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle()
    {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Refuses anything but a plain file before it is opened: a link (a reparse point) would be
// followed, and a device opened.
inline void RequirePlainFile(const std::filesystem::path& file)
{
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Fail("Cannot read", file);
    }
    if ((attributes &
         (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        Fail("Not a plain file", file, ERROR_INVALID_PARAMETER);
    }
}

}  // namespace quorrel::platform::windows
