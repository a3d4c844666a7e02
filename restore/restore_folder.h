#pragma once

#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/folder_lock.h"
#include "restore/restore_error.h"
#include "snapshot/filenames.h"

namespace quorrel {

// Copies every listed file of sourceFolder over the file of the same name in saveFolder, with
// its last-modified time; files of saveFolder with other names are left alone. All or nothing,
// even across a crash or a power cut: a character must never end up half old and half new.
//
// In order, each on disk before the next: a journal of the plan (see restore_journal.h); a copy
// of every file under a hidden temporary name, and the journal again with the copies' stamps;
// each earlier save file moved aside and the copy renamed into its place; the folder flushed and
// the journal marked committed; the earlier files removed, then the journal. A failure before the
// commit undoes everything; after it, the restore is complete and only tidying up is left. Either
// way RestoreError names the file and the reason and says where the folder stands; whatever it
// could not put right stays with the journal for RecoverRestore. A restore killed part-way is put
// in order by RecoverRestore, which must also have run before this one: a journal left in the
// folder stops it before it starts.
//
// A save file that the game writes while the restore runs is never replaced: before the first
// earlier file is moved aside, and as each one is, its stamp must still be the one the restore
// planned with, and no copy is put in place over a file that the game saved there meanwhile;
// else the restore is undone, keeping the game's save, and RestoreError says that the game
// saved it meanwhile.
//
// Holds the save folder's lock throughout (see LockForRestore). Returns the restored files with
// their stamps as a listing of the save folder gives them.
std::vector<Filenames> RestoreFolder(const std::string& sourceFolder, const std::string& saveFolder,
                                     platform::FileOps& ops);

// The same, under the lock that the caller holds already. `kept` are the save files as the safety
// snapshot copied them: a file to be replaced must still have the stamp it was copied with, and a
// file that the safety snapshot did not find must still be missing.
std::vector<Filenames> RestoreFolder(const std::string& sourceFolder, const std::string& saveFolder,
                                     platform::FileOps& ops, const platform::FolderLock& held,
                                     const std::vector<Filenames>& kept);

// Takes the save folder's lock for a restore. Throws RestoreError, having touched nothing, when
// the folder is missing or no folder, when the lock cannot be made, while another copy of
// Quorrel holds it, or when an interrupted restore's journal is still there (see RecoverRestore).
platform::FolderLock LockForRestore(const std::string& saveFolder);

}  // namespace quorrel
