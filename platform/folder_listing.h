#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The save folder as a check sees it: each plain file's name with its stamp, read in one pass.
// Paths are text in the system's code page (see path_text.h).
namespace quorrel::platform {

struct ListedFile {
    std::string name;   // without folder
    std::string stamp;  // see FileStamp
};

// The plain files of a folder with their stamps, as a file list box shows them: no folders, no
// links (nor reparse points), no FIFOs or devices, no hidden or system files (on Linux and macOS
// a name starting with "." is hidden), sorted by name ignoring ASCII letter case, names that
// differ only in case in byte order. Nothing listed is ever opened. Throws std::system_error
// when the folder cannot be listed or a stamp cannot be read.
std::vector<ListedFile> ListFolder(const std::string& folder);

// A file's stamp as the listing gives it: its last-modified time to the precision that the file
// system keeps (nanoseconds on Linux, 100 ns on Windows) and its size, as text that is only ever
// compared with another stamp. A link is not followed. Throws std::system_error when it cannot
// be read.
std::string FileStamp(const std::string& file);

// "<seconds since 1970>.<nine digits of nanoseconds> <size in bytes>": every save, however soon
// after the last one, gives a new stamp, unless it is written within the file system's own
// time step at the same size.
std::string StampText(std::int64_t seconds, std::uint32_t nanoseconds, std::uint64_t size);

// Orders a listing: by name ignoring ASCII letter case, then byte order, so that the order is
// the same at every listing and never depends on the locale.
void SortByName(std::vector<ListedFile>& files);

}  // namespace quorrel::platform
