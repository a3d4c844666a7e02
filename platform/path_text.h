#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorrel::platform {

// Directory paths are kept as text, as the settings file stores them. These helpers are the one
// place where that text meets the file system.

// The platform's separator: "\" on Windows, "/" elsewhere.
inline constexpr char kPathSeparator =
    static_cast<char>(std::filesystem::path::preferred_separator);

// left + one separator + right, whatever left ends with: a drive root "C:\" joined with "Hero"
// gives "C:\\Hero", which Windows reads as "C:\Hero".
std::string JoinPath(std::string_view left, std::string_view right);

// The program's text (UTF-8 everywhere, so that any name survives) to a path and back. Windows
// names files in UTF-16; these are the only conversions between the two.
std::filesystem::path ToPath(const std::string& text);
std::string ToText(const std::filesystem::path& path);

// A folder of a chain, as a directory list box shows it.
struct FolderLink {
    std::string name;  // its own name; a root's is its whole path ("C:\", "/")
    std::string path;  // its full path
};

// The folders from the root down to `folder`, whose path is made full first: absolute, with "."
// and ".." resolved, one separator (the platform's) between names and none at the end but a
// root's. Empty when `folder` is empty. Nothing is looked up on the disk.
std::vector<FolderLink> FolderChain(const std::string& folder);

// The full path of `path` as FolderChain makes it; empty when it has none.
std::string FullPath(const std::string& path);

}  // namespace quorrel::platform
