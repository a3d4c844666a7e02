#include "platform/file_lister.h"

#include "platform/folder_listing.h"

namespace quorrel::platform {

void FileLister::setPath(const std::string& folder)
{
    names_.clear();
    stamps_.clear();
    path_ = folder;
    std::vector<ListedFile> files = ListFolder(folder);
    names_.reserve(files.size());
    stamps_.reserve(files.size());
    for (ListedFile& file : files) {
        names_.push_back(std::move(file.name));
        stamps_.push_back(std::move(file.stamp));
    }
}

}  // namespace quorrel::platform
