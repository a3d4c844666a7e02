#pragma once

#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file_ops.h"
#include "restore/restore_error.h"
#include "snapshot/filenames.h"

namespace quorrel {

// Before a restore replaces anything, keeps what it would replace, so that a wrong restore can be
// undone from the same dialog: every character of saveFolder that has a file among those of
// sourceFolder (by base name, the text before the last dot; a shared stash is a character of its
// own) gets a snapshot of all of its files in snapshotDir, named and copied as a snapshot of the
// cycle is. Returns the files it copied,
// with their stamps, so that the restore can tell a save written after them. Throws RestoreError,
// of the stage SafetySnapshot, when snapshotDir is missing or a snapshot fails, a file changing
// while it is copied included; a snapshot already complete for another character stays. The
// snapshots are marked as safety snapshots in the history's index, so that thinning keeps them a
// while; a mark that cannot be written is said in `logFile` and stops nothing.
std::vector<Filenames> TakeSafetySnapshot(const std::string& sourceFolder,
                                          const std::string& saveFolder,
                                          const std::string& snapshotDir,
                                          const platform::LocalDateTime& taken,
                                          platform::FileOps& ops, const std::string& logFile);

}  // namespace quorrel
