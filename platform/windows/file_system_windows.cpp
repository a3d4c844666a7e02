#include <windows.h>

#include "platform/file_system.h"
#include "platform/path_text.h"

namespace quorrel::platform {

bool IsHiddenOrSystem(const std::string& folder, const std::string& name)
{
    const DWORD attributes = ::GetFileAttributesW(ToPath(JoinPath(folder, name)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;  // reading the entry's stamp reports the trouble
    }
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

}  // namespace quorrel::platform
