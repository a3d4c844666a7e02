#include "settings/save_folder_search.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string_view>

#include "platform/file_lister.h"
#include "platform/folder_listing.h"
#include "platform/operating_system.h"
#include "platform/path_text.h"
#include "snapshot/save_set.h"

namespace quorrel {

namespace {

namespace fs = std::filesystem;

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Joins each part with one separator; an empty base gives nothing, so that an unset variable
// never turns into a folder at the root.
std::string Under(const std::string& base, std::initializer_list<std::string_view> parts)
{
    if (base.empty()) {
        return {};
    }
    std::string path = base;
    for (const std::string_view part : parts) {
        path = platform::JoinPath(path, part);
    }
    return path;
}

void AddIfSet(std::vector<std::string>& folders, std::string folder)
{
    if (!folder.empty()) {
        folders.push_back(std::move(folder));
    }
}

// The game stores the folder with a separator at its end, which a directory box never shows.
std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') &&
           path[path.size() - 2] != ':') {
        path.pop_back();
    }
    return path;
}

// The Save Path value that the game writes for its user, or empty.
std::string RegistrySavePath(platform::Registry& registry)
{
    platform::RegistryKey key = 0;
    if (registry.RegOpenKeyExA(platform::kHKeyCurrentUser,
                               "Software\\Blizzard Entertainment\\Diablo II", 0, platform::kKeyRead,
                               key) != platform::kErrorSuccess) {
        return {};
    }
    std::vector<unsigned char> data(1024);
    std::uint32_t type = 0;
    auto size = static_cast<std::uint32_t>(data.size());
    const long status = registry.RegQueryValueExA(key, "Save Path", type, data.data(), size);
    registry.RegCloseKey(key);
    if (status != platform::kErrorSuccess || type != platform::kRegSz) {
        return {};
    }
    std::string text(data.begin(), data.begin() + size);
    text.resize(std::min(text.size(), text.find('\0')));
    return WithoutTrailingSeparators(std::move(text));
}

// The full paths of a folder's sub-folders; none when it cannot be listed, since each place
// searched is only a guess.
std::vector<std::string> SubFolderPaths(const std::string& folder)
{
    std::vector<std::string> paths;
    try {
        for (const std::string& name : platform::ListSubFolders(folder)) {
            paths.push_back(platform::JoinPath(folder, name));
        }
    } catch (const std::exception&) {
        paths.clear();
    }
    return paths;
}

// The Windows folders of one user of a Wine prefix.
void AddWineUser(std::vector<std::string>& folders, const std::string& user)
{
    folders.push_back(Under(user, {"Saved Games", "Diablo II Resurrected"}));
    folders.push_back(Under(user, {"Saved Games", "Diablo II"}));
    folders.push_back(Under(
        user, {"AppData", "Local", "VirtualStore", "Program Files (x86)", "Diablo II", "Save"}));
}

}  // namespace

SaveFolderEnvironment ProcessEnvironment()
{
    return {Variable("HOME"), Variable("USERPROFILE"), Variable("LOCALAPPDATA"),
            Variable("WINEPREFIX")};
}

std::vector<std::string> WindowsSaveFolders(const SaveFolderEnvironment& environment,
                                            platform::Registry* registry)
{
    std::vector<std::string> folders;
    if (registry != nullptr) {
        AddIfSet(folders, RegistrySavePath(*registry));
    }
    AddIfSet(folders, Under(environment.userProfile, {"Saved Games", "Diablo II Resurrected"}));
    AddIfSet(folders, Under(environment.userProfile, {"Saved Games", "Diablo II"}));
    AddIfSet(folders, Under(environment.localAppData,
                            {"VirtualStore", "Program Files (x86)", "Diablo II", "Save"}));
    return folders;
}

std::vector<std::string> MacSaveFolders(const SaveFolderEnvironment& environment)
{
    std::vector<std::string> folders;
    AddIfSet(folders,
             Under(environment.home, {"Library", "Application Support", "Blizzard", "Diablo II"}));
    return folders;
}

std::vector<std::string> WineSaveFolders(const SaveFolderEnvironment& environment)
{
    std::vector<std::string> prefixes;
    AddIfSet(prefixes, environment.winePrefix);
    AddIfSet(prefixes, Under(environment.home, {".wine"}));
    for (const std::string& lutris : SubFolderPaths(Under(environment.home, {"Games"}))) {
        prefixes.push_back(lutris);
    }
    for (const std::string& bottle :
         SubFolderPaths(Under(environment.home, {".local", "share", "bottles", "bottles"}))) {
        prefixes.push_back(bottle);
    }

    std::vector<std::string> folders;
    std::vector<std::string> seen;
    for (const std::string& prefix : prefixes) {
        // $WINEPREFIX is often ~/.wine itself.
        const std::string normal = platform::ToText(platform::ToPath(prefix).lexically_normal());
        if (std::find(seen.begin(), seen.end(), normal) != seen.end()) {
            continue;
        }
        seen.push_back(normal);
        for (const std::string& user : SubFolderPaths(Under(prefix, {"drive_c", "users"}))) {
            AddWineUser(folders, user);
        }
    }
    return folders;
}

std::vector<std::string> SaveFolderCandidates(const SaveFolderEnvironment& environment,
                                              platform::Registry* registry)
{
    switch (platform::HostOperatingSystem()) {
        case platform::OperatingSystem::Windows:
            return WindowsSaveFolders(environment, registry);
        case platform::OperatingSystem::MacOS:
            return MacSaveFolders(environment);
        case platform::OperatingSystem::Linux:
            break;
    }
    return WineSaveFolders(environment);
}

std::string FirstSaveFolder(const std::vector<std::string>& candidates)
{
    platform::FileLister lister;
    for (const std::string& folder : candidates) {
        try {
            lister.list(folder);
            if (IsSaveSet(lister.names())) {
                return folder;
            }
        } catch (const std::exception&) {
            // Most of the places are missing on any one machine: each is only a guess.
        }
    }
    return {};
}

std::string FindSaveFolder(const SaveFolderEnvironment& environment, platform::Registry* registry)
{
    return FirstSaveFolder(SaveFolderCandidates(environment, registry));
}

}  // namespace quorrel
