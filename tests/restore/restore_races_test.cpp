#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "restore/recover_restore.h"
#include "restore/restore_folder.h"
#include "support/another_copy.h"
#include "support/hero_folders.h"
#include "support/watched_files.h"

// What the save folder meets besides a crash: another copy of Quorrel, the game saving while a
// restore runs, and file systems that keep coarser times than the snapshot's.
namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr char kGameSave[] = "saved by the game meanwhile";

// Every file of `folder` with its content only: times differ from one file system to another.
std::map<std::string, std::string> ContentOf(const fs::path& folder)
{
    std::map<std::string, std::string> content;
    for (const auto& [name, entry] : ImageOf(folder)) {
        content[name] = entry.first;
    }
    return content;
}

// The file system of a memory stick: each copy's last-modified time is cut down to 2 s, as FAT
// keeps it. `before` runs before each rename, to kill the program there.
class CoarseFiles final : public platform::SystemFileOps {
public:
    std::function<void(const fs::path& from)> beforeRename;

    void Copy(const fs::path& source, const fs::path& target) override
    {
        SystemFileOps::Copy(source, target);
        const fs::file_time_type time = fs::last_write_time(target);
        fs::last_write_time(target, time - time.time_since_epoch() % std::chrono::seconds(2) -
                                        std::chrono::seconds(2));
    }
    void Rename(const fs::path& from, const fs::path& to) override
    {
        if (beforeRename) {
            beforeRename(from);
        }
        SystemFileOps::Rename(from, to);
    }
};

TEST(SecondCopyTest, ACopyStartingDuringAnotherCopysRestoreLeavesItAlone)
{
    int steps = 0;
    {
        const HeroScene whole;
        WatchedFiles files;
        RestoreFolder(whole.snapshot.string(), whole.save.string(), files);
        steps = files.steps;
    }
    // The second copy starts, and puts the folder in order, at each step of the first copy's
    // restore.
    for (int k = 1; k <= steps; ++k) {
        SCOPED_TRACE(testing::Message() << "second copy started at step " << k);
        const HeroScene scene;
        WatchedFiles firstCopy;
        std::optional<Recovery> secondCopy;
        firstCopy.before = [&](std::string_view, const fs::path&) {
            if (firstCopy.steps != k) {
                return;
            }
            const FolderImage seen = ImageOf(scene.save);
            try {
                AsAnotherCopy([&] {
                    secondCopy = RecoverRestore(scene.save.string(), platform::SystemFiles());
                });
            } catch (const RestoreError& error) {
                ADD_FAILURE() << "the second copy reported " << error.what();
            }
            EXPECT_EQ(ImageOf(scene.save), seen) << "the second copy changed the folder";
        };
        try {
            RestoreFolder(scene.snapshot.string(), scene.save.string(), firstCopy);
        } catch (const RestoreError& error) {
            ADD_FAILURE() << "the first copy's restore failed: " << error.what();
        }
        EXPECT_EQ(ImageOf(scene.save), scene.after);
        ASSERT_TRUE(secondCopy.has_value());
        EXPECT_NE(*secondCopy, Recovery::RolledBack);
        EXPECT_NE(*secondCopy, Recovery::RolledForward);
        if (HasFailure()) {
            break;
        }
    }
}

TEST(SecondCopyTest, WhileAnotherCopyHoldsTheSaveFolderNeitherRecoveryNorRestoreTouchesIt)
{
    const HeroScene scene;
    KillRestore(scene.snapshot, scene.save, [](std::string_view operation, const fs::path& file) {
        return operation == "Rename" && file.filename().string().ends_with(".quorrel-new");
    });
    const FolderImage killed = ImageOf(scene.save);
    {
        const AnotherCopy otherCopy(scene.save.string(), platform::FolderLock::Kind::Exclusive);
        ASSERT_TRUE(otherCopy.holds());
        EXPECT_EQ(RecoverRestore(scene.save.string(), platform::SystemFiles()),
                  Recovery::InOtherHands);
        try {
            RestoreFolder(scene.snapshot.string(), scene.save.string(), platform::SystemFiles());
            ADD_FAILURE() << "a restore ran beside another copy's";
        } catch (const RestoreError& error) {
            EXPECT_EQ(error.state(), SaveFolderState::AsBefore);
            EXPECT_NE(error.reason().find("Another copy of Quorrel"), std::string::npos)
                << error.reason();
        }
        EXPECT_EQ(ImageOf(scene.save), killed);
    }
    EXPECT_EQ(RecoverRestore(scene.save.string(), platform::SystemFiles()), Recovery::RolledBack);
    EXPECT_EQ(ImageOf(scene.save), scene.before);
}

