#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A folder's listing, one function per use: VisitFolder for each plain file with its stamp in
// the system's order, ListFolder for the same files sorted as a file list box shows them,
// FileLister (file_lister.h) for a folder listed again and again, ListSubFolders for the
// sub-folders. Paths are UTF-8
// text (see path_text.h).
namespace quorrel::platform {

struct ListedFile {
    std::string name;   // without folder
    std::string stamp;  // see FileStamp
};

// Calls `take` for each plain file of a folder, in the order the system keeps them, with its
// name and its stamp. Plain files only: no folders, no links (nor reparse points), no FIFOs or
// devices, no hidden or system files (on Linux and macOS a name starting with "." is hidden).
// Nothing is ever opened but the folder. Throws std::system_error when the folder cannot be
// listed or a stamp cannot be read.
void VisitFolder(const std::string& folder,
                 const std::function<void(std::string_view name, std::string_view stamp)>& take);

// The plain files of a folder with their stamps, as a file list box shows them: as VisitFolder
// gives them, sorted by name (see SortedOrder). Throws as VisitFolder does.
std::vector<ListedFile> ListFolder(const std::string& folder);

// The names of a folder's sub-folders (a link to a folder among them), hidden and system ones
// left out, in the order of SortedOrder. Throws std::filesystem::filesystem_error naming the
// folder when it cannot be listed or is no folder.
std::vector<std::string> ListSubFolders(const std::string& folder);

// A file's stamp as the listing gives it: its last-modified time to the precision that the file
// system keeps (nanoseconds on Linux, 100 ns on Windows) and its size. A link is not followed.
// Throws std::system_error when it cannot be read.
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
