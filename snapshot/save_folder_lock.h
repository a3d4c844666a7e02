#pragma once

#include <optional>
#include <string>

#include "platform/file_lock.h"

namespace quorrel {

// One hand on the save folder at a time. A restore, and the recovery of an interrupted one, hold
// the folder's lock alone; a check holds it, beside any other copy's check, while it takes
// snapshots from the folder. So a second copy of Quorrel (one with settings of its own) never
// undoes a restore under the copy that runs it, nor takes a snapshot of a character half
// restored.
//
// The lock is a hidden empty file in the save folder. It stays there: no listing shows it, and no
// snapshot or restore copies it.
inline constexpr const char* kSaveFolderLockName = ".quorrel-save-folder.lock";

using SaveFolderLock = platform::FileLock;

// Takes the save folder's lock without waiting: empty when another copy holds it in the way.
// Creating the lock file leaves the folder's own last-modified time as it was where the standard
// library can set it (not on Windows). Throws
// std::filesystem::filesystem_error when the lock file cannot be made or locked.
std::optional<SaveFolderLock> LockSaveFolder(const std::string& saveFolder,
                                             SaveFolderLock::Kind kind);

}  // namespace quorrel
