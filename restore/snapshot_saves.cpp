#include "restore/snapshot_saves.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/file_content.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"

namespace quorrel {

namespace fs = std::filesystem;

std::vector<std::string> SaveFileNames(const std::string& folder)
{
    std::vector<std::string> names;
    try {
        platform::WalkFolder(folder, [&names](const platform::FolderEntry& entry) {
            // A link is not followed: what it points at is not part of the snapshot.
            if (entry.kind == platform::EntryKind::File && !entry.hidden &&
                entry.name.ends_with(".d2s")) {
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

std::optional<platform::LocalDateTime> SnapshotMoment(const std::string& folderName)
{
    // "-dd-mm-yyyy-hh-mm-ss" after a name of at least one character.
    constexpr std::string_view kPattern = "-00-00-0000-00-00-00";
    if (folderName.size() <= kPattern.size()) {
        return std::nullopt;
    }
    const std::string_view tail =
        std::string_view(folderName).substr(folderName.size() - kPattern.size());
    for (std::size_t i = 0; i < kPattern.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(tail[i])) != 0;
        if (kPattern[i] == '-' ? tail[i] != '-' : !digit) {
            return std::nullopt;
        }
    }
    const auto number = [tail](std::size_t at, std::size_t digits) {
        int value = 0;
        for (std::size_t i = 0; i < digits; ++i) {
            value = value * 10 + (tail[at + i] - '0');
        }
        return value;
    };
    const platform::LocalDateTime moment{number(7, 4),  number(4, 2),  number(1, 2),
                                         number(12, 2), number(15, 2), number(18, 2)};
    if (moment.month < 1 || moment.month > 12 || moment.day < 1 || moment.day > 31 ||
        moment.hour > 23 || moment.minute > 59 || moment.second > 59) {
        return std::nullopt;
    }
    return moment;
}

}  // namespace quorrel