TEST(GameSavesDuringRestoreTest, ASaveWrittenBeforeItsFileIsMovedAsideStopsTheRestore)
{
    // The game saves Hero.d2s while the restore copies the snapshot in, or just before the
    // restore moves Hero.d2s aside.
    // Or a file that the snapshot brings, new to the folder, is saved there meanwhile.
    for (const auto& [moment, name] :
         {std::pair{"Copy", "Hero.d2s"}, std::pair{"Rename", "Hero.d2s"},
          std::pair{"Copy", "notes.txt"}}) {
        SCOPED_TRACE(testing::Message() << moment << " " << name);
        const HeroScene scene;
        WatchedFiles files;
        bool saved = false;
        files.before = [&](std::string_view operation, const fs::path& file) {
            const bool now = std::string_view(moment) == "Copy"
                                 ? operation == "Copy" && file.parent_path() == scene.save
                                 : operation == "Rename" && file == scene.save / name;
            if (now && !saved) {
                WriteFile(scene.save / name, kGameSave);
                saved = true;
            }
        };
        try {
            RestoreFolder(scene.snapshot.string(), scene.save.string(), files);
            ADD_FAILURE() << "the game's save was replaced";
        } catch (const RestoreError& error) {
            EXPECT_EQ(error.state(), SaveFolderState::AsBefore);
            EXPECT_EQ(fs::path(error.file()), scene.save / name);
            EXPECT_NE(error.reason().find("saved it meanwhile"), std::string::npos)
                << error.reason();
            EXPECT_TRUE(error.leftovers().empty());
        }
        std::map<std::string, std::string> expected;
        for (const auto& [file, entry] : scene.before) {
            expected[file] = entry.first;
        }
        expected[name] = kGameSave;
        EXPECT_EQ(ContentOf(scene.save), expected) << "nothing else changed, nothing was left";
        for (const std::string file : {"Hero.key", "Hero.map", "Other.d2s"}) {
            EXPECT_EQ(ImageOf(scene.save).at(file), scene.before.at(file)) << file;
        }
    }
}

TEST(GameSavesDuringRestoreTest, ANewFileThatTheGameSavedAgainIsNeverRemovedByTheRecovery)
{
    const HeroScene scene;
    // Killed as it commits: every copy is in place, notes.txt among them, new to the folder.
    bool placed = false;
    KillRestore(scene.snapshot, scene.save, [&](std::string_view operation, const fs::path& file) {
        placed =
            placed || (operation == "Rename" && file.filename().string().ends_with(".quorrel-new"));
        return placed && operation == "Write";
    });
    ASSERT_TRUE(fs::exists(scene.save / "notes.txt"));
    // The game saves notes.txt again just as the recovery reaches it.
    WatchedFiles files;
    bool saved = false;
    files.before = [&](std::string_view, const fs::path& file) {
        if (file == scene.save / "notes.txt" && !saved) {
            WriteFile(scene.save / "notes.txt", kGameSave);
            saved = true;
        }
    };
    try {
        RecoverRestore(scene.save.string(), files);
    } catch (const RestoreError& error) {
        EXPECT_EQ(error.state(), SaveFolderState::Unfinished);
        EXPECT_EQ(fs::path(error.file()), scene.save / "notes.txt");
    }
    EXPECT_EQ(ReadFile(scene.save / "notes.txt"), kGameSave);
}

