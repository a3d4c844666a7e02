// A snapshot is whole or absent under its final name, whenever a kill or a power cut stops it.
#include "snapshot/take_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "support/listed_names.h"
#include "support/temp_folder.h"
#include "support/watched_files.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Names = std::vector<std::string>;

// A save folder with Hero's three files and Mage's save, and an empty history. The clock says
// 06-12-2026 15:04:09.
class TakeSnapshotTest : public ::testing::Test {
protected:
    TakeSnapshotTest()
    {
        for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "Mage.d2s"}) {
            WriteFile(save_ / name, std::string(name) + " as the game wrote it");
        }
    }

    std::vector<Filenames> HeroFiles() const
    {
        std::vector<Filenames> files;
        for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map"}) {
            files.push_back({name, platform::FileStamp((save_ / name).string())});
        }
        return files;
    }

    std::string Take(platform::FileOps& ops)
    {
        return TakeSnapshot(save_.string(), HeroFiles(), history_.string(), "Hero", taken_, ops);
    }

    // Whether a folder the history shows holds Hero's three files as they are in the save folder.
    bool Whole(const fs::path& folder) const
    {
        const Names names = Entries(folder);
        return names == Names{"Hero.d2s", "Hero.key", "Hero.map"} &&
               std::all_of(names.begin(), names.end(), [&](const std::string& name) {
                   return ReadFile(folder / name) == ReadFile(save_ / name);
               });
    }

    TempFolder root_;
    fs::path save_ = root_.folder("save");
    fs::path history_ = root_.folder("history");
    platform::LocalDateTime taken_{2026, 12, 6, 15, 4, 9};
    fs::path final_ = history_ / "Hero-06-12-2026-15-04-09";
};

TEST_F(TakeSnapshotTest, CutShortAtAnyStepNoFolderIsShownUnlessWhole)
{
    // A kill just before any step leaves the history as the step finds it: every folder that
    // File > Load could offer then (every one not hidden) must be whole.
    WatchedFiles files;
    Names partial;
    files.before = [&](std::string_view operation, const fs::path& file) {
        for (const std::string& name : Entries(history_)) {
            if (!platform::IsHiddenOrSystem(history_.string(), name) && !Whole(history_ / name)) {
                partial.push_back(std::string(operation) + " " + file.filename().string());
            }
        }
    };
    EXPECT_EQ(fs::path(Take(files)), final_);
    EXPECT_EQ(partial, Names{}) << "steps that found a partial folder under a final name";
    EXPECT_TRUE(Whole(final_));
    EXPECT_FALSE(platform::IsHiddenOrSystem(history_.string(), final_.filename().string()));
    EXPECT_EQ(Entries(history_), Names{final_.filename().string()}) << "nothing left beside it";
}

TEST_F(TakeSnapshotTest, TheStepsComeInTheOrderAPowerCutNeeds)
{
    WatchedFiles files;
    Take(files);
    const fs::path unfinished = history_ / ".quorrel-new-Hero-06-12-2026-15-04-09";
    Names expected;
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        expected.push_back("Copy " + (save_ / name).string() + " -> " +
                           (unfinished / name).string());
        expected.push_back("SyncFile " + (unfinished / name).string());
    }
    expected.push_back("SyncFolder " + unfinished.string());
    expected.push_back("Move " + unfinished.string() + " -> " + final_.string());
    expected.push_back("SyncFolder " + history_.string());
    EXPECT_EQ(files.calls, expected)
        << "each file flushed, then the folder, which only then gets its name, then the history";
}

TEST_F(TakeSnapshotTest, AFailedStepLeavesNothingAndAFolderOfTheSameNameIsNeverTouched)
{
    for (const char* failing : {"Copy", "SyncFolder", "Move"}) {
        SCOPED_TRACE(failing);
        WatchedFiles files;
        files.before = [failing](std::string_view operation, const fs::path& file) {
            if (operation == failing) {
                throw fs::filesystem_error("Cannot", file,
                                           std::make_error_code(std::errc::io_error));
            }
        };
        EXPECT_THROW(Take(files), fs::filesystem_error);
        EXPECT_EQ(Entries(history_), Names{});
    }

    // Even an empty folder under the final name is somebody's: it is neither replaced nor filled.
    fs::create_directory(final_);
    EXPECT_THROW(Take(platform::SystemFiles()), fs::filesystem_error);
    EXPECT_EQ(Entries(history_), Names{final_.filename().string()});
    EXPECT_EQ(Entries(final_), Names{});
}

TEST_F(TakeSnapshotTest, LeftoversOfSnapshotsCutShortGoAndNothingElse)
{
    // What a kill leaves: a hidden folder with part of a snapshot, or one half removed.
    for (const char* leftover :
         {".quorrel-new-Hero-06-12-2026-15-04-09", ".quorrel-old-Mage-06-12-2026-15-04-09"}) {
        fs::create_directory(history_ / leftover);
        WriteFile(history_ / leftover / "Hero.d2s", "half");
    }
    // What is not: the snapshots, a hidden folder of the player's, a file and a link.
    fs::create_directory(history_ / "Hero-06-12-2026-15-04-08");
    fs::create_directory(history_ / ".quorrel-notes");
    WriteFile(history_ / ".quorrel-new-file", "a file, not a folder of Quorrel's");
    const fs::path elsewhere = root_.folder("elsewhere");
    WriteFile(elsewhere / "kept", "kept");
#ifndef _WIN32
    fs::create_directory_symlink(elsewhere, history_ / ".quorrel-new-link");
#endif
    RemoveUnfinishedSnapshots(history_.string());
    Names kept{".quorrel-new-file", ".quorrel-notes", "Hero-06-12-2026-15-04-08"};
#ifndef _WIN32
    kept.insert(kept.begin() + 1, ".quorrel-new-link");
#endif
    EXPECT_EQ(Entries(history_), kept);
    EXPECT_EQ(ReadFile(elsewhere / "kept"), "kept");

    RemoveUnfinishedSnapshots((history_ / "missing").string());  // says nothing, changes nothing
}

}  // namespace
}  // namespace quorrel
