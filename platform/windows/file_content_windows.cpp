#include <windows.h>

#include <array>
#include <system_error>

#include "platform/file_content.h"
#include "platform/windows/handle.h"

namespace quorrel::platform {

namespace fs = std::filesystem;
using windows::Fail;
using windows::Handle;

void ReadPlainFile(const fs::path& file, const std::function<void(std::string_view)>& take)
{
    windows::RequirePlainFile(file);
    // Shared every way, so that the game can go on writing or replacing it meanwhile.
    Handle in(::CreateFileW(
        file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (in.get() == INVALID_HANDLE_VALUE) {
        Fail("Cannot read", file);
    }
    if (::GetFileType(in.get()) != FILE_TYPE_DISK) {
        Fail("Not a plain file", file, ERROR_INVALID_PARAMETER);
    }
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        DWORD count = 0;
        if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &count,
                        nullptr)) {
            Fail("Cannot read", file);
        }
        if (count == 0) {
            return;
        }
        take(std::string_view(buffer.data(), count));
    }
}

void AppendInOneWrite(const fs::path& file, std::string_view text)
{
    // Append access alone: every write goes to the end of the file, whoever else appends.
    // A link is opened as itself, not followed, and then refused, as is anything but a file.
    Handle out(::CreateFileW(file.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) {
        Fail("Cannot open", file);
    }
    BY_HANDLE_FILE_INFORMATION kind{};
    if (::GetFileType(out.get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(out.get(), &kind) ||
        (kind.dwFileAttributes &
         (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        Fail("Not a plain file", file, ERROR_INVALID_PARAMETER);
    }
    DWORD written = 0;
    const BOOL done =
        ::WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    const DWORD error = ::GetLastError();
    if (written > 0 && written < text.size()) {
        // The part that got in is the file's last bytes: cut it off through a handle that may.
        LARGE_INTEGER size{};
        if (::GetFileSizeEx(out.get(), &size)) {
            Handle cut(::CreateFileW(file.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            FILE_END_OF_FILE_INFO end{};
            end.EndOfFile.QuadPart = size.QuadPart - written;
            if (cut.get() != INVALID_HANDLE_VALUE) {
                ::SetFileInformationByHandle(cut.get(), FileEndOfFileInfo, &end, sizeof end);
            }
        }
    }
    if (!done || written < text.size()) {
        Fail("Cannot write", file, done ? ERROR_DISK_FULL : error);
    }
}

}  // namespace quorrel::platform
