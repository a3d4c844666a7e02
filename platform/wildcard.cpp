#include "platform/wildcard.h"

#include <cctype>

namespace quorrel::platform {

namespace {

bool SameCharacter(char a, char b, bool ignoreCase)
{
    if (!ignoreCase) {
        return a == b;
    }
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

// Iterative matching with one backtracking point, linear in practice.
bool Matches(std::string_view name, std::string_view pattern, bool ignoreCase)
{
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starAt = std::string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || SameCharacter(pattern[p], name[n], ignoreCase))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern, bool ignoreCase)
{
    if (Matches(name, pattern, ignoreCase)) {
        return true;
    }
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
        return Matches(name, pattern.substr(0, pattern.size() - 2), ignoreCase);
    }
    return false;
}

}  // namespace quorrel::platform
