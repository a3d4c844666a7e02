#pragma once

#include <filesystem>
#include <string>
#include <vector>

// File services of the engine. Paths are text in the system's code page (see path_text.h).
// Every function throws std::system_error (or std::filesystem::filesystem_error) on failure.
namespace quorrel::platform {

// The plain files of a folder, as a file list box shows them: no folders, no hidden or system
// files (on Linux and macOS a name starting with "." is hidden), sorted by name ignoring
// letter case, names that differ only in case in byte order.
std::vector<std::string> ListFiles(const std::string& folder);

// A file's last-modified date and time in local time, as "yyyy-mm-dd hh:mm:ss".
std::string LastModifiedText(const std::string& file);

// Creates one folder. Fails when it exists already or its parent is missing.
void CreateOneDirectory(const std::string& folder);

// Removes a folder with everything in it, as far as it can; never throws.
void RemoveTree(const std::string& folder) noexcept;

// Whether the name is a plain file, hidden and system files and folders excluded.
bool IsOrdinaryFile(const std::string& path);

// The process's current folder.
std::string CurrentDirectory();

// Copies one file over a file of the same name, if there is one, keeping the last-modified time.
// Takes paths rather than text, so that a name the code page cannot spell is still copied.
void CopyOneFile(const std::filesystem::path& source, const std::filesystem::path& target);

// "yyyy-mm-dd hh:mm:ss": the stamp's text, written by hand since every check writes one per file.
std::string StampText(int year, int month, int day, int hour, int minute, int second);

// Whether the platform's wildcard patterns ignore letter case (Windows) or not.
bool PatternsIgnoreCase();

// Whether the file system marks this entry as hidden or system.
bool IsHiddenOrSystem(const std::string& folder, const std::string& name);

}  // namespace quorrel::platform
