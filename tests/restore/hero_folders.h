#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "support/temp_folder.h"

namespace quorrel::test {

// Every entry under a folder with its content and stamp.
using FolderImage = std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>>;

inline FolderImage ImageOf(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    FolderImage image;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        image[fs::relative(entry.path(), folder).string()] = {
            entry.is_regular_file() ? ReadFile(entry.path()) : "<folder>", entry.last_write_time()};
    }
    return image;
}

// A snapshot of Hero from last week, with a note of the player's, and a save folder where Hero
// has moved on since and another character lives.
inline void PlantHero(const std::filesystem::path& snapshot, const std::filesystem::path& save)
{
    namespace fs = std::filesystem;
    const auto lastWeek = fs::file_time_type::clock::now() - std::chrono::hours(24 * 7);
    for (const std::string name : {"Hero.d2s", "Hero.key", "Hero.map", "notes.txt"}) {
        WriteFile(snapshot / name, "then " + name);
        fs::last_write_time(snapshot / name, lastWeek);
        if (name != "notes.txt") {
            WriteFile(save / name, "now " + name);
        }
    }
    WriteFile(save / "Other.d2s", "another character");
}

}  // namespace quorrel::test
