// A snapshot is whole or absent under its final name, whenever a kill or a power cut stops it,
// and it never takes or touches a folder that is somebody else's.
#include "snapshot/take_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "snapshot/snapshot_folder.h"
#include "support/another_copy.h"
#include "support/listed_names.h"
#include "support/temp_folder.h"
#include "support/watched_files.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Names = std::vector<std::string>;

const Names kHero{"Hero.d2s", "Hero.key", "Hero.map"};

// A save folder with Hero's three files and Mage's save, and an empty history.
class TakeSnapshotTest : public ::testing::Test {
protected:
    TakeSnapshotTest()
    {
        for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "Mage.d2s"}) {
            WriteFile(save_ / name, std::string(name) + " as the game wrote it");
        }
    }

    std::string Take(platform::FileOps& ops = platform::SystemFiles())
    {
        std::vector<Filenames> files;
        for (const std::string& name : kHero) {
            files.push_back({name, platform::FileStamp((save_ / name).string())});
        }
        return TakeSnapshot(save_.string(), files, history_.string(), "Hero",
                            {2026, 12, 6, 15, 4, 9}, ops);
    }

    bool Whole(const fs::path& folder) const
    {
        return Entries(folder) == kHero && std::all_of(kHero.begin(), kHero.end(), [&](auto& name) {
                   return ReadFile(folder / name) == ReadFile(save_ / name);
               });
    }

    TempFolder root_;
    fs::path save_ = root_.folder("save");
    fs::path history_ = root_.folder("history");
    fs::path final_ = history_ / "Hero-06-12-2026-15-04-09";
};

TEST_F(TakeSnapshotTest, TheStepsComeInTheOrderAPowerCutNeedsAndAFailedOneLeavesNothing)
{
    // Each of the six steps fails in turn: three copies, two flushes of a folder and the rename.
    for (int failing = 1; failing <= 6; ++failing) {
        WatchedFiles files;
        files.before = [&](std::string_view, const fs::path& file) {
            if (files.steps == failing) {
                throw fs::filesystem_error("", file, std::make_error_code(std::errc::io_error));
            }
        };
        EXPECT_THROW(Take(files), fs::filesystem_error) << failing;
        EXPECT_EQ(Entries(history_), Names{}) << failing;
    }
    WatchedFiles files;
    EXPECT_EQ(fs::path(Take(files)), final_);
    const fs::path unfinished = history_ / ".quorrel-new-Hero-06-12-2026-15-04-09";
    Names expected;
    for (const std::string& name : kHero) {
        const std::string copy = (unfinished / name).string();
        expected.push_back("Copy " + (save_ / name).string() + " -> " + copy);
        expected.push_back("SyncFile " + copy);
    }
    expected.push_back("SyncFolder " + unfinished.string());
    expected.push_back("Move " + unfinished.string() + " -> " + final_.string());
    expected.push_back("SyncFolder " + history_.string());
    EXPECT_EQ(files.calls, expected)
        << "each file flushed, then the folder, which only then gets its name, then the history";
    EXPECT_TRUE(Whole(final_));
    EXPECT_FALSE(platform::IsHiddenOrSystem(history_.string(), final_.filename().string()));
    EXPECT_EQ(Entries(history_), Names{final_.filename().string()}) << "nothing left beside it";
}

// Other copies take snapshots of the same character in the same second, and sweep meanwhile.
TEST_F(TakeSnapshotTest, ALaterSnapshotInTheSameSecondTakesTheNextFreeNameThatNoSweepTakes)
{
    // Even an empty folder under the name is somebody's: it is neither replaced nor filled; nor
    // is the unfinished folder of the next name, which another copy has just made.
    fs::create_directory(final_);
    WriteFile(root_.folder("history/.quorrel-new-Hero-06-12-2026-15-04-09-2") / "x", "theirs");
    EXPECT_EQ(Take(), final_.string() + "-3");
    EXPECT_EQ(Entries(final_), Names{});
    EXPECT_EQ(Entries(final_.string() + "-3"), kHero);
    // Another copy fills the fourth name's unfinished folder, and yet another one gives its
    // snapshot the fifth name in the moment before this one is renamed, and sweeps.
    const std::string theirs = ".quorrel-new-Hero-06-12-2026-15-04-09-4";
    const AnotherCopy writing(root_.folder("history/" + theirs).string(),
                              platform::FolderLock::Kind::Exclusive);
    WatchedFiles files;
    files.before = [&](std::string_view operation, const fs::path&) {
        if (operation == "Move" || operation == "Rename") {
            fs::create_directory(final_.string() + "-5");
            AsAnotherCopy([&] { RemoveUnfinishedSnapshots(history_.string()); });
        }
    };
    EXPECT_EQ(Take(files), final_.string() + "-6");
    EXPECT_TRUE(Whole(final_.string() + "-6"));
    const std::string name = final_.filename().string();
    EXPECT_EQ(Entries(history_), (Names{theirs, name, name + "-3", name + "-5", name + "-6"}));
}

TEST_F(TakeSnapshotTest, TheSweepAtStartUpTakesOnlyLeftoversThatNoCopyIsStillWriting)
{
    // What a kill leaves: a hidden folder with part of a snapshot.
    WriteFile(root_.folder("history/.quorrel-new-Hero-06-12-2026-15-04-09") / "Hero.d2s", "half");
    // What is not: a file, a link and a hidden folder of the player's.
    const Names kept{".quorrel-new-file", ".quorrel-new-link", ".quorrel-notes"};
    WriteFile(history_ / kept[0], "a file, not a folder of ours");
    const fs::path elsewhere = root_.folder("elsewhere");
    WriteFile(elsewhere / "kept", "kept");
#ifndef _WIN32
    fs::create_directory_symlink(elsewhere, history_ / kept[1]);
#else
    WriteFile(history_ / kept[1], "a file: no link without privileges");
#endif
    root_.folder("history/" + kept[2]);
    RemoveUnfinishedSnapshots(history_.string());
    EXPECT_EQ(Entries(history_), kept);
    EXPECT_EQ(ReadFile(elsewhere / "kept"), "kept");
    RemoveUnfinishedSnapshots((history_ / "missing").string());  // says nothing, changes nothing
}

TEST(SnapshotFolderNameTest, ANameIsReadBackFromItsEndWhateverTheCharactersNameHolds)
{
    const platform::LocalDateTime taken{2026, 12, 6, 15, 4, 9};
    for (const SnapshotName& name :
         {SnapshotName{"Hero", taken}, SnapshotName{"A-b-31-01-1999-00-00-59", taken, 13},
          SnapshotName{"Hero.v2", {1999, 1, 31, 0, 0, 59}, 123456789}}) {
        EXPECT_EQ(ParseSnapshotFolderName(SnapshotFolderName(name)), name)
            << SnapshotFolderName(name);
    }
    for (const char* name :
         {"-06-12-2026-15-04-09", "Hero-06-13-2026-15-04-09", "Hero-00-12-2026-15-04-09",
          "Hero-06-12-2026-24-04-09", "Hero-06-12-2026-15-60-09", "Hero-06-12-2026-15-04-9x",
          "Hero_06-12-2026-15-04-09", "Hero-06-12-2026-15-04-09-1", "Hero-06-12-2026-15-04-09-02",

          "Hero-06-12-2026-15-04-09-1234567890"}) {
        EXPECT_EQ(ParseSnapshotFolderName(name), std::nullopt) << name;
    }
}

}  // namespace
}  // namespace quorrel
