#include "snapshot/save_folder_listing.h"

#include "platform/folder_listing.h"

namespace quorrel {

std::vector<Filenames> ListWithStamps(const std::string& folder)
{
    std::vector<Filenames> files;
    for (platform::ListedFile& file : platform::ListFolder(folder)) {
        files.push_back({std::move(file.name), std::move(file.stamp)});
    }
    return files;
}

}  // namespace quorrel
