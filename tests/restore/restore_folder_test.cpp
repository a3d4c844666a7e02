#include "restore/restore_folder.h"

#include <gtest/gtest.h>

#include <system_error>

#include "restore/hero_folders.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

// Copies failing part-way, and the folder's own stamp that Windows builds cannot set, are tested
// with the dialog.
TEST(RestoreFolderTest, RenameFailingPartWayIsUndone)
{
    const test::TempFolder root;
    const fs::path snapshot = root.folder("Hero-06-12-2026-15-04-09");
    const fs::path save = root.folder("save");
    test::PlantHero(snapshot, save);
    const test::FolderImage before = test::ImageOf(save);
    const std::error_code busy = std::make_error_code(std::errc::device_or_resource_busy);

    // Hero.d2s is in place when Hero.key, held open by the game, cannot be moved aside. When
    // stuck, every rename after that fails too, the way back included.
    for (const bool stuck : {false, true}) {
        bool failed = false;
        const auto heldOpen = [&](const fs::path& from, const fs::path& to) {
            if (from == save / "Hero.key" || (stuck && failed)) {
                failed = true;
                throw fs::filesystem_error("rename", from, to, busy);
            }
            fs::rename(from, to);
        };
        try {
            RestoreFolder(snapshot.string(), save.string(), heldOpen);
            ADD_FAILURE() << "a failed rename went unreported";
        } catch (const RestoreError& error) {
            EXPECT_EQ(fs::path(error.file()), save / "Hero.key");
            EXPECT_EQ(error.reason(), busy.message());
            EXPECT_EQ(error.saveFolderIntact(), !stuck);
        }
        if (!stuck) {
            EXPECT_EQ(test::ImageOf(save), before);
        }
    }
    // Even when the way back fails, the old file is kept beside the new one, not lost.
    EXPECT_EQ(test::ReadFile(save / ".Hero.d2s.quorrel-old"), "now Hero.d2s");
    EXPECT_EQ(test::ReadFile(save / "Hero.key"), "now Hero.key");
}

}  // namespace
}  // namespace quorrel
