#pragma once

#include <string>
#include <vector>

#include "snapshot/filenames.h"

namespace quorrel {

// The state that the windows and the snapshot engine share for the program's whole lifetime.
struct Module1 {
    // The three settings, lines 1 to 3 of Settings.ini; all text, the refresh time too.
    std::string SaveGameDir;
    std::string SnapshotDir;
    std::string RefreshTime;

    // The save folder as last seen, and as listed by the running check.
    std::vector<Filenames> KnownFiles;
    std::vector<Filenames> CurrentFiles;
};

}  // namespace quorrel
