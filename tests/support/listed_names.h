#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/folder_listing.h"

namespace quorrel::test {

// The names of a folder's plain files, as ListFolder sorts them.
inline std::vector<std::string> ListedNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (platform::ListedFile& file : platform::ListFolder(folder)) {
        names.push_back(std::move(file.name));
    }
    return names;
}

// Everything in a folder, hidden names, folders and links included, sorted by bytes.
inline std::vector<std::string> Entries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quorrel::test
