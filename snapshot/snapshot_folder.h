#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/clock.h"
#include "snapshot/filenames.h"

namespace quorrel {

// The character a save file belongs to: its name without the last extension, or the whole name
// when it has no dot ("Hero.d2s" and "Hero.key" both give "Hero").
std::string BaseName(const std::string& filename);

// The files of each of `characters` among `files`, by base name: one group per character that
// has a file there, in the order of their first files, each file in its place in `files`.
struct CharacterFiles {
    std::string character;
    std::vector<Filenames> files;
};
std::vector<CharacterFiles> GroupByCharacter(const std::vector<Filenames>& files,
                                             const std::unordered_set<std::string>& characters);

// What a snapshot folder's name says: the character, the moment it was taken, and from 2 on the
// number of a later snapshot of that character in the same second.
struct SnapshotName {
    std::string character;
    platform::LocalDateTime taken;
    int number = 1;

    bool operator==(const SnapshotName&) const = default;
};

// "Hero-06-12-2026-15-04-09", then "Hero-06-12-2026-15-04-09-2" and so on.
std::string SnapshotFolderName(const SnapshotName& name);

// The parts of a folder's name as SnapshotFolderName writes them, read from its end, since a
// character's name may itself hold "-" and digits; nothing for any other name (no character, a
// date or time out of range, a number below 2 or with a leading zero).
std::optional<SnapshotName> ParseSnapshotFolderName(std::string_view folderName);

}  // namespace quorrel
