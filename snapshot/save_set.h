#pragma once

#include <string>
#include <vector>

namespace quorrel {

// Whether a folder's file names look like a Diablo II save set: at least three names whose last
// three characters are exactly "d2s", "key" or "map" (letter case counts, no dot is looked for).
bool IsSaveSet(const std::vector<std::string>& fileNames);

}  // namespace quorrel
