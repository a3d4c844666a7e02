#include <windows.h>

#include <cctype>
#include <string>

#include "platform/drives.h"
#include "platform/windows/wide_text.h"

namespace quorrel::platform {

std::vector<std::string> ListDrives()
{
    // The buffer holds "c:\" texts one after another, each ended by a NUL, with a second NUL at
    // the end; 26 letters need 105 characters.
    char buffer[128] = {};
    const DWORD length = ::GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
    std::vector<std::string> drives;
    for (const char* drive = buffer; drive < buffer + length && *drive != '\0';
         drive += std::char_traits<char>::length(drive) + 1) {
        std::string text(drive, 2);
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        drives.push_back(text);
    }
    return drives;
}

std::string DriveOf(const std::string& path)
{
    return path.substr(0, 2);
}

std::string CurrentDirectoryOfDrive(const std::string& drive)
{
    // "C:" alone names the current folder of drive C, which Windows keeps for each drive. The
    // first call tells the length, which may pass MAX_PATH.
    const std::wstring bare = windows::Widen(drive.substr(0, 2));
    std::wstring buffer(::GetFullPathNameW(bare.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD length = buffer.empty()
                             ? 0
                             : ::GetFullPathNameW(bare.c_str(), static_cast<DWORD>(buffer.size()),
                                                  buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) {
        return drive.substr(0, 2) + "\\";
    }
    // A directory box shows a folder without its trailing "\", a drive root with it ("C:\").
    std::string folder = windows::Narrow(std::wstring_view(buffer.data(), length));
    if (folder.size() > 3 && folder.back() == '\\') {
        folder.pop_back();
    }
    return folder;
}

bool SameDrive(const std::string& left, const std::string& right)
{
    return left.size() == right.size() &&
           ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, left.data(),
                            static_cast<int>(left.size()), right.data(),
                            static_cast<int>(right.size())) == CSTR_EQUAL;
}

}  // namespace quorrel::platform
