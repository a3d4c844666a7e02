#include "restore/restore_folder.h"

#include <gtest/gtest.h>

#include <system_error>

#include "restore/hero_folders.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::ImageOf;
using test::ReadFile;

class RestoreFolderTest : public testing::Test {
protected:
    // The folder's own stamp is left to the dialog's tests: Windows builds cannot set it.
    RestoreFolderTest() { test::PlantHero(snapshot, save); }

    test::TempFolder root;
    fs::path snapshot = root.folder("Hero-06-12-2026-15-04-09");
    fs::path save = root.folder("save");
};

TEST_F(RestoreFolderTest, RenameFailingPartWayIsUndone)
{
    const test::FolderImage before = ImageOf(save);
    // Hero.d2s is in place when Hero.key, held open by the game, cannot be moved aside; when
    // stuck, every rename after that fails as well. (The copies failing part-way are tested with
    // the dialog, on a folder where a file must go.)
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
    EXPECT_EQ(ImageOf(save).entries, before.entries);

    // Should even the way back fail, the old file is kept beside the new one, not lost.
    stuck = true;
    try {
        RestoreFolder(snapshot.string(), save.string(), heldOpen);
    } catch (const RestoreError& error) {
        EXPECT_FALSE(error.saveFolderIntact());
    }
    EXPECT_EQ(ReadFile(save / ".Hero.d2s.quorrel-old"), "now Hero.d2s");
    EXPECT_EQ(ReadFile(save / "Hero.key"), "now Hero.key");
}

}  // namespace
}  // namespace quorrel
