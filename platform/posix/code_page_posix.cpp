#include "platform/code_page.h"

namespace quorrel::platform {

// The system's encoding is UTF-8 already.

std::optional<std::string> ToCodePage(std::string_view text)
{
    return std::string(text);
}

std::string FromCodePage(std::string_view bytes)
{
    return std::string(bytes);
}

}  // namespace quorrel::platform
