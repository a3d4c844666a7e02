// The wildcard matcher against a plain dynamic-programming matcher of the same rules, on a name
// and a pattern separated by the input's first NUL.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/wildcard.h"

namespace {

bool Same(char a, char b, bool ignoreCase)
{
    return ignoreCase ? std::tolower(static_cast<unsigned char>(a)) ==
                            std::tolower(static_cast<unsigned char>(b))
                      : a == b;
}

// matches[i][j]: whether the first i characters of the name match the first j of the pattern.
bool Reference(std::string_view name, std::string_view pattern, bool ignoreCase)
{
    std::vector<std::vector<bool>> matches(name.size() + 1,
                                           std::vector<bool>(pattern.size() + 1, false));
    matches[0][0] = true;
    for (std::size_t j = 1; j <= pattern.size(); ++j) {
        matches[0][j] = matches[0][j - 1] && pattern[j - 1] == '*';
    }
    for (std::size_t i = 1; i <= name.size(); ++i) {
        for (std::size_t j = 1; j <= pattern.size(); ++j) {
            const char p = pattern[j - 1];
            matches[i][j] =
                p == '*' ? matches[i][j - 1] || matches[i - 1][j]
                         : matches[i - 1][j - 1] && (p == '?' || Same(p, name[i - 1], ignoreCase));
        }
    }
    return matches[name.size()][pattern.size()];
}

bool ReferenceWithExtensionRule(std::string_view name, std::string_view pattern, bool ignoreCase)
{
    if (Reference(name, pattern, ignoreCase)) {
        return true;
    }
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
           Reference(name, pattern.substr(0, pattern.size() - 2), ignoreCase);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    if (split == std::string_view::npos || size > 512) {
        return 0;
    }
    const std::string_view name = input.substr(0, split);
    const std::string_view pattern = input.substr(split + 1);
    for (const bool ignoreCase : {false, true}) {
        if (quorrel::platform::MatchesWildcard(name, pattern, ignoreCase) !=
            ReferenceWithExtensionRule(name, pattern, ignoreCase)) {
            std::abort();
        }
    }
    return 0;
}
