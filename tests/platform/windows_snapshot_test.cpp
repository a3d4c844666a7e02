// A snapshot on Windows semantics: the save folder on drive C:, the history at a drive root.
#include <gtest/gtest.h>

#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/path_text.h"
#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "windows_test_support.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

TEST(WindowsSnapshotTest, AtADriveRootTheFolderNameFollowsOneMoreBackslash)
{
    const std::string root = test::ScratchDriveRoot();
    if (root.empty()) {
        GTEST_SKIP() << "no drive root to write at; scripts/test-windows.sh maps one";
    }
    const test::TempFolder save;
    ASSERT_EQ(platform::DriveOf(save.text()), "C:") << "the save folder is on drive C:";
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "Mage.d2s"}) {
        test::WriteFile(save.path() / name, name);
    }

    Module1 state;
    state.SaveGameDir = save.text();
    state.SnapshotDir = root;
    state.RefreshTime = "60";
    test::ManualTimer timer;
    test::FakeClock clock;
    test::CountingBeeper beeper;
    platform::SystemFileCopier copier;
    const test::TempFolder logFolder;
    SnapshotCycle cycle(state, timer,
                        {clock, beeper, copier, (logFolder.path() / "Log.txt").string()});
    cycle.SetCheckPeriod();
    cycle.ListSaveFolder(state.KnownFiles);

    test::Touch(save.path() / "Hero.key");
    cycle.Timer1_Timer();

    const std::string snapshot = root + "\\Hero-06-12-2026-15-04-09";
    const std::vector<std::string> copied =
        platform::Exists(snapshot) ? platform::ListFiles(snapshot) : std::vector<std::string>{};
    platform::RemoveTree(snapshot);
    EXPECT_EQ(copied, (std::vector<std::string>{"Hero.d2s", "Hero.key", "Hero.map"})) << snapshot;
    EXPECT_EQ(beeper.beeps, 1);
    EXPECT_FALSE(fs::exists(logFolder.path() / "Log.txt"))
        << test::ReadFile(logFolder.path() / "Log.txt");
}

}  // namespace
}  // namespace quorrel
