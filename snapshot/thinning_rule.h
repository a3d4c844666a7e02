#pragma once

#include <string>
#include <vector>

#include "platform/clock.h"
#include "snapshot/history_index.h"

namespace quorrel {

// How long each kind of snapshot is kept when the player thins out the history.
inline constexpr int kKeptNewest = 10;      // of each character, whatever their age
inline constexpr int kSafetyKeptDays = 30;  // safety snapshots taken before a restore

// The snapshot folders among `folderNames` (names in SnapshotDir) that thinning removes at `now`.
// For each character it keeps every snapshot of the last 24 hours, the newest of each hour for 7
// days, the newest of each day for 90 days, and the newest of each week (from Monday) before;
// and whatever its age, every pinned snapshot, the newest kKeptNewest, and the safety snapshots
// younger than kSafetyKeptDays. Time is the one in the folder's name, and "newest" goes by that
// time and then by the name's number. A name that is no snapshot's, or a hidden one, is never
// given back. The result keeps the order of `folderNames`.
std::vector<std::string> FoldersToThin(const std::vector<std::string>& folderNames,
                                       const HistoryIndex& index,
                                       const platform::LocalDateTime& now);

}  // namespace quorrel
