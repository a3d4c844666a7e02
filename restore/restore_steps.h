#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/file_ops.h"
#include "restore/restore_error.h"
#include "restore/restore_journal.h"

// The steps that a restore and the recovery of an interrupted one share. Each file operation
// goes through FileOps, so that it is on disk in the order given, and each step throws on the
// first failure, having done nothing after it.
namespace quorrel {

// Writes the journal whole under its next name, hides it and renames it over the journal. The
// caller flushes the folder.
void WriteJournal(const std::filesystem::path& saveFolder, const RestoreJournal& journal,
                  platform::FileOps& ops);

// The journal in the save folder, if there is one. Only a plain file is read, never through a
// link, never waited on, and never beyond kLargestJournal. Throws JournalUnreadable, or
// std::filesystem::filesystem_error when it cannot be read.
std::optional<RestoreJournal> ReadJournal(const std::filesystem::path& saveFolder);

// Undoes a restore that was not committed: every earlier save file back in its place, every
// staged copy and every file new to the folder removed, then the journal. Decides from what is on
// disk, so it may be cut short and run again. A save file that the game wrote since the restore
// put its copy there is never replaced or removed: the undoing stops there, throwing RestoreError.
void RollBack(const std::filesystem::path& saveFolder, const RestoreJournal& journal,
              platform::FileOps& ops);

// Finishes a committed restore: the earlier save files are removed, then the journal.
void RollForward(const std::filesystem::path& saveFolder, const RestoreJournal& journal,
                 platform::FileOps& ops);

// What a restore of this journal has left out of place: for a committed one, what RollForward
// would remove; otherwise every file that differs from the folder as it was before.
std::vector<Leftover> LeftoversOf(const std::filesystem::path& saveFolder,
                                  const RestoreJournal& journal);

// The restore's temporary files and journal, found by their names alone, for when the journal
// cannot be read.
std::vector<Leftover> LeftoversByName(const std::filesystem::path& saveFolder);

}  // namespace quorrel
