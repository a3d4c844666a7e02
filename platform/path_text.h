#pragma once

#include <filesystem>
#include <string>
#include <string_view>

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

}  // namespace quorrel::platform
