#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A folder's listing. WalkFolder is the one walk over a folder's entries, and states the one rule
// for them: every entry is reported as what it is itself (a link is never followed), with whether
// the system hides it. ListFolder, FileLister (file_lister.h) and ListSubFolders are its views for
// the file and directory list boxes. Paths are UTF-8 text (see path_text.h).
namespace quorrel::platform {

enum class EntryKind {
    File,    // a plain file
    Folder,  // a folder itself, not a link to one
    Other,   // a link (to anything), a FIFO, a device, a socket
};

struct FolderEntry {
    std::string_view name;  // without folder
    EntryKind kind;
    bool hidden;             // a name starting with "." on Linux and macOS; on Windows the hidden
                             // or system attribute
    std::string_view stamp;  // plain files only: see FileStamp
};

// Calls `take` for each entry of a folder but "." and "..", in the order the system keeps them.
// Nothing is opened but the folder. Throws std::filesystem::filesystem_error naming the folder
// when it cannot be listed, or the entry whose status cannot be read (it vanished meanwhile).
void WalkFolder(const std::string& folder, const std::function<void(const FolderEntry&)>& take);

// A plain file as a file list box shows it.
struct ListedFile {
    std::string name;   // without folder
    std::string stamp;  // see FileStamp
};

// The visible plain files of a folder with their stamps, as a file list box shows them: sorted by
// name (see SortedOrder). Throws as WalkFolder does.
std::vector<ListedFile> ListFolder(const std::string& folder);

// The names of a folder's visible sub-folders, a link to a folder among them, in the order of
// SortedOrder. Throws as WalkFolder does; a file is no folder to list.
std::vector<std::string> ListSubFolders(const std::string& folder);

// A file's stamp as the listing gives it: its last-modified time to the precision that the file
// system keeps (nanoseconds on Linux, 100 ns on Windows) and its size. A link is not followed.
// This is what "unchanged" means everywhere: the same stamp. Throws
// std::filesystem::filesystem_error when it cannot be read.
std::string FileStamp(const std::string& file);

// The text of a stamp, only ever compared with another stamp: the last-modified time in
// nanoseconds since 1970 as eleven base-64 digits, then the size in base-64 digits. It is short
// enough to be held without a separate allocation (up to a size of 16 MiB), since a check makes
// one for every file of the folder. Every save, however soon after the last one, gives a new
// stamp, unless it is written within the file system's own time step at the same size.
std::string StampText(std::int64_t seconds, std::uint32_t nanoseconds, std::uint64_t size);

// The order in which a file list box shows names: by name ignoring ASCII letter case, then in
// byte order, so that it is the same at every listing and never depends on the locale. Gives
// the positions of the files in that order.
std::vector<std::size_t> SortedOrder(const std::vector<ListedFile>& files);

}  // namespace quorrel::platform