TEST(CoarseStampsTest, ARestoreOntoAFileSystemWithCoarserTimesSucceedsAndCanBeUndone)
{
    std::map<std::string, std::string> restored;
    {
        const HeroScene scene;
        CoarseFiles files;
        ASSERT_NO_THROW(RestoreFolder(scene.snapshot.string(), scene.save.string(), files));
        std::map<std::string, std::string> expected;
        for (const auto& [name, entry] : scene.after) {
            expected[name] = entry.first;
        }
        EXPECT_EQ(ContentOf(scene.save), expected);
    }
    // Killed with Hero.key in place and Hero.map not yet: the recovery knows the copies it made.
    const HeroScene scene;
    CoarseFiles files;
    files.beforeRename = [&](const fs::path& from) {
        if (from.filename() == ".Hero.map.quorrel-new") {
            throw Kill{};
        }
    };
    EXPECT_THROW(RestoreFolder(scene.snapshot.string(), scene.save.string(), files), Kill);
    files.beforeRename = nullptr;
    EXPECT_EQ(RecoverRestore(scene.save.string(), files), Recovery::RolledBack);
    EXPECT_EQ(ImageOf(scene.save), scene.before);
}

// The position of the first call at or after `from` that starts with `prefix` and ends with
// `suffix`, or the number of calls.
std::size_t Find(const std::vector<std::string>& calls, const std::string& prefix,
                 const std::string& suffix = "", std::size_t from = 0)
{
    for (std::size_t i = from; i < calls.size(); ++i) {
        if (calls[i].starts_with(prefix) && calls[i].ends_with(suffix)) {
            return i;
        }
    }
    return calls.size();
}

std::size_t FindLast(const std::vector<std::string>& calls, const std::string& prefix,
                     const std::string& suffix = "")
{
    for (std::size_t i = calls.size(); i-- > 0;) {
        if (calls[i].starts_with(prefix) && calls[i].ends_with(suffix)) {
            return i;
        }
    }
    return calls.size();
}

TEST(DurableStepsTest, EachStepOfARestoreIsOnDiskBeforeTheStepThatCountsOnIt)
{
    const HeroScene scene;
    WatchedFiles files;
    RestoreFolder(scene.snapshot.string(), scene.save.string(), files);
    const std::vector<std::string>& calls = files.calls;
    const std::string save = scene.save.string();
    const std::string journal = (scene.save / ".quorrel-restore.journal").string();
    const std::string syncSave = "SyncFolder " + save;
    std::string trace;
    for (const std::string& call : calls) {
        trace += call + "\n";
    }
    SCOPED_TRACE(trace);

    // The journal, renamed into place and flushed, before the first copy is staged.
    const std::size_t firstCopy = Find(calls, "Copy ");
    const std::size_t journalThere = Find(calls, "Rename ", " -> " + journal);
    ASSERT_LT(firstCopy, calls.size());
    EXPECT_EQ(Find(calls, "Write ", journal + ".new"), 0u);
    EXPECT_LT(journalThere, firstCopy);
    EXPECT_LT(Find(calls, syncSave, "", journalThere), firstCopy);

    // Every copy renamed into its place, then the folder flushed, before the committed journal
    // is written; the committed journal renamed and flushed before the first earlier file goes.
    const std::size_t lastPlacement = FindLast(calls, "Rename ", "");
    const std::size_t lastCopyPlaced = [&] {
        std::size_t last = calls.size();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].starts_with("Rename ") &&
                calls[i].find(".quorrel-new -> ") != std::string::npos) {
                last = i;
            }
        }
        return last;
    }();
    ASSERT_LT(lastCopyPlaced, calls.size());
    const std::size_t commitWrite = FindLast(calls, "Write ", journal + ".new");
    const std::size_t commit = FindLast(calls, "Rename ", " -> " + journal);
    ASSERT_LT(lastCopyPlaced, commitWrite);
    EXPECT_LT(Find(calls, syncSave, "", lastCopyPlaced), commitWrite);
    EXPECT_EQ(commit, lastPlacement);
    const std::size_t firstRemove = Find(calls, "Remove ");
    ASSERT_LT(commit, firstRemove);
    EXPECT_LT(Find(calls, syncSave, "", commit), firstRemove);
    // The earlier files are gone, on disk, before the journal that names them.
    const std::size_t journalGone = Find(calls, "Remove " + journal);
    ASSERT_LT(journalGone, calls.size());
    EXPECT_EQ(journalGone, FindLast(calls, "Remove "));
    EXPECT_LT(FindLast(calls, "Remove ", ".quorrel-old"), journalGone);
    EXPECT_LT(Find(calls, syncSave, "", FindLast(calls, "Remove ", ".quorrel-old")), journalGone);
    EXPECT_EQ(calls.back(), syncSave);
}

}  // namespace
}  // namespace quorrel
