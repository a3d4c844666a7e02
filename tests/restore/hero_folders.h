#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/file_ops.h"
#include "restore/restore_folder.h"
#include "support/faulty_files.h"
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

// Stands for the program being killed. It is no std::exception, so nothing in the restore
// catches it: nothing after it runs.
struct Kill {};

// Restores snapshot into save and kills the restore at the first file operation for which `at`
// holds.
inline void KillRestore(
    const std::filesystem::path& snapshot, const std::filesystem::path& save,
    const std::function<bool(std::string_view operation, const std::filesystem::path& file)>& at)
{
    FaultyFiles files;
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

// The disk of one folder fills up while the copy of one file is written into it: part of the copy
// is written, then the writer fails with "No space left on device", naming the file it was
// writing.
class FullDisk final : public platform::SystemFileOps {
public:
    FullDisk(std::filesystem::path folder, std::string fullAt)
        : folder_(std::move(folder)), fullAt_(std::move(fullAt))
    {
    }

    void Copy(const std::filesystem::path& source, const std::filesystem::path& target) override
    {
        if (target.parent_path() != folder_ || source.filename() != fullAt_) {
            SystemFileOps::Copy(source, target);
            return;
        }
        WriteFile(target, ReadFile(source).substr(0, 3));
        throw std::filesystem::filesystem_error(
            "Cannot write", target, std::make_error_code(std::errc::no_space_on_device));
    }

private:
    std::filesystem::path folder_;
    std::string fullAt_;
};

}  // namespace quorrel::test
