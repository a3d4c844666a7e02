#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/file_ops.h"
#include "platform/folder_lock.h"

namespace quorrel {

// The history's own index: a small hidden file in SnapshotDir that says what the snapshot
// folders' names cannot: which of them the player pinned, which were taken as safety snapshots
// before a restore, which is the last one before a hardcore hero died, and whether the player
// chose to thin out older snapshots. It belongs to the history, so that two copies of Quorrel
// that share one agree. Plain text, one entry a line, written whole or not at all:
//
//     Quorrel history 1
//     thinning on
//     pin Hero-06-12-2026-15-04-09
//     safety Hero-07-12-2026-20-00-00
//     died Hero-06-12-2026-15-04-09 Hero
//     end
//
// A folder's name runs to the end of its line ("died" lines end in the hero's name, which has no
// space). No index means nothing pinned and every snapshot kept.
inline constexpr const char* kHistoryIndexName = ".quorrel-history";
// Far more entries than a player pins or restores; a larger file is no index of ours.
inline constexpr std::size_t kLargestHistoryIndex = 4 * 1024 * 1024;

struct HistoryIndex {
    bool thinning = false;
    std::set<std::string> pinned;                  // snapshot folders' names
    std::set<std::string> safety;                  // taken before a restore
    std::map<std::string, std::string> lastAlive;  // folder -> the hero who died after it

    bool operator==(const HistoryIndex&) const = default;
};

// Whether a folder's name can be written into the index (no line break in it).
bool CanBeIndexed(std::string_view folderName);

std::string EncodeHistoryIndex(const HistoryIndex& index);
// Nothing when the text is not a whole index.
std::optional<HistoryIndex> DecodeHistoryIndex(std::string_view text);

// The index of SnapshotDir as it is now. Read as a plain file, never through a link, never waited
// on and never beyond kLargestHistoryIndex. A missing index is an empty one; a damaged or
// unreadable one is empty too (nothing pinned, every snapshot kept), said once in `logFile`.
// Never throws.
HistoryIndex ReadHistoryIndex(const std::string& snapshotDir, const std::string& logFile) noexcept;

// The history's lock, held while the index is rewritten or the history thinned, so that two
// copies never change one history at once. Waits up to `wait` for another holder; nothing when
// it is still held then. Throws std::filesystem::filesystem_error when SnapshotDir cannot be
// opened.
std::optional<platform::FolderLock> LockHistory(const std::string& snapshotDir,
                                                std::chrono::milliseconds wait);

// Changes the index under the history's lock: it is read again, changed, and put in place whole.
// False when another copy held the lock for longer than a second, or `change` returned false;
// nothing is written then. Throws std::filesystem::filesystem_error when it cannot be written.
bool ChangeHistoryIndex(const std::string& snapshotDir, const std::string& logFile,
                        platform::FileOps& files,
                        const std::function<bool(HistoryIndex& index)>& change);

}  // namespace quorrel
