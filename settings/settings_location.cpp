#include "settings/settings_location.h"

#include <filesystem>

#include "platform/path_text.h"
#include "settings/settings_file.h"

namespace quorrel {

std::string SettingsFileLocation(const std::string& applicationDirectory,
                                 const std::string& configurationDirectory,
                                 const FolderCheck& canCreateFilesIn)
{
    std::string beside = SettingsFilePath(applicationDirectory);
    std::error_code ignored;  // a file that cannot even be looked at is no file there
    const bool installed =
        std::filesystem::exists(platform::ToPath(applicationDirectory) / kUninstallerName, ignored);
    if (std::filesystem::exists(platform::ToPath(beside), ignored) ||
        (!installed && canCreateFilesIn(applicationDirectory)) || configurationDirectory.empty()) {
        return beside;
    }
    return SettingsFilePath(configurationDirectory);
}

}  // namespace quorrel
