#include "platform/windows/wide_text.h"

#include <system_error>

namespace quorrel::platform::windows {

std::wstring Widen(std::string_view text, UINT codePage)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                "Cannot convert the text " + std::string(text));
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                "Cannot convert a name to UTF-8");
    }
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

}  // namespace quorrel::platform::windows
