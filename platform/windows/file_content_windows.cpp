#include <windows.h>

#include <algorithm>
#include <array>

#include "platform/file_content.h"
#include "platform/windows/handle.h"

namespace quorrel::platform {

namespace fs = std::filesystem;
using windows::Fail;
using windows::Handle;

void ReadPlainFile(const fs::path& file, const std::function<void(std::string_view)>& take,
                   std::size_t limit)
{
    const Handle in = windows::OpenPlainFile(file, GENERIC_READ, windows::kShareAll, OPEN_EXISTING,
                                             FILE_FLAG_SEQUENTIAL_SCAN);
    std::array<char, 64 * 1024> buffer{};
    while (limit > 0) {
        DWORD count = 0;
        if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(std::min(buffer.size(), limit)),
                        &count, nullptr)) {
            Fail("Cannot read", file);
        }
        if (count == 0) {
            return;
        }
        limit -= count;
        take(std::string_view(buffer.data(), count));
    }
}

void AppendInOneWrite(const fs::path& file, std::string_view text)
{
    // Append access alone: every write goes to the end of the file, whoever else appends.
    const Handle out = windows::OpenPlainFile(file, FILE_APPEND_DATA | SYNCHRONIZE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
    DWORD written = 0;
    const BOOL done =
        ::WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    const DWORD error = ::GetLastError();
    if (written > 0 && written < text.size()) {
        // The part that got in is the file's last bytes: cut it off through a handle that may.
        LARGE_INTEGER size{};
        if (::GetFileSizeEx(out.get(), &size)) {
            const Handle cut(::CreateFileW(file.c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
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
