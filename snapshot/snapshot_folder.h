#pragma once

#include <string>

#include "platform/clock.h"

namespace quorrel {

// The character a save file belongs to: its name without the last extension, or the whole name
// when it has no dot ("Hero.d2s" and "Hero.key" both give "Hero").
std::string BaseName(const std::string& filename);

// The name of a snapshot folder: the character, the date and the time, "Hero-06-12-2026-15-04-09".
std::string SnapshotFolderName(const std::string& baseName, const platform::LocalDateTime& taken);

}  // namespace quorrel
