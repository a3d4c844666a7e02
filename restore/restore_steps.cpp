#include "restore/restore_steps.h"

#include <string>
#include <system_error>

#include "platform/file_content.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"

namespace quorrel {

namespace fs = std::filesystem;

namespace {

// Whether the name is taken; a link counts as itself. Throws when that cannot be told.
bool Exists(const fs::path& file)
{
    return fs::exists(fs::symlink_status(file));
}

// For a report: a name that cannot be looked at is reported as there.
bool MayExist(const fs::path& file)
{
    std::error_code error;
    return fs::symlink_status(file, error).type() != fs::file_type::not_found;
}

std::string Text(const fs::path& file)
{
    return platform::ToText(file);
}

// Whether the save file is the snapshot's copy as the restore put it there, not a save that the
// game wrote since.
bool IsOurCopy(const fs::path& target, const Placement& file)
{
    std::error_code error;
    return fs::last_write_time(target, error) == file.stamp && !error;
}

// Whether the save file in the target's place may be the snapshot's copy: the earlier file is
// still aside, or the folder had none and the copy has left its temporary name.
bool MayBeOurs(const fs::path& saveFolder, const Placement& file)
{
    return file.aside.empty() ? !Exists(saveFolder / file.staged) : Exists(saveFolder / file.aside);
}

RestoreError SavedAgain(const fs::path& target)
{
    return RestoreError(Text(target),
                        "It was saved again after the restore was interrupted, so Quorrel leaves "
                        "it as it is");
}

// Removes the journal and its next version once the folder no longer needs them.
void DropJournal(const fs::path& saveFolder, platform::FileOps& ops)
{
    for (const char* name : {kNextJournalName, kJournalName}) {
        if (Exists(saveFolder / name)) {
            ops.Remove(saveFolder / name);
        }
    }
    ops.SyncFolder(saveFolder);
}

}  // namespace

void WriteJournal(const fs::path& saveFolder, const RestoreJournal& journal, platform::FileOps& ops)
{
    const fs::path next = saveFolder / kNextJournalName;
    ops.Write(next, EncodeJournal(journal));
    platform::HideFile(next);
    ops.Rename(next, saveFolder / kJournalName);
}

std::optional<RestoreJournal> ReadJournal(const fs::path& saveFolder)
{
    const fs::path file = saveFolder / kJournalName;
    const fs::file_status status = fs::symlink_status(file);
    if (!fs::exists(status)) {
        return std::nullopt;
    }
    // A FIFO would be waited on for ever, and a link to a device read without end.
    if (!fs::is_regular_file(status)) {
        throw JournalUnreadable("The journal is not a plain file");
    }
    std::string text;
    platform::ReadPlainFile(file, [&text](std::string_view piece) {
        if (piece.size() > kLargestJournal - text.size()) {
            throw JournalUnreadable("The journal is larger than any restore writes");
        }
        text += piece;
    });
    return DecodeJournal(text);
}

void RollBack(const fs::path& saveFolder, const RestoreJournal& journal, platform::FileOps& ops)
{
    // Checked before anything is touched: a save that the game wrote since is never replaced or
    // removed, and the folder is then left as it is.
    for (const Placement& file : journal.placements) {
        const fs::path target = saveFolder / file.target;
        if (MayBeOurs(saveFolder, file) && Exists(target) && !IsOurCopy(target, file)) {
            throw SavedAgain(target);
        }
    }
    for (auto file = journal.placements.rbegin(); file != journal.placements.rend(); ++file) {
        const fs::path target = saveFolder / file->target;
        const fs::path staged = saveFolder / file->staged;
        const fs::path aside = saveFolder / file->aside;
        // Taken back under its temporary name and only then looked at, so that a save the game
        // writes over it at the last moment is seen, and put back.
        if (MayBeOurs(saveFolder, *file) && Exists(target)) {
            ops.Rename(target, staged);
            if (!IsOurCopy(staged, *file)) {
                ops.Rename(staged, target);
                throw SavedAgain(target);
            }
        }
        if (!file->aside.empty() && Exists(aside)) {
            ops.Rename(aside, target);
        }
        if (Exists(staged)) {
            ops.Remove(staged);
        }
    }
    // Every save file is back, on disk, before the journal that could put it back goes.
    ops.SyncFolder(saveFolder);
    DropJournal(saveFolder, ops);
}

void RollForward(const fs::path& saveFolder, const RestoreJournal& journal, platform::FileOps& ops)
{
    for (const Placement& file : journal.placements) {
        for (const fs::path& name : {file.aside, file.staged}) {
            if (!name.empty() && Exists(saveFolder / name)) {
                ops.Remove(saveFolder / name);
            }
        }
    }
    // The earlier files are gone, on disk, before the journal that names them goes.
    ops.SyncFolder(saveFolder);
    DropJournal(saveFolder, ops);
}

std::vector<Leftover> LeftoversOf(const fs::path& saveFolder, const RestoreJournal& journal)
{
    std::vector<Leftover> left;
    for (const Placement& file : journal.placements) {
        const std::string name = Text(file.target);
        const fs::path target = saveFolder / file.target;
        const fs::path aside = saveFolder / file.aside;
        if (MayExist(saveFolder / file.staged)) {
            left.push_back({Text(saveFolder / file.staged),
                            "an unused copy of " + name + " from the snapshot"});
        }
        if (file.aside.empty()) {
            if (!journal.committed && MayExist(target)) {
                left.push_back({Text(target), IsOurCopy(target, file)
                                                  ? "from the snapshot; the folder had no " + name
                                                  : "new to the folder, and saved again since"});
            }
        } else if (MayExist(aside)) {
            if (journal.committed) {
                left.push_back(
                    {Text(aside), "the earlier " + name + ", replaced by the snapshot's"});
                continue;
            }
            left.push_back(
                {Text(aside), "the save file " + name + " as it was before the restore"});
            left.push_back({Text(target), !MayExist(target)         ? "missing; see the line above"
                                          : IsOurCopy(target, file) ? "the snapshot's " + name
                                                                    : "saved again since"});
        }
    }
    for (const char* journalName : {kNextJournalName, kJournalName}) {
        if (MayExist(saveFolder / journalName)) {
            left.push_back({Text(saveFolder / journalName), "the journal of the restore"});
        }
    }
    return left;
}

std::vector<Leftover> LeftoversByName(const fs::path& saveFolder)
{
    std::vector<Leftover> left;
    try {
        platform::WalkFolder(Text(saveFolder), [&](const platform::FolderEntry& entry) {
            const std::string file = Text(saveFolder / platform::ToPath(std::string(entry.name)));
            if (entry.name.starts_with(kJournalName)) {
                left.push_back({file, "the journal of the restore"});
            } else if (entry.name.starts_with(".") &&
                       entry.name.find(".quorrel-") != std::string_view::npos) {
                left.push_back({file, "a temporary file of the restore"});
            }
        });
    } catch (const std::exception&) {
        // What could be named is named; the failure itself is reported by the caller.
    }
    return left;
}

}  // namespace quorrel
