#include "restore/recover_restore.h"

#include <optional>

#include "platform/folder_lock.h"
#include "platform/path_text.h"
#include "restore/restore_steps.h"

namespace quorrel {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Texts(const std::vector<fs::path>& files)
{
    std::vector<std::string> texts;
    for (const fs::path& file : files) {
        texts.push_back(platform::ToText(file));
    }
    return texts;
}

}  // namespace

Recovered RecoverRestore(const std::string& saveFolder, platform::FileOps& ops)
{
    const fs::path folder = platform::ToPath(saveFolder);
    // A folder with no journal needs no lock: a restore writes its journal only under the lock.
    if (JournalFilesIn(folder).empty()) {
        return {};
    }
    std::optional<platform::FolderLock> lock;
    try {
        lock = platform::FolderLock::TryLock(saveFolder, platform::FolderLock::Kind::Exclusive);
    } catch (const std::exception& failure) {
        throw SaveFolderUnreadable(saveFolder, ReasonOf(failure));
    }
    if (!lock) {
        return {Recovery::InOtherHands, {}};
    }
    if (JournalFilesIn(folder).empty()) {
        return {};  // finished meanwhile by the copy that held the lock
    }
    const fs::path journalFile = folder / kJournalName;
    std::optional<RestoreJournal> journal;
    try {
        journal = ReadJournal(folder);
    } catch (const std::exception& failure) {
        throw UnusableJournal(platform::ToText(journalFile), ReasonOf(failure),
                              LeftoversByName(folder));
    }
    if (!journal) {
        journal.emplace();  // cut short while writing its first journal: nothing else was done
    }
    try {
        if (journal->committed) {
            return {Recovery::RolledForward, Texts(RollForward(folder, *journal, ops))};
        }
        return {Recovery::RolledBack, Texts(RollBack(folder, *journal, ops))};
    } catch (const std::exception& failure) {
        throw RestoreError(
            platform::ToText(FileOf(failure)), ReasonOf(failure),
            journal->committed ? SaveFolderState::Restored : SaveFolderState::Unfinished,
            LeftoversOf(folder, *journal));
    }
}

}  // namespace quorrel
