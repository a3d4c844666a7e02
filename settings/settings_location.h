#pragma once

#include <functional>
#include <string>

namespace quorrel {

// Whether files can be created in a folder (see platform::CanCreateFilesIn).
using FolderCheck = std::function<bool(const std::string& folder)>;

// Where Settings.ini lives. Beside the executable whenever it is there already or that folder
// takes new files, so that a copy carried on a stick keeps its settings with it; otherwise (a
// program installed where its user cannot write) in the user's configuration folder for the
// program, which is created when the settings are first saved. An empty configuration folder
// (the system names none) leaves the settings beside the executable.
std::string SettingsFileLocation(const std::string& applicationDirectory,
                                 const std::string& configurationDirectory,
                                 const FolderCheck& canCreateFilesIn);

}  // namespace quorrel
