#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"

namespace quorrel {

// What the search for the game's save folder reads from the environment; each is empty when the
// variable is not set.
struct SaveFolderEnvironment {
    std::string home;          // HOME
    std::string userProfile;   // USERPROFILE
    std::string localAppData;  // LOCALAPPDATA
    std::string winePrefix;    // WINEPREFIX
};

// The values of this process.
SaveFolderEnvironment ProcessEnvironment();

// Where the game keeps its saves, in the order in which they are tried. A folder built on a
// variable that is not set is left out, never taken from the root.
//
// Windows: the Save Path that the game stores under HKEY_CURRENT_USER (read access only; none
// without a registry), then %USERPROFILE%\Saved Games\Diablo II Resurrected, %USERPROFILE%\Saved
// Games\Diablo II and %LOCALAPPDATA%\VirtualStore\Program Files (x86)\Diablo II\Save.
std::vector<std::string> WindowsSaveFolders(const SaveFolderEnvironment& environment,
                                            platform::Registry* registry);

// macOS: ~/Library/Application Support/Blizzard/Diablo II.
std::vector<std::string> MacSaveFolders(const SaveFolderEnvironment& environment);

// Linux: the same folders as on Windows inside the Wine prefixes, for each user of a prefix
// (drive_c/users/*, in order of name). The prefixes: $WINEPREFIX, ~/.wine, each folder of
// ~/Games (Lutris) and each folder of ~/.local/share/bottles/bottles (Bottles).
std::vector<std::string> WineSaveFolders(const SaveFolderEnvironment& environment);

// The folders of this operating system; the registry is Windows' (none elsewhere).
std::vector<std::string> SaveFolderCandidates(const SaveFolderEnvironment& environment,
                                              platform::Registry* registry);

// The first folder whose plain files make a save set (see IsSaveSet); empty when none does. A
// folder that is missing or cannot be listed is passed over.
std::string FirstSaveFolder(const std::vector<std::string>& candidates);

// The game's save folder on this machine, or empty: what a first-time user is shown first.
std::string FindSaveFolder(const SaveFolderEnvironment& environment, platform::Registry* registry);

}  // namespace quorrel
