#include "snapshot/take_snapshot.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "snapshot/snapshot_folder.h"

namespace quorrel {

namespace {

namespace fs = std::filesystem;

// A snapshot is copied under the first name and given its own only once it is whole. A leftover
// is renamed to the second before it is removed.
constexpr std::string_view kUnfinished = ".quorrel-new-";
constexpr std::string_view kDiscarded = ".quorrel-old-";

}  // namespace

std::string TakeSnapshot(const std::string& saveFolder, const std::vector<Filenames>& files,
                         const std::string& snapshotDir, const std::string& character,
                         const platform::LocalDateTime& taken, platform::FileOps& ops)
{
    const std::string name = SnapshotFolderName(character, taken);
    const std::string folder = platform::JoinPath(snapshotDir, name);
    const std::string unfinished = platform::JoinPath(snapshotDir, std::string(kUnfinished) + name);
    std::error_code error;
    if (fs::exists(fs::symlink_status(platform::ToPath(folder), error))) {
        throw fs::filesystem_error("Folder exists already", platform::ToPath(folder),
                                   std::make_error_code(std::errc::file_exists));
    }
    platform::CreateOneDirectory(unfinished);
    const fs::path target = platform::ToPath(unfinished);
    bool named = false;
    try {
        platform::HideFile(target);
        for (const Filenames& file : files) {
            ops.Copy(platform::ToPath(platform::JoinPath(saveFolder, file.filename)),
                     target / platform::ToPath(file.filename));
        }
        for (const Filenames& file : files) {
            if (platform::FileStamp(platform::JoinPath(saveFolder, file.filename)) !=
                file.Attributes) {
                throw SourceChanged(file.filename + " changed while it was copied");
            }
        }
        ops.SyncFolder(target);
        ops.Move(target, platform::ToPath(folder));
        named = true;
        platform::UnhideFile(platform::ToPath(folder));
        ops.SyncFolder(platform::ToPath(snapshotDir));
    } catch (...) {
        platform::RemoveTree(named ? folder : unfinished);
        throw;
    }
    return folder;
}

void RemoveUnfinishedSnapshots(const std::string& snapshotDir) noexcept
{
    try {
        std::vector<std::string> leftovers;
        platform::WalkFolder(snapshotDir, [&leftovers](const platform::FolderEntry& entry) {
            if (entry.kind == platform::EntryKind::Folder &&
                (entry.name.starts_with(kUnfinished) || entry.name.starts_with(kDiscarded))) {
                leftovers.emplace_back(entry.name);
            }
        });
        const fs::path history = platform::ToPath(snapshotDir);
        for (const std::string& name : leftovers) {
            fs::path doomed = history / platform::ToPath(name);
            if (name.starts_with(kUnfinished)) {
                // In one step first: should another copy of Quorrel be finishing a snapshot in it
                // right now, either it names its folder first, or its rename fails and it takes
                // the snapshot again. Nothing is ever removed from under a final name.
                const fs::path discarded =
                    history /
                    platform::ToPath(std::string(kDiscarded) + name.substr(kUnfinished.size()));
                std::error_code error;
                fs::rename(doomed, discarded, error);
                if (error) {
                    continue;
                }
                doomed = discarded;
            }
            platform::RemoveTree(platform::ToText(doomed));
        }
    } catch (...) {
        // Left for the next time: hidden, a leftover is in nobody's way.
    }
}

}  // namespace quorrel
