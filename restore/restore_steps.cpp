#include "restore/restore_steps.h"

#include <algorithm>
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

// Whether the file is the snapshot's copy as the restore made it: the same stamp. A file whose
// stamp cannot be read is not known to be ours, and is left alone.
bool IsOurCopy(const fs::path& file, const Placement& placement)
{
    try {
        return !placement.stamp.empty() && StampOrNone(file) == placement.stamp;
    } catch (const std::exception&) {
        return false;
    }
}

// Whether the restore may have put its copy in the target's place: every copy was made, and the
// earlier file is still aside, or the folder had none and the copy has left its temporary name.
bool MayBeOurs(const fs::path& saveFolder, const Placement& file)
{
    return !file.stamp.empty() && (file.aside.empty() ? !Exists(saveFolder / file.staged)
                                                      : Exists(saveFolder / file.aside));
}

// Puts one save file back as it was before the restore, unless the game has saved it since.
// Returns whether the game's file was kept.
bool PutBack(const fs::path& saveFolder, const Placement& file, platform::FileOps& ops)
{
    const fs::path target = saveFolder / file.target;
    const fs::path staged = saveFolder / file.staged;
    const fs::path aside = saveFolder / file.aside;
    bool kept = false;
    if (MayBeOurs(saveFolder, file) && Exists(target)) {
        kept = !IsOurCopy(target, file);
        if (!kept) {
            // Taken back under its temporary name and only then looked at again, so that a save
            // the game writes over it at the last moment is seen, and put back. Saved yet again
            // meanwhile, the newest save stays and this one goes with the temporary files.
            ops.Rename(target, staged);
            if (!IsOurCopy(staged, file)) {
                kept = true;
                MoveIntoPlace(staged, target, ops);
            }
        }
    }
    if (!file.aside.empty() && Exists(aside) && !MoveIntoPlace(aside, target, ops)) {
        kept = true;
        ops.Remove(aside);
    }
    if (Exists(staged)) {
        ops.Remove(staged);
    }
    return kept;
}

// The save file that a temporary name of the restore stands for (".Hero.d2s.quorrel-old-2" for
// Hero.d2s), or an empty text for any other name.
std::string SaveFileOf(std::string_view name, std::string_view ending)
{
    const std::size_t at = name.rfind(ending);
    if (!name.starts_with('.') || at == std::string_view::npos || at < 2) {
        return {};
    }
    return std::string(name.substr(1, at - 1));
}

// Removes the journal and its next version once the folder no longer needs them.
void DropJournal(const fs::path& saveFolder, platform::FileOps& ops)
{
    for (const fs::path& file : JournalFilesIn(saveFolder)) {
        ops.Remove(file);
    }
    ops.SyncFolder(saveFolder);
}

}  // namespace

std::string StampOrNone(const fs::path& file)
{
    return Exists(file) ? platform::FileStamp(Text(file)) : std::string();
}

std::vector<fs::path> JournalFilesIn(const fs::path& saveFolder)
{
    std::vector<fs::path> files;
    for (const char* name : {kNextJournalName, kJournalName}) {
        if (MayExist(saveFolder / name)) {
            files.push_back(saveFolder / name);
        }
    }
    return files;
}

void WriteJournal(const fs::path& saveFolder, const RestoreJournal& journal, platform::FileOps& ops,
                  const std::function<void()>& inPlace)
{
    platform::ReplaceWhole(ops, saveFolder / kJournalName, EncodeJournal(journal),
                           platform::Visibility::Hidden, inPlace);
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
    platform::ReadPlainFile(
        file, [&text](std::string_view piece) { text += piece; }, kLargestJournal + 1);
    if (text.size() > kLargestJournal) {
        throw JournalUnreadable("The journal is larger than any restore writes");
    }
    return DecodeJournal(text);
}

bool MoveIntoPlace(const fs::path& from, const fs::path& target, platform::FileOps& ops)
{
    try {
        ops.Move(from, target);
        return true;
    } catch (const fs::filesystem_error& failure) {
        if (failure.code() != std::errc::file_exists) {
            throw;
        }
        return false;
    }
}

