#include "restore/safety_snapshot.h"

#include <filesystem>
#include <system_error>
#include <unordered_set>
#include <utility>

#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "restore/restore_error.h"
#include "snapshot/error_log.h"
#include "snapshot/filenames.h"
#include "snapshot/history_index.h"
#include "snapshot/snapshot_folder.h"
#include "snapshot/take_snapshot.h"

namespace quorrel {

namespace fs = std::filesystem;

namespace {

// Nothing was replaced yet: the save folder is as it was.
RestoreError SafetySnapshotFailed(std::string file, std::string reason)
{
    return RestoreError(std::move(file), std::move(reason), SaveFolderState::AsBefore, {},
                        RestoreStage::SafetySnapshot);
}

// A safety snapshot without its mark is still a snapshot: thinning only keeps it for less long.
void MarkAsSafety(const std::string& snapshotDir, const std::string& folder, platform::FileOps& ops,
                  const std::string& logFile) noexcept
{
    const std::string name = platform::ToText(platform::ToPath(folder).filename());
    try {
        if (ChangeHistoryIndex(snapshotDir, logFile, ops, [&name](HistoryIndex& index) {
                if (!CanBeIndexed(name)) {
                    return false;
                }
                index.safety.insert(name);
                return true;
            })) {
            return;
        }
    } catch (const std::exception&) {
    }
    AppendLogNote(logFile, platform::SystemClock().now(),
                  "Could not mark " + name + " as a safety snapshot in the history's index");
}

}  // namespace

std::vector<Filenames> TakeSafetySnapshot(const std::string& sourceFolder,
                                          const std::string& saveFolder,
                                          const std::string& snapshotDir,
                                          const platform::LocalDateTime& taken,
                                          platform::FileOps& ops, const std::string& logFile)
{
    std::error_code error;
    if (!fs::is_directory(platform::ToPath(snapshotDir), error)) {
        throw SafetySnapshotFailed(
            snapshotDir, std::make_error_code(std::errc::no_such_file_or_directory).message());
    }
    std::vector<CharacterFiles> groups;
    try {
        std::unordered_set<std::string> restored;
        for (const platform::ListedFile& file : platform::ListFolder(sourceFolder)) {
            restored.insert(BaseName(file.name));
        }
        std::vector<Filenames> saveFiles;
        for (platform::ListedFile& file : platform::ListFolder(saveFolder)) {
            saveFiles.push_back({std::move(file.name), std::move(file.stamp)});
        }
        groups = GroupByCharacter(saveFiles, restored);
    } catch (const std::exception& failure) {
        const fs::path file = FileOf(failure);
        throw SafetySnapshotFailed(file.empty() ? saveFolder : platform::ToText(file),
                                   ReasonOf(failure));
    }

    std::vector<Filenames> kept;
    for (const CharacterFiles& group : groups) {
        try {
            const std::string folder =
                TakeSnapshot(saveFolder, group.files, snapshotDir, group.character, taken, ops);
            MarkAsSafety(snapshotDir, folder, ops, logFile);
            kept.insert(kept.end(), group.files.begin(), group.files.end());
        } catch (const SourceChanged& changed) {
            throw SafetySnapshotFailed(saveFolder, std::string(changed.what()) +
                                                       "; the game may be saving. Try again once "
                                                       "it has finished.");
        } catch (const std::exception& failure) {
            const fs::path file = FileOf(failure);
            throw SafetySnapshotFailed(file.empty() ? snapshotDir : platform::ToText(file),
                                       ReasonOf(failure));
        }
    }
    return kept;
}

}  // namespace quorrel
