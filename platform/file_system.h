#pragma once

#include <filesystem>
#include <string>
#include <vector>

// File services of the engine. Paths are UTF-8 text (see path_text.h).
// Every function throws std::system_error (or std::filesystem::filesystem_error) on failure.
namespace quorrel::platform {

// The names of a folder's plain files, as ListFolder (folder_listing.h) lists them.
std::vector<std::string> ListFiles(const std::string& folder);

// Creates one folder. Fails when it exists already or its parent is missing.
void CreateOneDirectory(const std::string& folder);

// Removes a folder with everything in it, as far as it can; never throws.
void RemoveTree(const std::string& folder) noexcept;

// Whether the name is a plain file, hidden and system files and folders excluded.
bool IsOrdinaryFile(const std::string& path);

// The process's current folder.
std::string CurrentDirectory();

// Whether the platform's wildcard patterns ignore letter case (Windows) or not.
bool PatternsIgnoreCase();

// Whether the file system marks this entry as hidden or system.
bool IsHiddenOrSystem(const std::string& folder, const std::string& name);

}  // namespace quorrel::platform
