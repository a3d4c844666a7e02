#include "restore/recover_restore.h"

#include <optional>
#include <system_error>

#include "platform/path_text.h"
#include "restore/restore_steps.h"

namespace quorrel {

namespace fs = std::filesystem;

namespace {

// Whether a restore left its journal, or the start of one, in the folder. Throws
// SaveFolderUnreadable when that cannot be told.
bool JournalThere(const fs::path& folder)
{
    for (const char* name : {kJournalName, kNextJournalName}) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(folder / name, error);
        if (status.type() == fs::file_type::none) {
            throw SaveFolderUnreadable(platform::ToText(folder), error.message());
        }
        if (fs::exists(status)) {
            return true;
        }
    }
    return false;
}

}  // namespace

Recovery RecoverRestore(const std::string& saveFolder, platform::FileOps& ops)
{
    const fs::path folder = platform::ToPath(saveFolder);
    // A folder with no journal needs no lock: a restore writes its journal only under the lock.
    if (!JournalThere(folder)) {
        return Recovery::NothingToDo;
    }
    std::optional<platform::FolderLock> lock;
    try {
        lock = platform::FolderLock::TryLock(saveFolder, platform::FolderLock::Kind::Exclusive);
    } catch (const std::exception& failure) {
        throw RestoreError(saveFolder, ReasonOf(failure), SaveFolderState::Unfinished,
                           LeftoversByName(folder));
    }
    if (!lock) {
        return Recovery::InOtherHands;
    }
    return RecoverRestore(saveFolder, ops, *lock);
}

Recovery RecoverRestore(const std::string& saveFolder, platform::FileOps& ops,
                        const platform::FolderLock& /*held*/)
{
    const fs::path folder = platform::ToPath(saveFolder);
    const fs::path journalFile = folder / kJournalName;
    if (!JournalThere(folder)) {
        return Recovery::NothingToDo;  // finished meanwhile by the copy that held the lock
    }
    std::optional<RestoreJournal> journal;
    try {
        journal = ReadJournal(folder);
        if (!journal) {
            // Cut short while writing its first journal, before any save file was touched.
            journal.emplace();
        }
    } catch (const JournalUnreadable& unreadable) {
        throw RestoreError(platform::ToText(journalFile), unreadable.what(),
                           SaveFolderState::Unfinished, LeftoversByName(folder));
    } catch (const std::exception& failure) {
        throw RestoreError(platform::ToText(journalFile), ReasonOf(failure),
                           SaveFolderState::Unfinished, LeftoversByName(folder));
    }

    try {
        if (journal->committed) {
            RollForward(folder, *journal, ops);
            return Recovery::RolledForward;
        }
        RollBack(folder, *journal, ops);
        return Recovery::RolledBack;
    } catch (const std::exception& failure) {
        throw RestoreError(
            platform::ToText(FileOf(failure)), ReasonOf(failure),
            journal->committed ? SaveFolderState::Restored : SaveFolderState::Unfinished,
            LeftoversOf(folder, *journal));
    }
}

}  // namespace quorrel
