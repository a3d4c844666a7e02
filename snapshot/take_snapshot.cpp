#include "snapshot/take_snapshot.h"

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "snapshot/snapshot_folder.h"

namespace quorrel {

std::string TakeSnapshot(const std::string& saveFolder, const std::vector<Filenames>& files,
                         const std::string& snapshotDir, const std::string& character,
                         const platform::LocalDateTime& taken, platform::FileOps& ops)
{
    const std::string folder =
        platform::JoinPath(snapshotDir, SnapshotFolderName(character, taken));
    platform::CreateOneDirectory(folder);
    try {
        const std::filesystem::path target = platform::ToPath(folder);
        for (const Filenames& file : files) {
            ops.Copy(platform::ToPath(platform::JoinPath(saveFolder, file.filename)),
                     target / platform::ToPath(file.filename));
        }
        ops.SyncFolder(target);
        ops.SyncFolder(platform::ToPath(snapshotDir));
        for (const Filenames& file : files) {
            if (platform::FileStamp(platform::JoinPath(saveFolder, file.filename)) !=
                file.Attributes) {
                throw SourceChanged(file.filename + " changed while it was copied");
            }
        }
    } catch (...) {
        platform::RemoveTree(folder);
        throw;
    }
    return folder;
}

}  // namespace quorrel
