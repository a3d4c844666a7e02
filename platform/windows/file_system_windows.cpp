#include <windows.h>

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_text.h"

namespace quorrel::platform {

// Windows' own copy: it replaces the target and carries the last-modified time over. (The
// standard library of MinGW takes any two files of one drive for the same file and refuses.)
void CopyOneFile(const std::filesystem::path& source, const std::filesystem::path& target)
{
    if (!::CopyFileW(source.c_str(), target.c_str(), FALSE)) {
        throw std::filesystem::filesystem_error(
            "Cannot copy", source, target,
            std::error_code(static_cast<int>(::GetLastError()), std::system_category()));
    }
}

bool PatternsIgnoreCase()
{
    return true;
}

bool IsHiddenOrSystem(const std::string& folder, const std::string& name)
{
    const DWORD attributes = ::GetFileAttributesA(JoinPath(folder, name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;  // reading the entry's stamp reports the trouble
    }
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

}  // namespace quorrel::platform