std::vector<fs::path> RollBack(const fs::path& saveFolder, const RestoreJournal& journal,
                               platform::FileOps& ops)
{
    std::vector<fs::path> kept;
    for (auto file = journal.placements.rbegin(); file != journal.placements.rend(); ++file) {
        if (PutBack(saveFolder, *file, ops)) {
            kept.insert(kept.begin(), saveFolder / file->target);
        }
    }
    // Every save file is back, on disk, before the journal that could put it back goes.
    ops.SyncFolder(saveFolder);
    DropJournal(saveFolder, ops);
    return kept;
}

std::vector<fs::path> RollForward(const fs::path& saveFolder, const RestoreJournal& journal,
                                  platform::FileOps& ops)
{
    std::vector<fs::path> kept;
    for (const Placement& file : journal.placements) {
        for (const fs::path& name : {file.aside, file.staged}) {
            if (!name.empty() && Exists(saveFolder / name)) {
                ops.Remove(saveFolder / name);
            }
        }
        if (Exists(saveFolder / file.target) && !IsOurCopy(saveFolder / file.target, file)) {
            kept.push_back(saveFolder / file.target);
        }
    }
    // The earlier files are gone, on disk, before the journal that names them goes.
    ops.SyncFolder(saveFolder);
    DropJournal(saveFolder, ops);
    return kept;
}

std::vector<Leftover> LeftoversOf(const fs::path& saveFolder, const RestoreJournal& journal)
{
    std::vector<Leftover> left;
    for (const Placement& file : journal.placements) {
        const std::string name = Text(file.target);
        const fs::path target = saveFolder / file.target;
        const fs::path staged = saveFolder / file.staged;
        const fs::path aside = saveFolder / file.aside;
        if (MayExist(staged)) {
            left.push_back({Text(staged), "an unused copy of " + name + " from the snapshot"});
        }
        if (!file.aside.empty() && MayExist(aside)) {
            if (journal.committed) {
                left.push_back(
                    {Text(aside), "the earlier " + name + ", replaced by the snapshot's"});
                continue;
            }
            left.push_back(
                {Text(aside), "the save file " + name + " as it was before the restore"});
            if (!MayExist(target)) {
                left.push_back({Text(target), "missing; see the line above"});
            } else if (IsOurCopy(target, file)) {
                left.push_back({Text(target), "the snapshot's " + name});
            }
        } else if (!journal.committed && file.aside.empty() && !MayExist(staged) &&
                   IsOurCopy(target, file)) {
            left.push_back({Text(target), "from the snapshot; the folder had no " + name});
        }
    }
    for (const fs::path& file : JournalFilesIn(saveFolder)) {
        left.push_back({Text(file), "the journal of the restore"});
    }
    return left;
}

std::vector<Leftover> LeftoversByName(const fs::path& saveFolder)
{
    std::vector<Leftover> left;
    std::vector<Leftover> journals;  // named last: they go last
    try {
        platform::WalkFolder(Text(saveFolder), [&](const platform::FolderEntry& entry) {
            const std::string file = Text(saveFolder / platform::ToPath(std::string(entry.name)));
            if (IsJournalName(entry.name)) {
                journals.push_back({file, "the journal of the restore: delete it last"});
            } else if (const std::string copy = SaveFileOf(entry.name, kStagedEnding);
                       !copy.empty()) {
                left.push_back({file, "a copy of " + copy +
                                          " from the snapshot, perhaps incomplete: delete it"});
            } else if (const std::string earlier = SaveFileOf(entry.name, kAsideEnding);
                       !earlier.empty()) {
                left.push_back({file, earlier +
                                          " as it was before the restore: to have it back, "
                                          "rename this file to " +
                                          earlier +
                                          ", in place of any file of that name; otherwise "
                                          "delete it"});
            }
        });
    } catch (const std::exception&) {
        // What could be named is named; the failure itself is reported by the caller.
    }
    left.insert(left.end(), journals.begin(), journals.end());
    return left;
}

}  // namespace quorrel
