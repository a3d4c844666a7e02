#include "platform/path_text.h"

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

}  // namespace quorrel::platform
