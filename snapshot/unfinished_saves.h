#pragma once

#include <map>
#include <string>
#include <vector>

#include "snapshot/filenames.h"

namespace quorrel {

// Holds back the snapshot of a character whose save file is caught while the game writes it
// (see SaveFileCheck), until the next check. A save that looks unfinished at two checks in a row
// with the same stamp is no longer being written: a modded game may simply write it otherwise,
// and the player may still want it, so it is taken as it is.
class UnfinishedSaves {
public:
    // Whether the snapshot of a changed character should wait for the next check. Reads the
    // character's .d2s files (never a link or a special file); throws when one cannot be read.
    bool ShouldWait(const std::string& saveFolder, const std::string& character,
                    const std::vector<Filenames>& files);

    // Called at the end of each check: the characters that did not wait at this check are
    // forgotten.
    void CheckDone();

private:
    // Per character, the .d2s files that looked unfinished, with their stamps.
    std::map<std::string, std::vector<Filenames>> seen_;
    std::map<std::string, std::vector<Filenames>> waiting_;
};

}  // namespace quorrel
