#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a save file is, by its name. Each rule is for its own use.
namespace quorrel {

// Whether a folder's file names look like a Diablo II save set: at least three names whose last
// three characters are exactly "d2s", "key" or "map" (letter case counts, no dot is looked for).
// The options dialog and the search for the save folder test a folder with it.
bool IsSaveSet(const std::vector<std::string>& fileNames);

// Whether a file is a character save: its name ends in ".d2s", in any letter case. Windows, where
// the game runs, ignores letter case in names, so that "Hero.D2S" is the same save to the game and
// to the player, and must be to Quorrel.
bool IsSaveFileName(std::string_view name);

// The game's shared stashes, which belong to no character: "SharedStashSoftCoreV2.d2i" and
// "SharedStashHardCoreV2.d2i" of the remastered game, "_LOD_SharedStashSave.sss" and
// "_LOD_HC_SharedStashSave.sss" of a popular single-player mod. A check snapshots a changed one as
// it does a character, under its base name. Letter case is ignored, as in IsSaveFileName.
enum class SharedStash { Softcore, Hardcore };
std::optional<SharedStash> SharedStashOf(std::string_view name);

// Whether the Load dialog restores a folder with these names: a save set, or a folder that holds
// a shared stash, so that every snapshot that Quorrel takes can be put back.
bool IsRestorable(const std::vector<std::string>& fileNames);

}  // namespace quorrel
