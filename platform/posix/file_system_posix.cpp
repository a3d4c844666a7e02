#include <filesystem>

#include "platform/file_system.h"
#include "platform/path_text.h"

namespace quorrel::platform {

void RemoveTree(const std::string& folder) noexcept
{
    std::error_code ignored;
    std::filesystem::remove_all(ToPath(folder), ignored);
}

bool IsHiddenOrSystem(const std::string& /*folder*/, const std::string& name)
{
    return !name.empty() && name.front() == '.';
}

}  // namespace quorrel::platform
