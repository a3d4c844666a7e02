#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

namespace quorrel::platform {

std::string LastModifiedText(const std::string& file)
{
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        throw std::system_error(errno, std::generic_category(), "Cannot read the stamp of " + file);
    }
    std::tm local{};
    localtime_r(&status.st_mtime, &local);
    return StampText(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                     local.tm_min, local.tm_sec);
}

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
