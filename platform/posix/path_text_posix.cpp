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

std::string FullPath(const std::string& path)
{
    if (path.empty()) {
        return {};
    }
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(ToPath(path), error);
    if (error) {
        return {};
    }
    std::string text = ToText(full.lexically_normal());
    if (text.size() > 1 && text.back() == kPathSeparator) {
        text.pop_back();
    }
    return text;
}

}  // namespace quorrel::platform
