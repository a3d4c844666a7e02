#pragma once

#include <string>

#include "platform/file_ops.h"
#include "restore/restore_error.h"

namespace quorrel {

// Copies every listed file of sourceFolder over the file of the same name in saveFolder, with
// its last-modified time; files of saveFolder with other names are left alone. All or nothing,
// even across a crash or a power cut: a character must never end up half old and half new.
//
// In order, each on disk before the next: a journal of the plan (see restore_journal.h); a copy
// of every file under a hidden temporary name; each earlier save file moved aside and the copy
// renamed into its place; the folder flushed and the journal marked committed; the earlier files
// removed, then the journal. A failure before the commit undoes everything; after it, the
// restore is complete and only tidying up is left. Either way RestoreError names the file and
// the reason and says where the folder stands; whatever it could not put right stays with the
// journal for RecoverRestore. A restore killed part-way is put in order by RecoverRestore, which
// must also have run before this one: a journal left in the folder stops it before it starts.
void RestoreFolder(const std::string& sourceFolder, const std::string& saveFolder,
                   platform::FileOps& ops);

}  // namespace quorrel
