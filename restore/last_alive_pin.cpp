#include "restore/last_alive_pin.h"

#include <tuple>

#include "platform/path_text.h"
#include "restore/snapshot_saves.h"
#include "snapshot/history_index.h"
#include "snapshot/snapshot_folder.h"
#include "snapshot/thin_history.h"

namespace quorrel {

namespace {

auto Order(const SnapshotName& name)
{
    const platform::LocalDateTime& t = name.taken;
    return std::tuple(t.year, t.month, t.day, t.hour, t.minute, t.second, name.number);
}

// The character's snapshot taken last before `later`, by the names' times.
std::optional<std::string> PreviousSnapshot(const std::string& snapshotDir,
                                            const SnapshotName& later)
{
    std::optional<std::string> previous;
    std::optional<SnapshotName> previousName;
    for (std::string& folder : HistoryFolders(snapshotDir)) {
        const std::optional<SnapshotName> name = ParseSnapshotFolderName(folder);
        if (name && name->character == later.character && Order(*name) < Order(later) &&
            (!previousName || Order(*previousName) < Order(*name))) {
            previousName = name;
            previous = std::move(folder);
        }
    }
    return previous;
}

bool ShowsAlive(const std::string& folder, const std::string& hero)
{
    for (const std::string& file : SaveFileNames(folder)) {
        const std::optional<CharacterSummary> summary = ReadSnapshotSave(folder, file).summary;
        if (summary && summary->name == hero && summary->hardcore && !summary->died) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::string> PinLastSnapshotAlive(const std::string& snapshotDir,
                                                const std::string& folder, platform::FileOps& files,
                                                const std::string& logFile)
{
    const std::optional<SnapshotName> name =
        ParseSnapshotFolderName(platform::ToText(platform::ToPath(folder).filename()));
    const std::optional<CharacterSummary> dead =
        name ? DeadHardcoreCharacter(folder) : std::nullopt;
    if (!dead) {
        return std::nullopt;
    }
    const std::optional<std::string> previous = PreviousSnapshot(snapshotDir, *name);
    if (!previous || !CanBeIndexed(*previous) ||
        !ShowsAlive(platform::JoinPath(snapshotDir, *previous), dead->name)) {
        return std::nullopt;
    }
    const bool pinned = ChangeHistoryIndex(snapshotDir, logFile, files, [&](HistoryIndex& index) {
        index.pinned.insert(*previous);
        index.lastAlive[*previous] = dead->name;
        return true;
    });
    return pinned ? previous : std::nullopt;
}

}  // namespace quorrel
