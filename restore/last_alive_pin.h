#pragma once

#include <optional>
#include <string>

#include "platform/file_ops.h"

namespace quorrel {

// After a snapshot `folder` (a full path in snapshotDir): when its save shows a character dead in
// hardcore and that character's snapshot before it shows the character alive, pins that earlier
// snapshot in the history's index with a note naming the hero, so that thinning never removes
// the last snapshot in which the hero lived. Returns the name of the folder pinned. Reads only
// the new snapshot's headers unless a death is there. Throws std::filesystem::filesystem_error
// when the history cannot be listed or the index cannot be written.
std::optional<std::string> PinLastSnapshotAlive(const std::string& snapshotDir,
                                                const std::string& folder, platform::FileOps& files,
                                                const std::string& logFile);

}  // namespace quorrel
