#include "platform/file_system.h"

#include <filesystem>

#include "platform/path_text.h"

namespace quorrel::platform {

namespace fs = std::filesystem;

void CreateOneDirectory(const std::string& folder)
{
    if (!fs::create_directory(ToPath(folder))) {
        throw fs::filesystem_error("Folder exists already", ToPath(folder),
                                   std::make_error_code(std::errc::file_exists));
    }
}

bool IsOrdinaryFile(const std::string& path)
{
    std::error_code error;
    const fs::path file = ToPath(path);
    if (!fs::is_regular_file(file, error)) {
        return false;
    }
    return !IsHiddenOrSystem(ToText(file.parent_path()), ToText(file.filename()));
}

std::string CurrentDirectory()
{
    return ToText(fs::current_path());
}

}  // namespace quorrel::platform
