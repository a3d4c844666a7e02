#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "restore/restore_folder.h"
#include "support/temp_folder.h"
#include "support/watched_files.h"

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

// A snapshot of Hero from last week with notes.txt, and a save folder where Hero has moved on and
// Other lives; `before` and `after` are the save folder as it is and as a whole restore leaves it.
struct HeroScene {
    TempFolder root;
    std::filesystem::path snapshot = root.folder("Hero-29-11-2026-20-15-00");
    std::filesystem::path save = root.folder("save");
    FolderImage before;
    FolderImage after;

    HeroScene()
    {
        const auto lastWeek =
            std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 7);
        for (const std::string name : {"Hero.d2s", "Hero.key", "Hero.map", "notes.txt"}) {
            WriteFile(snapshot / name, "then " + name);
            std::filesystem::last_write_time(snapshot / name, lastWeek);
            if (name != "notes.txt") {
                WriteFile(save / name, "now " + name);
            }
        }
        WriteFile(save / "Other.d2s", "another character");
        before = after = ImageOf(save);
        for (const auto& [name, entry] : ImageOf(snapshot)) {
            after[name] = entry;
        }
    }
};

// Restores snapshot into save, killed at the first file operation for which `at` holds.
inline void KillRestore(
    const std::filesystem::path& snapshot, const std::filesystem::path& save,
    const std::function<bool(std::string_view operation, const std::filesystem::path& file)>& at)
{
    WatchedFiles files;
    files.before = [&](std::string_view operation, const std::filesystem::path& file) {
        if (at(operation, file)) {
            throw Kill{};
        }
    };
    try {
        RestoreFolder(snapshot.string(), save.string(), files);
    } catch (const Kill&) {
        return;
    }
    throw std::logic_error("the restore ran to its end");
}

}  // namespace quorrel::test
