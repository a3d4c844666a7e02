#include <windows.h>

#include <system_error>

#include "platform/path_text.h"
#include "platform/windows/wide_text.h"

namespace quorrel::platform {

// The program's texts are UTF-8, so that a name outside the ANSI code page (a user named
// Дмитрий) survives; the file system's names are UTF-16.

std::filesystem::path ToPath(const std::string& text)
{
    return std::filesystem::path(windows::Widen(text));
}

std::string ToText(const std::filesystem::path& path)
{
    return windows::Narrow(path.native());
}

}  // namespace quorrel::platform
