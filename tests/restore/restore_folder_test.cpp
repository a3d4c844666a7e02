#include "restore/restore_folder.h"

#include <gtest/gtest.h>

#include <map>
#include <system_error>

#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

// Everything in a folder, down to the stamps, the folder's own included.
struct FolderImage {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> entries;
    fs::file_time_type stamp;
    bool operator==(const FolderImage&) const = default;
};

FolderImage ImageOf(const fs::path& folder) {
    FolderImage image{{}, fs::last_write_time(folder)};
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        image.entries[fs::relative(entry.path(), folder).string()] = {
            entry.is_regular_file() ? ReadFile(entry.path()) : "<folder>", entry.last_write_time()};
    }
    return image;
}

class RestoreFolderTest : public testing::Test {
protected:
    RestoreFolderTest() {
        const auto lastWeek = fs::file_time_type::clock::now() - std::chrono::hours(24 * 7);
        for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "notes.txt"}) {
            WriteFile(snapshot / name, std::string("then ") + name);
            fs::last_write_time(snapshot / name, lastWeek);
            WriteFile(save / name, std::string("now ") + name);
        }
        fs::remove(save / "notes.txt");
        WriteFile(save / "Other.d2s", "another character");
        // Older than any of the test's own changes, so that a touched folder shows.
        fs::last_write_time(save, lastWeek);
    }

    TempFolder root;
    fs::path snapshot = root.folder("Hero-06-12-2026-15-04-09");
    fs::path save = root.folder("save");
};

TEST_F(RestoreFolderTest, EveryFileReplacesItsNamesakeWithItsStampAndOthersStay) {
    RestoreFolder(snapshot.string(), save.string());

    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "notes.txt"}) {
        EXPECT_EQ(ReadFile(save / name), std::string("then ") + name);
        EXPECT_EQ(fs::last_write_time(save / name), fs::last_write_time(snapshot / name)) << name;
    }
    EXPECT_EQ(ReadFile(save / "Other.d2s"), "another character");
    EXPECT_EQ(ImageOf(save).entries.size(), 5u) << "no temporary file is left behind";
}

TEST_F(RestoreFolderTest, FolderWhereAFileMustGoStopsItAndTouchesNothing) {
    fs::remove(save / "Hero.map");
    WriteFile(root.folder("save/Hero.map") / "inside", "x");
    fs::last_write_time(save, fs::last_write_time(snapshot / "Hero.d2s"));
    const FolderImage before = ImageOf(save);

    try {
        RestoreFolder(snapshot.string(), save.string());
        FAIL() << "restored over a folder";
    } catch (const RestoreError& error) {
        EXPECT_EQ(fs::path(error.file()), save / "Hero.map");
        EXPECT_EQ(error.reason(), std::make_error_code(std::errc::is_a_directory).message());
        EXPECT_TRUE(error.saveFolderIntact());
    }
    EXPECT_EQ(ImageOf(save), before);
}

TEST_F(RestoreFolderTest, RenameFailingPartWayIsUndone) {
    const FolderImage before = ImageOf(save);
    // Hero.d2s is in place when Hero.key, held open by the game, cannot be moved aside; from
    // then on every rename fails if stuck is set.
    bool stuck = false;
    bool failing = false;
    const auto heldOpen = [&](const fs::path& from, const fs::path& to) {
        failing = failing || (from == save / "Hero.key");
        if (failing) {
            failing = stuck;
            throw fs::filesystem_error("rename", from, to,
                                       std::make_error_code(std::errc::device_or_resource_busy));
        }
        fs::rename(from, to);
    };
    try {
        RestoreFolder(snapshot.string(), save.string(), heldOpen);
        FAIL() << "a failed rename went unreported";
    } catch (const RestoreError& error) {
        EXPECT_EQ(fs::path(error.file()), save / "Hero.key");
        EXPECT_EQ(error.reason(),
                  std::make_error_code(std::errc::device_or_resource_busy).message());
        EXPECT_TRUE(error.saveFolderIntact());
    }
    EXPECT_EQ(ImageOf(save), before);

    // Should even the way back fail, the old file is kept beside the new one, not lost.
    stuck = true;
    try {
        RestoreFolder(snapshot.string(), save.string(), heldOpen);
        FAIL() << "a failed rename went unreported";
    } catch (const RestoreError& error) {
        EXPECT_FALSE(error.saveFolderIntact());
    }
    EXPECT_EQ(ReadFile(save / ".Hero.d2s.quorrel-old"), "now Hero.d2s");
    EXPECT_EQ(ReadFile(save / "Hero.key"), "now Hero.key");
}

TEST_F(RestoreFolderTest, MissingSaveFolderIsNamed) {
    const fs::path missing = root.path() / "gone";
    try {
        RestoreFolder(snapshot.string(), missing.string());
        FAIL() << "restored into nothing";
    } catch (const RestoreError& error) {
        EXPECT_EQ(fs::path(error.file()), missing);
    }
    EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
}  // namespace quorrel
