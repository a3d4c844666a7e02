#include "restore/recover_restore.h"

#include <optional>

#include "platform/path_text.h"
#include "restore/restore_steps.h"

namespace quorrel {

namespace fs = std::filesystem;

Recovery RecoverRestore(const std::string& saveFolder, platform::FileOps& ops)
{
    const fs::path folder = platform::ToPath(saveFolder);
    const fs::path journalFile = folder / kJournalName;
    std::optional<RestoreJournal> journal;
    try {
        journal = ReadJournal(folder);
        if (!journal) {
            if (!fs::exists(fs::symlink_status(folder / kNextJournalName))) {
                return Recovery::NothingToDo;
            }
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
