#pragma once

#include <string>

namespace quorrel {

// The three settings, lines 1 to 3 of Settings.ini. All are text, the refresh time too: it is
// kept as the player typed it and converted only where a number is needed.
struct Settings {
    std::string SaveGameDir;  // the game's save folder
    std::string SnapshotDir;  // the folder that receives the snapshot folders
    std::string RefreshTime;  // seconds between checks

    bool operator==(const Settings&) const = default;
};

}  // namespace quorrel
