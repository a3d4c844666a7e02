#include "snapshot/take_snapshot.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/folder_lock.h"
#include "platform/path_text.h"
#include "snapshot/snapshot_folder.h"
#include "snapshot/thin_history.h"

namespace quorrel {

namespace {

namespace fs = std::filesystem;
using Kind = platform::FolderLock::Kind;

// A snapshot is copied into a hidden folder of this name before it is given its own.
constexpr std::string_view kUnfinished = ".quorrel-new-";
// More snapshots of one character in one second than any number of copies takes.
constexpr int kMostInOneSecond = 1000;

bool Exists(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(platform::ToPath(path), error));
}

bool NameTaken(const fs::filesystem_error& error)
{
    return error.code() == std::errc::file_exists;
}

// Makes the unfinished folder of the first name from name.number on that is free, both as a
// snapshot and as an unfinished one, and locks it until the snapshot has its name, so that
// another copy's sweep leaves it alone. Should that sweep take it in the moment between its
// making and its lock, it is left to the sweep and the next name is tried.
platform::FolderLock MakeUnfinished(const std::string& snapshotDir, SnapshotName& name,
                                    std::string& unfinished)
{
    for (;; ++name.number) {
        const std::string folderName = SnapshotFolderName(name);
        const std::string folder = platform::JoinPath(snapshotDir, folderName);
        if (name.number > kMostInOneSecond) {
            throw fs::filesystem_error("No free name", platform::ToPath(folder),
                                       std::make_error_code(std::errc::file_exists));
        }
        if (Exists(folder)) {
            continue;
        }
        unfinished = platform::JoinPath(snapshotDir, std::string(kUnfinished) + folderName);
        try {
            platform::CreateOneDirectory(unfinished);
        } catch (const fs::filesystem_error& error) {
            if (NameTaken(error)) {
                continue;
            }
            throw;
        }
        std::optional<platform::FolderLock> lock;
        try {
            lock = platform::FolderLock::TryLock(unfinished, Kind::Exclusive);
        } catch (const fs::filesystem_error&) {
            if (Exists(unfinished)) {
                platform::RemoveTree(unfinished);
                throw;
            }
        }
        if (lock && Exists(unfinished)) {
            return std::move(*lock);
        }
    }
}

}  // namespace

std::string TakeSnapshot(const std::string& saveFolder, const std::vector<Filenames>& files,
                         const std::string& snapshotDir, const std::string& character,
                         const platform::LocalDateTime& taken, platform::FileOps& ops)
{
    SnapshotName name{character, taken};
    std::string unfinished;
    const platform::FolderLock lock = MakeUnfinished(snapshotDir, name, unfinished);
    const fs::path target = platform::ToPath(unfinished);
    std::string folder;
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
        // Another copy may have given the name meanwhile: the rename never replaces, and the
        // next free name is taken.
        while (folder.empty()) {
            const std::string named = platform::JoinPath(snapshotDir, SnapshotFolderName(name));
            try {
                ops.Move(target, platform::ToPath(named));
                folder = named;
            } catch (const fs::filesystem_error& error) {
                if (!NameTaken(error) || ++name.number > kMostInOneSecond) {
                    throw;
                }
            }
        }
        platform::UnhideFile(platform::ToPath(folder));
        ops.SyncFolder(platform::ToPath(snapshotDir));
    } catch (...) {
        platform::RemoveTree(folder.empty() ? unfinished : folder);
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
                (entry.name.starts_with(kUnfinished) || entry.name.starts_with(kThinnedPrefix))) {
                leftovers.emplace_back(entry.name);
            }
        });
        for (const std::string& name : leftovers) {
            // A copy that is still writing one holds its lock; a copy that was killed holds
            // nothing any more.
            const std::string leftover = platform::JoinPath(snapshotDir, name);
            std::optional<platform::FolderLock> lock;
            try {
                lock = platform::FolderLock::TryLock(leftover, Kind::Exclusive);
            } catch (const fs::filesystem_error&) {
            }
            if (lock) {
                platform::RemoveTree(leftover);
            }
        }
    } catch (...) {
        // Left for the next time: hidden, a leftover is in nobody's way.
    }
}

}  // namespace quorrel
