#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/file_ops.h"

namespace quorrel {

// A thinned folder that the system has no recycle bin for is first renamed to this hidden name in
// SnapshotDir, then removed; the sweep at start-up (RemoveUnfinishedSnapshots) removes what a
// kill left of it.
inline constexpr std::string_view kThinnedPrefix = ".quorrel-old-";

// Moves a folder to the system's recycle bin or trash; false where its drive has none, the
// folder then being where it was.
using MoveToTrash = std::function<bool(const std::string& folder)>;

struct ThinningServices {
    platform::FileOps& files;
    MoveToTrash moveToTrash;  // none: thinned folders are removed
    const platform::Clock& clock;
    std::string logFile;
};

// The names of SnapshotDir's sub-folders that the player sees: no link, no hidden folder. Throws
// std::filesystem::filesystem_error as platform::WalkFolder does.
std::vector<std::string> HistoryFolders(const std::string& snapshotDir);

// When the history's index has thinning on, removes the snapshots of `character` (of every
// character when it is empty) that FoldersToThin gives, each to the recycle bin where there is
// one, and writes one line to the log per character thinned. Runs under the history's lock, and
// does nothing when another copy holds it. Each folder is whole in the history, in the recycle
// bin, or under a hidden name that the sweep removes, whenever a kill comes. Returns how many
// folders went; a failure is logged, the other folders still thinned.
std::size_t ThinHistory(const std::string& snapshotDir, const std::string& character,
                        const ThinningServices& services);

}  // namespace quorrel
