#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file_ops.h"
#include "snapshot/filenames.h"

namespace quorrel {

// A file of the character changed while it was being copied, so the copy may mix two saves.
// Nothing is wrong: the save is simply taken again at the next check.
class SourceChanged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Copies one character's files into a new folder SnapshotDir/<character>-dd-mm-yyyy-hh-mm-ss
// (see SnapshotFolderName; a later snapshot of the character in the same second takes the next
// free number, "-2", "-3"...): exactly the files given, as the listing of the save folder found
// them, under their own names. The snapshot is whole or absent under that name, whenever a kill
// or a power cut stops it: the files are copied into a hidden folder inside SnapshotDir, locked
// meanwhile (see RemoveUnfinishedSnapshots), each copy flushed to disk, then that folder, which
// then takes its own name (never replacing anything), and SnapshotDir is flushed last. Before the
// hidden folder is flushed, each source's stamp is read again with FileStamp, which reads it as
// the listing does, so `files` carry the listing's stamps; if one changed while it was being
// copied, SourceChanged is thrown. On that and on any failure what was made is removed before the
// error is thrown; a folder that existed already is never touched. Returns the new folder.
std::string TakeSnapshot(const std::string& saveFolder, const std::vector<Filenames>& files,
                         const std::string& snapshotDir, const std::string& character,
                         const platform::LocalDateTime& taken, platform::FileOps& ops);

// Removes what snapshots and thinnings cut short by a kill or a power cut left in SnapshotDir: the
// hidden folders snapshots were being copied into, but for those that another running copy still
// holds locked, and the hidden folders of thinned snapshots (see kThinnedPrefix). Nothing else is
// touched, neither a link nor a file of such a name. Run at start-up only, so that a check's cost
// does not grow with the history. Never throws; what cannot be removed now is tried again the next
// time.
void RemoveUnfinishedSnapshots(const std::string& snapshotDir) noexcept;

}  // namespace quorrel
