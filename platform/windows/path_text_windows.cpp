#include <windows.h>

#include <system_error>

#include "platform/path_text.h"

namespace quorrel::platform {

// The program's texts are in the ANSI code page, as the settings file and the ANSI Windows
// functions hold them; the file system's names are UTF-16.

std::filesystem::path ToPath(const std::string& text)
{
    if (text.empty()) {
        return {};
    }
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                "Cannot convert the path " + text);
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    return std::filesystem::path(std::move(wide));
}

// A character that the code page lacks becomes "?", as the ANSI functions show such a name.
std::string ToText(const std::filesystem::path& path)
{
    const std::wstring& wide = path.native();
    if (wide.empty()) {
        return {};
    }
    const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                "Cannot convert a path to the ANSI code page");
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                          length, nullptr, nullptr);
    return text;
}

}  // namespace quorrel::platform
