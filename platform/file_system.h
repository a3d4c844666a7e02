#pragma once

#include <filesystem>
#include <string>
#include <vector>

// File services of the engine. Paths are UTF-8 text (see path_text.h).
// CreateOneDirectory and CurrentDirectory throw std::filesystem::filesystem_error on failure;
// RemoveTree never throws; the two questions answer false where the entry cannot be read.
namespace quorrel::platform {

// Creates one folder. Fails when it exists already or its parent is missing.
void CreateOneDirectory(const std::string& folder);

// Removes a folder with everything in it, as far as it can; never throws.
void RemoveTree(const std::string& folder) noexcept;

// Whether the name is a plain file, hidden and system files and folders excluded; false where it
// cannot be read.
bool IsOrdinaryFile(const std::string& path);

// The process's current folder.
std::string CurrentDirectory();

// Whether the file system marks this entry as hidden or system (on Linux and macOS: a name that
// starts with "."); false where it cannot be read.
bool IsHiddenOrSystem(const std::string& folder, const std::string& name);

}  // namespace quorrel::platform
