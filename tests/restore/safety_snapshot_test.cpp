#include "restore/safety_snapshot.h"

#include <gtest/gtest.h>

#include "support/hero_folders.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;

TEST(SafetySnapshotTest, KeepsEveryFileOfTheCharactersTheRestoreReplaces)
{
    const HeroScene scene;
    WriteFile(scene.save / "Hero.txt", "a note of Hero's that the snapshot lacks");
    const auto take = [&scene](const fs::path& snapshotDir, int minute, platform::FileOps& ops) {
        return TakeSafetySnapshot(scene.snapshot.string(), scene.save.string(),
                                  snapshotDir.string(), {2026, 12, 7, 9, minute, 0}, ops);
    };
    const std::vector<std::string> folders = take(scene.root.path(), 30, platform::SystemFiles());
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(fs::path(folders[0]), scene.root.path() / "Hero-07-12-2026-09-30-00");
    FolderImage kept = ImageOf(scene.save);
    kept.erase("Other.d2s");
    EXPECT_EQ(ImageOf(folders[0]), kept);

    // No restore may start: with no SnapshotDir, or while the game writes a save.
    EXPECT_THROW(take(scene.root.path() / "gone", 31, platform::SystemFiles()), RestoreError);
    WatchedFiles gameSaving;
    gameSaving.before = [&](std::string_view, const fs::path&) { Touch(scene.save / "Hero.d2s"); };
    try {
        take(scene.root.path(), 31, gameSaving);
        ADD_FAILURE() << "a save written during the copy went unnoticed";
    } catch (const RestoreError& error) {
        EXPECT_EQ(error.stage(), RestoreStage::SafetySnapshot);
        EXPECT_EQ(error.state(), SaveFolderState::AsBefore);
        EXPECT_NE(error.reason().find("Hero.d2s changed"), std::string::npos) << error.reason();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(scene.root.path()), {}), 3)
        << "the save folder, the restored snapshot and the first safety snapshot, no partial one";
}

}  // namespace
}  // namespace quorrel
