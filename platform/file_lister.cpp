#include "platform/file_lister.h"

#include "platform/file_system.h"

namespace quorrel::platform {

void FileLister::setPath(const std::string& folder)
{
    names_.clear();
    path_ = folder;
    names_ = ListFiles(folder);
}

}  // namespace quorrel::platform
