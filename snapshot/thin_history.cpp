#include "snapshot/thin_history.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "snapshot/error_log.h"
#include "snapshot/history_index.h"
#include "snapshot/snapshot_folder.h"
#include "snapshot/thinning_rule.h"

namespace quorrel {

namespace fs = std::filesystem;

std::vector<std::string> HistoryFolders(const std::string& snapshotDir)
{
    std::vector<std::string> folders;
    platform::WalkFolder(snapshotDir, [&folders](const platform::FolderEntry& entry) {
        if (entry.kind == platform::EntryKind::Folder && !entry.hidden) {
            folders.emplace_back(entry.name);
        }
    });
    return folders;
}

std::size_t ThinHistory(const std::string& snapshotDir, const std::string& character,
                        const ThinningServices& services)
{
    std::optional<platform::FolderLock> lock;
    std::vector<std::string> thinned;
    try {
        lock = LockHistory(snapshotDir, std::chrono::milliseconds(0));
        if (!lock) {
            return 0;  // another copy is at work on the history, and thins it itself
        }
        const HistoryIndex index = ReadHistoryIndex(snapshotDir, services.logFile);
        if (!index.thinning) {
            return 0;
        }
        thinned = FoldersToThin(HistoryFolders(snapshotDir), index, services.clock.now());
    } catch (const std::exception& failure) {
        AppendLogNote(services.logFile, services.clock.now(),
                      std::string("Could not thin out the history: ") + failure.what());
        return 0;
    }

    const fs::path history = platform::ToPath(snapshotDir);
    std::map<std::string, std::size_t> gone;  // by character
    std::vector<fs::path> aside;
    std::string failed;
    for (const std::string& name : thinned) {
        const std::string who = ParseSnapshotFolderName(name)->character;
        if (!character.empty() && who != character) {
            continue;
        }
        try {
            const fs::path folder = history / platform::ToPath(name);
            if (services.moveToTrash && services.moveToTrash(platform::ToText(folder))) {
                ++gone[who];
                continue;
            }
            const fs::path hidden = history / platform::ToPath(std::string(kThinnedPrefix) + name);
            services.files.Move(folder, hidden);
            platform::HideFile(hidden);
            aside.push_back(hidden);
            ++gone[who];
        } catch (const std::exception& failure) {
            failed = failure.what();
        }
    }
    try {
        // Out of the player's sight on disk before anything of them is removed: otherwise a
        // power cut could bring a folder back under its own name with half its files. Where the
        // flush fails they stay hidden, for the sweep at the next start.
        if (!aside.empty()) {
            services.files.SyncFolder(history);
        }
        for (const fs::path& folder : aside) {
            platform::RemoveTree(platform::ToText(folder));
        }
    } catch (const std::exception& failure) {
        failed = failure.what();
    }

    std::size_t total = 0;
    for (const auto& [who, count] : gone) {
        total += count;
        AppendLogNote(services.logFile, services.clock.now(),
                      "Thinned out " + std::to_string(count) + " older snapshot" +
                          (count == 1 ? "" : "s") + " of " + who);
    }
    if (!failed.empty()) {
        AppendLogNote(services.logFile, services.clock.now(),
                      "Could not thin out every older snapshot: " + failed);
    }
    return total;
}

}  // namespace quorrel
