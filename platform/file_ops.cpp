#include "platform/file_ops.h"

#include <system_error>

namespace quorrel::platform {

namespace fs = std::filesystem;

FileOps& SystemFiles()
{
    static SystemFileOps files;
    return files;
}

void ReplaceWhole(FileOps& files, const fs::path& file, std::string_view content,
                  Visibility visibility, const std::function<void()>& inPlace)
{
    fs::path next = file;
    next += ".new";
    try {
        files.Write(next, content);
        if (visibility == Visibility::Hidden) {
            HideFile(next);
        }
        files.Rename(next, file);
    } catch (const std::system_error&) {
        std::error_code ignored;
        fs::remove(next, ignored);  // whatever is left of it is of no use
        throw;
    }
    if (inPlace) {
        inPlace();
    }
    files.SyncFolder(file.has_parent_path() ? file.parent_path() : fs::path("."));
}

}  // namespace quorrel::platform
