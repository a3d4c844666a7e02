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

// Copies one character's files into a new folder SnapshotDir/<character>-dd-mm-yyyy-hh-mm-ss:
// exactly the files given, as the listing of the save folder found them, under their own names.
// The snapshot counts only once it is whole and on disk: each copy is flushed, then the new
// folder and the snapshot folder. Afterwards each source's stamp is read again with FileStamp,
// which reads it as the listing does, so `files` carry the listing's stamps; if one changed
// while it was being copied, SourceChanged is thrown. On that and on any failure the new folder
// is removed before the error is thrown, so that no partial snapshot is ever offered for restore;
// a folder that existed already is never touched. Returns the new folder.
std::string TakeSnapshot(const std::string& saveFolder, const std::vector<Filenames>& files,
                         const std::string& snapshotDir, const std::string& character,
                         const platform::LocalDateTime& taken, platform::FileOps& ops);

}  // namespace quorrel
