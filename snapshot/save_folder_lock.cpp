#include "snapshot/save_folder_lock.h"

#include <filesystem>
#include <system_error>

#include "platform/path_text.h"

namespace quorrel {

namespace fs = std::filesystem;

std::optional<SaveFolderLock> LockSaveFolder(const std::string& saveFolder,
                                             SaveFolderLock::Kind kind)
{
    const fs::path folder = platform::ToPath(saveFolder);
    const fs::path file = folder / kSaveFolderLockName;
    std::error_code missing;
    const bool there = fs::exists(fs::symlink_status(file, missing));
    std::error_code noTime;
    const fs::file_time_type folderTime = fs::last_write_time(folder, noTime);
    std::optional<SaveFolderLock> lock = SaveFolderLock::TryLock(file, kind);
    if (!there && !noTime) {
        // A new name in the folder touched its time; nothing that the player keeps there changed.
        std::error_code ignored;
        fs::last_write_time(folder, folderTime, ignored);
    }
    return lock;
}

}  // namespace quorrel
