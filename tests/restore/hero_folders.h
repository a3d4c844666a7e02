#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "support/temp_folder.h"

namespace quorrel::test {

// Everything in a folder, down to the stamps, the folder's own included.
struct FolderImage {
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> entries;
    std::filesystem::file_time_type stamp;
    bool operator==(const FolderImage&) const = default;
};

inline FolderImage ImageOf(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    FolderImage image{{}, fs::last_write_time(folder)};
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        image.entries[fs::relative(entry.path(), folder).string()] = {
            entry.is_regular_file() ? ReadFile(entry.path()) : "<folder>", entry.last_write_time()};
    }
    return image;
}

// A snapshot of Hero from last week, with a note of the player's, and a save folder where Hero
// has moved on since and another character lives. The save folder's own stamp is old as well,
// where that can be set, so that anything touching it shows.
inline void PlantHero(const std::filesystem::path& snapshot, const std::filesystem::path& save)
{
    namespace fs = std::filesystem;
    const auto lastWeek = fs::file_time_type::clock::now() - std::chrono::hours(24 * 7);
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "notes.txt"}) {
        WriteFile(snapshot / name, std::string("then ") + name);
        fs::last_write_time(snapshot / name, lastWeek);
        if (name != std::string("notes.txt")) {
            WriteFile(save / name, std::string("now ") + name);
        }
    }
    WriteFile(save / "Other.d2s", "another character");
    std::error_code notOnWindows;  // where the C++ library cannot set a folder's time
    fs::last_write_time(save, lastWeek, notOnWindows);
}

}  // namespace quorrel::test
