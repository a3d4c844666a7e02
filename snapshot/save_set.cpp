#include "snapshot/save_set.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace quorrel {

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal but for ASCII letter case; `lower` is in lower case already.
bool SameName(std::string_view name, std::string_view lower)
{
    return name.size() == lower.size() && std::equal(name.begin(), name.end(), lower.begin(),
                                                     [](char c, char l) { return Lower(c) == l; });
}

constexpr std::array<std::pair<std::string_view, SharedStash>, 4> kSharedStashes{{
    {"sharedstashsoftcorev2.d2i", SharedStash::Softcore},
    {"sharedstashhardcorev2.d2i", SharedStash::Hardcore},
    {"_lod_sharedstashsave.sss", SharedStash::Softcore},
    {"_lod_hc_sharedstashsave.sss", SharedStash::Hardcore},
}};

}  // namespace

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
    return name.size() >= 4 && SameName(name.substr(name.size() - 4), ".d2s");
}

std::optional<SharedStash> SharedStashOf(std::string_view name)
{
    for (const auto& [stash, kind] : kSharedStashes) {
        if (SameName(name, stash)) {
            return kind;
        }
    }
    return std::nullopt;
}

bool IsRestorable(const std::vector<std::string>& fileNames)
{
    return IsSaveSet(fileNames) ||
           std::any_of(fileNames.begin(), fileNames.end(),
                       [](const std::string& name) { return SharedStashOf(name).has_value(); });
}

}  // namespace quorrel
