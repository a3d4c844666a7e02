// The save folder's lock: one restore at a time, and no snapshot from a folder being restored,
// whichever copy of Quorrel does them.
#include "snapshot/save_folder_lock.h"

#include <gtest/gtest.h>

#include <algorithm>

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"
#include "support/faulty_files.h"
#include "support/listed_names.h"
#include "support/save_bytes.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Kind = SaveFolderLock::Kind;

TEST(SaveFolderLockTest, OnlySharedLocksStandBesideEachOtherAndALockGoesWithItsHolder)
{
    TempFolder save;
    struct Row {
        Kind first;
        Kind second;
        bool both;
    };
    for (const Row& row :
         {Row{Kind::Shared, Kind::Shared, true}, Row{Kind::Shared, Kind::Exclusive, false},
          Row{Kind::Exclusive, Kind::Shared, false},
          Row{Kind::Exclusive, Kind::Exclusive, false}}) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(row.first) << " then " << static_cast<int>(row.second));
        {
            const std::optional<SaveFolderLock> first = LockSaveFolder(save.text(), row.first);
            ASSERT_TRUE(first.has_value());
            EXPECT_EQ(LockSaveFolder(save.text(), row.second).has_value(), row.both);
        }
        EXPECT_TRUE(LockSaveFolder(save.text(), row.second).has_value()) << "the first let go";
    }
}

TEST(SaveFolderLockTest, TheLockFileIsNeverListedAndLeavesTheFoldersTimeAlone)
{
    TempFolder root;
    const fs::path save = root.folder("save");
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        WriteFile(save / name, name);
    }
#ifndef _WIN32
    // The standard library cannot set a folder's time on Windows, so there the lock's making
    // leaves the folder with a new one.
    const auto lastWeek = fs::last_write_time(save) - std::chrono::hours(24 * 7);
    fs::last_write_time(save, lastWeek);
#endif
    ASSERT_TRUE(LockSaveFolder(save.string(), Kind::Exclusive).has_value());
    ASSERT_TRUE(fs::exists(save / kSaveFolderLockName));
#ifndef _WIN32
    EXPECT_EQ(fs::last_write_time(save), lastWeek);
#endif
    EXPECT_EQ(test::ListedNames(save.string()),
              (std::vector<std::string>{"Hero.d2s", "Hero.key", "Hero.map"}));
    EXPECT_EQ(platform::ListFolder(save.string()).size(), 3u);
}

TEST(SaveFolderLockTest, WhatStandsInTheLocksPlaceIsRefusedWithoutWaiting)
{
    TempFolder save;
    const fs::path lock = save.path() / kSaveFolderLockName;
    fs::create_directory(lock);
    EXPECT_THROW(LockSaveFolder(save.text(), Kind::Exclusive), fs::filesystem_error);
#ifndef _WIN32
    fs::remove(lock);
    ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0);
    EXPECT_THROW(LockSaveFolder(save.text(), Kind::Shared), fs::filesystem_error);
    fs::remove(lock);
    WriteFile(save.path() / "elsewhere", "");
    fs::create_symlink(save.path() / "elsewhere", lock);
    EXPECT_THROW(LockSaveFolder(save.text(), Kind::Exclusive), fs::filesystem_error);
#endif
}

TEST(SaveFolderLockTest, AnotherProcesssLockStandsInTheWayUntilItIsKilled)
{
#ifdef _WIN32
    GTEST_SKIP() << "starting a second process this way is POSIX only; the Windows lock is tested "
                    "with two locks of one process, which the system keeps apart the same way";
#else
    TempFolder save;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        // The other copy: it takes the lock, says so, and works on until it is killed.
        const std::optional<SaveFolderLock> lock = LockSaveFolder(save.text(), Kind::Exclusive);
        const char told = lock ? 'y' : 'n';
        static_cast<void>(::write(ready[1], &told, 1));
        for (;;) {
            ::pause();
        }
    }
    ::close(ready[1]);
    char told = 0;
    ASSERT_EQ(::read(ready[0], &told, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(told, 'y');
    EXPECT_FALSE(LockSaveFolder(save.text(), Kind::Shared).has_value());
    EXPECT_FALSE(LockSaveFolder(save.text(), Kind::Exclusive).has_value());
    ::kill(other, SIGKILL);
    int status = 0;
    ::waitpid(other, &status, 0);
    EXPECT_TRUE(LockSaveFolder(save.text(), Kind::Exclusive).has_value())
        << "a copy that died never stands in the way";
#endif
}

TEST(SaveFolderLockTest, ACheckWaitsWhileAnotherCopyRestoresIntoTheSaveFolder)
{
    TempFolder root;
    const fs::path save = root.folder("save");
    const fs::path history = root.folder("history");
    WriteFile(save / "Hero.d2s", SaveBytes(1024));
    WriteFile(save / "Hero.key", "key");
    WriteFile(save / "Hero.map", "map");
    Settings settings{save.string(), history.string(), "60"};
    ManualTimer timer;
    FakeClock clock;
    CountingBeeper beeper;
    FaultyFiles files;
    std::vector<bool> outcomes;
    SnapshotCycle cycle(settings, timer,
                        {clock, beeper, files, (root.path() / "Log.txt").string(),
                         [&outcomes](bool succeeded) { outcomes.push_back(succeeded); }});
    cycle.SetCheckPeriod();
    cycle.RecordSaveFolder();

    Touch(save / "Hero.d2s");
    {
        const std::optional<SaveFolderLock> restoring =
            LockSaveFolder(save.string(), Kind::Exclusive);
        ASSERT_TRUE(restoring.has_value());
        cycle.Timer1_Timer();
        EXPECT_TRUE(fs::is_empty(history)) << "no snapshot of a character being restored";
        EXPECT_EQ(beeper.beeps, 0);
    }
    clock.moment.minute += 1;
    cycle.Timer1_Timer();
    EXPECT_EQ(std::distance(fs::directory_iterator(history), {}), 1)
        << "the next check takes it, once the restore is done";
    EXPECT_EQ(beeper.beeps, 1);
    EXPECT_EQ(outcomes, (std::vector<bool>{true, true})) << "waiting is no failure";
    EXPECT_FALSE(fs::exists(root.path() / "Log.txt"));

    // Two copies' checks take snapshots side by side.
    const std::optional<SaveFolderLock> otherCheck = LockSaveFolder(save.string(), Kind::Shared);
    Touch(save / "Hero.map");
    clock.moment.minute += 1;
    cycle.Timer1_Timer();
    EXPECT_EQ(std::distance(fs::directory_iterator(history), {}), 2);
}

}  // namespace
}  // namespace quorrel
