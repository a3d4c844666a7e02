#include <windows.h>

#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"

namespace quorrel::platform {

// Not std::filesystem::remove_all, whose listing through MinGW's C runtime stops without a word
// at a path longer than MAX_PATH: the folder is listed as every other, and each entry is removed
// by Windows itself. A link is removed as itself, never followed.
void RemoveTree(const std::string& folder) noexcept
{
    try {
        std::vector<std::pair<std::string, EntryKind>> entries;
        WalkFolder(folder, [&entries](const FolderEntry& entry) {
            entries.emplace_back(std::string(entry.name), entry.kind);
        });
        for (const auto& [name, kind] : entries) {
            const std::string path = JoinPath(folder, name);
            if (kind == EntryKind::Folder) {
                RemoveTree(path);
            } else if (!::DeleteFileW(ToPath(path).c_str())) {
                ::RemoveDirectoryW(ToPath(path).c_str());  // a link to a folder
            }
        }
        ::RemoveDirectoryW(ToPath(folder).c_str());
    } catch (const std::exception&) {
        // as far as it can: what is left stays
    }
}

bool IsHiddenOrSystem(const std::string& folder, const std::string& name)
{
    const DWORD attributes = ::GetFileAttributesW(ToPath(JoinPath(folder, name)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;  // reading the entry's stamp reports the trouble
    }
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

}  // namespace quorrel::platform
