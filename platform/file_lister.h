#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/folder_listing.h"

namespace quorrel::platform {

// ListFolder for a folder listed again and again, as a file list box used invisibly: each list()
// reads the folder's visible plain files again, each with its stamp, in one pass (see WalkFolder);
// the names and stamps are then read by index. The room and the sorted order of one listing serve
// the next (see README, Speed).
class FileLister {
public:
    // Throws as WalkFolder does; the lister is then empty.
    void list(const std::string& folder);
    const std::string& path() const { return path_; }

    std::size_t count() const { return names_.size(); }
    const std::string& name(std::size_t index) const { return names_.at(index); }
    const std::vector<std::string>& names() const { return names_; }
    // The stamp that the listing read (see FileStamp).
    const std::string& stamp(std::size_t index) const { return stamps_.at(index); }

private:
    std::string path_;
    std::vector<std::string> names_;
    std::vector<std::string> stamps_;
    // Where each file that the system listed, in its own order, stands in names_.
    std::vector<std::size_t> shownAt_;
    // The last listing in the system's order; kept so that its room serves the next one.
    std::vector<ListedFile> listed_;
};

}  // namespace quorrel::platform
