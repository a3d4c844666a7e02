#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "snapshot/character_summary.h"

// The characters that a snapshot folder holds, read from their save files' headers on demand.
namespace quorrel {

// One character save (.d2s) of a folder and what its header tells.
struct SnapshotSave {
    std::string file;  // name without folder
    // The save format the file names; absent when it cannot be read or is no save file.
    std::optional<std::uint32_t> version;
    std::optional<CharacterSummary> summary;
};

// The names of the character saves directly in a folder (plain files, see IsSaveFileName), in
// name order; none when the folder cannot be read.
std::vector<std::string> SaveFileNames(const std::string& folder);

// Reads no more of the file than its summary needs, through an open that follows no link and
// never waits: a file that cannot be read gives neither version nor summary.
SnapshotSave ReadSnapshotSave(const std::string& folder, const std::string& file);

// The first character of a folder that is dead in hardcore, if any: restoring it would bring
// back a character that the game will not let play again.
std::optional<CharacterSummary> DeadHardcoreCharacter(const std::string& folder);

}  // namespace quorrel
