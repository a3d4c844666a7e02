#include "platform/path_text.h"

#include <algorithm>

namespace quorrel::platform {

std::string JoinPath(std::string_view left, std::string_view right)
{
    std::string joined;
    joined.reserve(left.size() + 1 + right.size());
    joined.append(left);
    joined.push_back(kPathSeparator);
    joined.append(right);
    return joined;
}

std::vector<FolderLink> FolderChain(const std::string& folder)
{
    const std::string full = FullPath(folder);
    if (full.empty()) {
        return {};
    }
    // The root ends at the first separator ("C:\", "/"), or at the fourth where the path starts
    // with two, on a server's share ("\\server\share\").
    std::size_t rootEnd = full.find(kPathSeparator);
    if (rootEnd == 0 && full.size() > 1 && full[1] == kPathSeparator) {
        for (int separator = 0; separator < 3 && rootEnd != std::string::npos; ++separator) {
            rootEnd = full.find(kPathSeparator, rootEnd + 1);
        }
    }
    if (rootEnd == std::string::npos) {
        return {{full, full}};  // a share named without its separator: one root
    }
    std::vector<FolderLink> chain{{full.substr(0, rootEnd + 1), full.substr(0, rootEnd + 1)}};
    for (std::size_t start = rootEnd + 1; start < full.size();) {
        const std::size_t end = std::min(full.find(kPathSeparator, start), full.size());
        chain.push_back({full.substr(start, end - start), full.substr(0, end)});
        start = end + 1;
    }
    return chain;
}

}  // namespace quorrel::platform
