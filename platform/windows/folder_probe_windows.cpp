#include <windows.h>

#include "platform/folder_probe.h"
#include "platform/path_text.h"

namespace quorrel::platform {

bool CanCreateFilesIn(const std::string& folder)
{
    // With 0 for its number, GetTempFileName creates the file under a name that no file has.
    wchar_t name[MAX_PATH] = {};
    if (::GetTempFileNameW(ToPath(folder).c_str(), L"qrl", 0, name) == 0) {
        return false;
    }
    ::DeleteFileW(name);
    return true;
}

}  // namespace quorrel::platform
