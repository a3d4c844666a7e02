#include "platform/path_text.h"

namespace quorrel::platform {

std::filesystem::path ToPath(const std::string& text)
{
    return std::filesystem::path(text);
}

std::string ToText(const std::filesystem::path& path)
{
    return path.string();
}

}  // namespace quorrel::platform
