#pragma once

#include <string_view>

namespace quorrel::platform {

// Matches a file name against a pattern of "*" (any run of characters) and "?" (one character),
// as Windows does: a pattern ending in ".*" also matches the name without any extension, so
// "Hero.*" takes "Hero" as well as "Hero.d2s".
bool MatchesWildcard(std::string_view name, std::string_view pattern, bool ignoreCase);

}  // namespace quorrel::platform
