#include "platform/file_lister.h"

#include "platform/folder_listing.h"

namespace quorrel::platform {

// A folder read again mostly holds the same files, and the system gives them in the same order:
// then the order sorted the last time is used again, and only the stamps are taken.
void FileLister::list(const std::string& folder)
{
    path_ = folder;
    std::vector<ListedFile>& listed = listed_;
    listed.clear();
    try {
        WalkFolder(folder, [&listed](const FolderEntry& entry) {
            if (entry.kind == EntryKind::File && !entry.hidden) {
                listed.push_back({std::string(entry.name), std::string(entry.stamp)});
            }
        });
    } catch (...) {
        names_.clear();
        stamps_.clear();
        shownAt_.clear();
        throw;
    }

    bool sameFiles = listed.size() == names_.size();
    for (std::size_t i = 0; sameFiles && i < listed.size(); ++i) {
        sameFiles = listed[i].name == names_[shownAt_[i]];
    }
    if (sameFiles) {
        for (std::size_t i = 0; i < listed.size(); ++i) {
            stamps_[shownAt_[i]] = std::move(listed[i].stamp);
        }
        return;
    }

    const std::vector<std::size_t> order = SortedOrder(listed);
    names_.resize(listed.size());
    stamps_.resize(listed.size());
    shownAt_.resize(listed.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        names_[k] = std::move(listed[order[k]].name);
        stamps_[k] = std::move(listed[order[k]].stamp);
        shownAt_[order[k]] = k;
    }
}

}  // namespace quorrel::platform
