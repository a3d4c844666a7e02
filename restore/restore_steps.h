#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "restore/restore_error.h"
#include "restore/restore_journal.h"

// The steps that a restore and the recovery of an interrupted one share. Each file operation
// goes through FileOps, so that it is on disk in the order given, and each step throws on the
// first failure, having done nothing after it.
namespace quorrel {

// The journal's files that may be in the save folder, its next version first: each one that
// anything stands under, or whose status cannot be read.
std::vector<std::filesystem::path> JournalFilesIn(const std::filesystem::path& saveFolder);

// The stamp of a file as the listing gives it (see platform::FileStamp), or an empty text when
// there is none. Throws std::filesystem::filesystem_error when it cannot be read.
std::string StampOrNone(const std::filesystem::path& file);

// Puts the journal in place whole and on disk, hidden (see platform::ReplaceWhole), its next
// version's name being kNextJournalName. `inPlace` is called once it is the journal, even when
// the flush that follows fails.
void WriteJournal(const std::filesystem::path& saveFolder, const RestoreJournal& journal,
                  platform::FileOps& ops, const std::function<void()>& inPlace = {});

// The journal in the save folder, if there is one. Only a plain file is read, never through a
// link, never waited on, and never beyond kLargestJournal. Throws JournalUnreadable, or
// std::filesystem::filesystem_error when it cannot be read.
std::optional<RestoreJournal> ReadJournal(const std::filesystem::path& saveFolder);

// Renames `from` to `target`, a name that the game saves to, without ever replacing it. Returns
// false, having changed nothing, when the game has saved `target` meanwhile.
bool MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& target,
                   platform::FileOps& ops);

// Undoes a restore that was not committed, file by file: each earlier save file back in its
// place, each staged copy and each file new to the folder removed, then the journal. Decides from
// what is on disk, so it may be cut short and run again. A save file that the game wrote after
// its copy was put in place, or while its earlier file was aside, stays as the game wrote it, and
// the earlier file is removed: the game has written a newer one. Returns those save files.
std::vector<std::filesystem::path> RollBack(const std::filesystem::path& saveFolder,
                                            const RestoreJournal& journal, platform::FileOps& ops);

// Finishes a committed restore: the earlier save files are removed, then the journal. Returns the
// save files that the game wrote after the restore had put its copies in place.
std::vector<std::filesystem::path> RollForward(const std::filesystem::path& saveFolder,
                                               const RestoreJournal& journal,
                                               platform::FileOps& ops);

// What a restore of this journal has left out of place: for a committed one, what RollForward
// would remove; otherwise every file of the restore's that differs from the folder as it was.
// Save files that the game wrote are no leftovers.
std::vector<Leftover> LeftoversOf(const std::filesystem::path& saveFolder,
                                  const RestoreJournal& journal);

// The restore's temporary files and journal, found by their names alone, for when the journal
// cannot be read: each with what the player can do with it.
std::vector<Leftover> LeftoversByName(const std::filesystem::path& saveFolder);

}  // namespace quorrel
