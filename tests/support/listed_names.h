#pragma once

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

}  // namespace quorrel::test
