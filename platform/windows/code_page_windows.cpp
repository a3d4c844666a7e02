#include <windows.h>

#include "platform/code_page.h"
#include "platform/windows/wide_text.h"

namespace quorrel::platform {

std::optional<std::string> ToCodePage(std::string_view text)
{
    const std::wstring wide = windows::Widen(text);
    if (wide.empty()) {
        return std::string();
    }
    // No best fit: "Д" must not quietly become "?" or "D", which would name another folder.
    const int size = static_cast<int>(wide.size());
    BOOL lacking = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                             nullptr, 0, nullptr, &lacking);
    if (length <= 0 || lacking) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), length,
                          nullptr, nullptr);
    // Text that is no UTF-8 (read from a file) would come back otherwise.
    if (FromCodePage(bytes) != text) {
        return std::nullopt;
    }
    return bytes;
}

std::string FromCodePage(std::string_view bytes)
{
    return windows::Narrow(windows::Widen(bytes, CP_ACP));
}

}  // namespace quorrel::platform
