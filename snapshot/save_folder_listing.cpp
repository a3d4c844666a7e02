#include "snapshot/save_folder_listing.h"

#include "platform/file_system.h"
#include "platform/path_text.h"

namespace quorrel {

std::vector<Filenames> ListWithStamps(const std::string& folder)
{
    std::vector<Filenames> files;
    for (std::string& name : platform::ListFiles(folder)) {
        std::string stamp = platform::LastModifiedText(platform::JoinPath(folder, name));
        files.push_back({std::move(name), std::move(stamp)});
    }
    return files;
}

}  // namespace quorrel
