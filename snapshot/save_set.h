#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a save file is, by its name. There are two rules, each for its own use.
namespace quorrel {

// Whether a folder's file names look like a Diablo II save set: at least three names whose last
// three characters are exactly "d2s", "key" or "map" (letter case counts, no dot is looked for).
// The options and Load dialogs test a folder with it.
bool IsSaveSet(const std::vector<std::string>& fileNames);

// Whether a file is a character save: its name ends in ".d2s", in any letter case. Windows, where
// the game runs, ignores letter case in names, so that "Hero.D2S" is the same save to the game and
// to the player, and must be to Quorrel.
bool IsSaveFileName(std::string_view name);

}  // namespace quorrel
