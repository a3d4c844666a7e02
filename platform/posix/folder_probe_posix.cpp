#include <stdlib.h>
#include <unistd.h>

#include <vector>

#include "platform/folder_probe.h"
#include "platform/path_text.h"

namespace quorrel::platform {

bool CanCreateFilesIn(const std::string& folder)
{
    // mkstemp picks a name that no file has, and creates it for this process alone.
    const std::string pattern = JoinPath(folder, ".quorrel-probe-XXXXXX");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    ::unlink(name.data());
    return true;
}

}  // namespace quorrel::platform
