#include <filesystem>

#include "platform/file_system.h"

namespace quorrel::platform {

void CopyOneFile(const std::filesystem::path& source, const std::filesystem::path& target)
{
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::last_write_time(target, std::filesystem::last_write_time(source));
}

bool PatternsIgnoreCase()
{
    return false;
}

bool IsHiddenOrSystem(const std::string& /*folder*/, const std::string& name)
{
    return !name.empty() && name.front() == '.';
}

}  // namespace quorrel::platform
