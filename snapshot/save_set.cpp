#include "snapshot/save_set.h"

#include <algorithm>
#include <string_view>

namespace quorrel {

bool IsSaveSet(const std::vector<std::string>& fileNames)
{
    const auto isSaveFile = [](std::string_view name) {
        if (name.size() < 3) {
            return false;
        }
        const std::string_view ending = name.substr(name.size() - 3);
        return ending == "d2s" || ending == "key" || ending == "map";
    };
    return std::count_if(fileNames.begin(), fileNames.end(), isSaveFile) >= 3;
}

}  // namespace quorrel
