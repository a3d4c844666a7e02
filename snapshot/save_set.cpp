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

bool IsSaveFileName(std::string_view name)
{
    if (name.size() < 4) {
        return false;
    }
    const std::string_view ending = name.substr(name.size() - 4);
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return ending[0] == '.' && lower(ending[1]) == 'd' && ending[2] == '2' &&
           lower(ending[3]) == 's';
}

}  // namespace quorrel
