#include "restore/safety_snapshot.h"

#include <gtest/gtest.h>

#include "restore/hero_folders.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

TEST(SafetySnapshotTest, KeepsEveryFileOfTheCharactersTheRestoreReplaces)
{
    const test::TempFolder root;
    const fs::path snapshot = root.folder("snapshots/Hero-06-12-2026-15-04-09");
    const fs::path save = root.folder("save");
    test::PlantHero(snapshot, save);
    test::WriteFile(save / "Hero.txt", "a note of Hero's that the snapshot lacks");
    const std::string snapshots = (root.path() / "snapshots").string();
    const platform::LocalDateTime moment{2026, 12, 7, 9, 30, 0};

    const std::vector<std::string> folders = TakeSafetySnapshot(
        snapshot.string(), save.string(), snapshots, moment, platform::SystemFiles());
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(fs::path(folders[0]), root.path() / "snapshots" / "Hero-07-12-2026-09-30-00");
    test::FolderImage kept = test::ImageOf(save);
    kept.erase("Other.d2s");
    EXPECT_EQ(test::ImageOf(folders[0]), kept);

    // No restore may start: with no SnapshotDir, or while the game writes a save.
    const test::FolderImage saved = test::ImageOf(save);
    EXPECT_THROW(
        TakeSafetySnapshot(snapshot.string(), save.string(), (root.path() / "gone").string(),
                           moment, platform::SystemFiles()),
        SafetySnapshotError);
    test::FaultyFiles gameSaving;
    gameSaving.before = [&](std::string_view, const fs::path&) { test::Touch(save / "Hero.d2s"); };
    try {
        TakeSafetySnapshot(snapshot.string(), save.string(), snapshots, {2026, 12, 7, 9, 31, 0},
                           gameSaving);
        ADD_FAILURE() << "a save written during the copy went unnoticed";
    } catch (const SafetySnapshotError& error) {
        EXPECT_NE(error.reason().find("Hero.d2s changed"), std::string::npos) << error.reason();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(root.path() / "snapshots"), {}), 2)
        << "the restored snapshot and the first safety snapshot, and no partial one";
    EXPECT_EQ(test::ImageOf(save).size(), saved.size());
}

}  // namespace
}  // namespace quorrel
