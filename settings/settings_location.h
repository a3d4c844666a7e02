#pragma once

#include <functional>
#include <string>

namespace quorrel {

// Whether files can be created in a folder (see platform::CanCreateFilesIn).
using FolderCheck = std::function<bool(const std::string& folder)>;

// The setup program puts its uninstaller beside the program under this name. A copy with it is
// an installed one, even where its folder takes files (a per-user install, or any under Wine).
inline constexpr char kUninstallerName[] = "uninstall.exe";

// Where Settings.ini lives. Beside the executable whenever it is there already, or that folder
// takes new files and holds no uninstaller, so that a portable copy keeps its settings with it;
// otherwise (an installed program) in the user's configuration folder for the program, which is
// created when the settings are first saved. An empty configuration folder (the system names
// none) leaves the settings beside the executable.
std::string SettingsFileLocation(const std::string& applicationDirectory,
                                 const std::string& configurationDirectory,
                                 const FolderCheck& canCreateFilesIn);

}  // namespace quorrel
