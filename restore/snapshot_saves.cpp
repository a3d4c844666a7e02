#include "restore/snapshot_saves.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/file_content.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "snapshot/save_set.h"

namespace quorrel {

namespace fs = std::filesystem;

std::vector<std::string> SaveFileNames(const std::string& folder)
{
    std::vector<std::string> names;
    try {
        platform::WalkFolder(folder, [&names](const platform::FolderEntry& entry) {
            // A link is not followed: what it points at is not part of the snapshot.
            if (entry.kind == platform::EntryKind::File && !entry.hidden &&
                IsSaveFileName(entry.name)) {
                names.emplace_back(entry.name);
            }
        });
    } catch (const std::exception&) {
        names.clear();
    }
    std::sort(names.begin(), names.end());
    return names;
}

SnapshotSave ReadSnapshotSave(const std::string& folder, const std::string& file)
{
    SnapshotSave save{file, std::nullopt, std::nullopt};
    try {
        std::string header;
        platform::ReadPlainFile(
            platform::ToPath(platform::JoinPath(folder, file)),
            [&header](std::string_view piece) { header += piece; }, kSummaryBytes);
        save.version = SaveFormatVersion(header);
        save.summary = ReadCharacterSummary(header);
    } catch (const fs::filesystem_error&) {
        // Unreadable: it tells nothing, which is what the caller shows.
    }
    return save;
}

std::optional<CharacterSummary> DeadHardcoreCharacter(const std::string& folder)
{
    for (const std::string& file : SaveFileNames(folder)) {
        std::optional<CharacterSummary> summary = ReadSnapshotSave(folder, file).summary;
        if (summary && summary->deadInHardcore()) {
            return summary;
        }
    }
    return std::nullopt;
}

}  // namespace quorrel
