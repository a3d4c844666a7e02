#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "restore/recover_restore.h"
#include "restore/restore_folder.h"
#include "restore/restore_journal.h"
#include "support/another_copy.h"
#include "support/hero_folders.h"
#include "support/listed_names.h"

// What the save folder meets besides a crash: another copy of Quorrel, the game saving while a
// restore or a recovery runs, and file systems that keep coarser times than the snapshot's.
namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr char kGameSave[] = "saved by the game meanwhile";

// The save folder as it was before the restore, but for the file that the game saved: nothing of
// ours is left, and the game's save is there.
void ExpectBeforeWithTheGamesSave(const HeroScene& scene, const std::string& saved)
{
    FolderImage now = ImageOf(scene.save);
    FolderImage before = scene.before;
    EXPECT_EQ(ReadFile(scene.save / saved), kGameSave);
    now.erase(saved);
    before.erase(saved);
    EXPECT_EQ(now, before);
}

// The game saves `file`, once, just before the first `operation` on a file whose name ends with
// `ending`.
void SaveOnce(WatchedFiles& files, const fs::path& file, std::string_view operation,
              const std::string& ending)
{
    files.before = [file, operation, ending, saved = false](std::string_view now,
                                                            const fs::path& on) mutable {
        if (!saved && now == operation && on.filename().string().ends_with(ending)) {
            WriteFile(file, kGameSave);
            saved = true;
        }
    };
}

TEST(SecondCopyTest, ACopyStartingDuringAnotherCopysRestoreLeavesItAlone)
{
    for (int k = 1;; ++k) {
        SCOPED_TRACE(testing::Message() << "second copy started at step " << k);
        const HeroScene scene;
        WatchedFiles firstCopy;
        std::optional<Recovered> secondCopy;
        firstCopy.before = [&](std::string_view, const fs::path&) {
            if (firstCopy.steps == k) {
                const FolderImage seen = ImageOf(scene.save);
                AsAnotherCopy([&] {
                    secondCopy = RecoverRestore(scene.save.string(), platform::SystemFiles());
                });
                EXPECT_EQ(ImageOf(scene.save), seen) << "the second copy changed the folder";
            }
        };
        EXPECT_NO_THROW(RestoreFolder(scene.snapshot.string(), scene.save.string(), firstCopy));
        EXPECT_EQ(ImageOf(scene.save), scene.after);
        if (!secondCopy || HasFailure()) {
            break;
        }
        EXPECT_TRUE(secondCopy->how == Recovery::NothingToDo ||
                    secondCopy->how == Recovery::InOtherHands);
    }
}

TEST(SecondCopyTest, WhileAnotherCopyHoldsTheSaveFolderNeitherRecoveryNorRestoreTouchesIt)
{
    const HeroScene scene;
    KillRestore(scene.snapshot, scene.save, [](std::string_view operation, const fs::path& file) {
        return operation == "Move" && file.filename().string().ends_with(kStagedEnding);
    });
    const FolderImage killed = ImageOf(scene.save);
    {
        const AnotherCopy otherCopy(scene.save.string(), platform::FolderLock::Kind::Exclusive);
        ASSERT_TRUE(otherCopy.holds());
        EXPECT_EQ(RecoverRestore(scene.save.string(), platform::SystemFiles()).how,
                  Recovery::InOtherHands);
        try {
            RestoreFolder(scene.snapshot.string(), scene.save.string(), platform::SystemFiles());
            ADD_FAILURE() << "a restore ran beside another copy's";
        } catch (const RestoreError& error) {
            EXPECT_EQ(error.state(), SaveFolderState::AsBefore);
            EXPECT_NE(error.reason().find("Another copy of Quorrel"), std::string::npos);
        }
        EXPECT_EQ(ImageOf(scene.save), killed);
    }
    // Nor does a restore start before the interrupted one is put in order.
    EXPECT_THROW(
        RestoreFolder(scene.snapshot.string(), scene.save.string(), platform::SystemFiles()),
        RestoreError);
    EXPECT_EQ(ImageOf(scene.save), killed);
    EXPECT_EQ(RecoverRestore(scene.save.string(), platform::SystemFiles()).how,
              Recovery::RolledBack);
    EXPECT_EQ(ImageOf(scene.save), scene.before);
}

TEST(GameSavesDuringRestoreTest, ASaveWrittenWhileTheRestoreRunsIsKeptAndStopsIt)
{
    // Just before: the first copy is made, Hero.d2s is moved aside, and each copy is put in its
    // place, over an earlier save or new to the folder.
    for (const auto& [operation, ending, saved] :
         {std::tuple{"Copy", ".Hero.d2s.quorrel-new", "Hero.d2s"},
          std::tuple{"Copy", ".Hero.d2s.quorrel-new", "notes.txt"},
          std::tuple{"Move", "Hero.d2s", "Hero.d2s"},
          std::tuple{"Move", ".Hero.d2s.quorrel-new", "Hero.d2s"},
          std::tuple{"Move", ".notes.txt.quorrel-new", "notes.txt"}}) {
        SCOPED_TRACE(testing::Message() << operation << " " << ending);
        const HeroScene scene;
        WatchedFiles files;
        SaveOnce(files, scene.save / saved, operation, ending);
        try {
            RestoreFolder(scene.snapshot.string(), scene.save.string(), files);
            ADD_FAILURE() << "the restore said it succeeded";
        } catch (const RestoreError& error) {
            EXPECT_EQ(error.state(), SaveFolderState::AsBefore);
            EXPECT_EQ(fs::path(error.file()), scene.save / saved);
            EXPECT_NE(error.reason().find("The game saved it meanwhile"), std::string::npos)
                << error.reason();
            EXPECT_TRUE(error.leftovers().empty());
        }
        ExpectBeforeWithTheGamesSave(scene, saved);
    }
}

TEST(GameSavesDuringRestoreTest, ASaveWrittenWhileTheRecoveryRunsIsKept)
{
    // The restore killed as it commits, every copy in place; the game saves just before the
    // recovery takes a copy back, or puts an earlier file back.
    for (const auto& [operation, ending, saved] :
         {std::tuple{"Rename", "Hero.d2s", "Hero.d2s"},
          std::tuple{"Rename", "notes.txt", "notes.txt"},
          std::tuple{"Move", ".Hero.d2s.quorrel-old", "Hero.d2s"}}) {
        SCOPED_TRACE(testing::Message() << operation << " " << ending);
        const HeroScene scene;
        bool placed = false;
        KillRestore(scene.snapshot, scene.save, [&](std::string_view now, const fs::path& file) {
            placed = placed || (now == "Move" && file.filename() == ".notes.txt.quorrel-new");
            return placed && now == "Write";
        });
        WatchedFiles files;
        SaveOnce(files, scene.save / saved, operation, ending);
        const Recovered recovered = RecoverRestore(scene.save.string(), files);
        EXPECT_EQ(recovered.how, Recovery::RolledBack);
        EXPECT_EQ(recovered.keptAsSaved, std::vector{(scene.save / saved).string()});
        ExpectBeforeWithTheGamesSave(scene, saved);
    }
}

TEST(CoarseStampsTest, ARestoreOntoAFileSystemWithCoarserTimesSucceedsAndCanBeUndone)
{
    // The file system of a memory stick: each copy's time is cut down to 2 s, as FAT keeps it.
    const auto coarse = [](std::string_view operation, const fs::path& file) {
        if (operation == "Copy") {
            const fs::file_time_type time = fs::last_write_time(file);
            fs::last_write_time(file, time - time.time_since_epoch() % std::chrono::seconds(2) -
                                          std::chrono::seconds(2));
        }
    };
    for (const bool killed : {false, true}) {
        const HeroScene scene;
        WatchedFiles files;
        files.after = coarse;
        // Killed with Hero.key in place and Hero.map not yet: the recovery knows its copies.
        files.before = [&](std::string_view operation, const fs::path& file) {
            if (killed && operation == "Move" && file.filename() == ".Hero.map.quorrel-new") {
                throw Kill{};
            }
        };
        try {
            RestoreFolder(scene.snapshot.string(), scene.save.string(), files);
            EXPECT_FALSE(killed);
            EXPECT_EQ(ReadFile(scene.save / "Hero.map"), "then Hero.map");
            EXPECT_EQ(Entries(scene.save).size(), scene.after.size());
        } catch (const Kill&) {
            files.before = nullptr;
            EXPECT_EQ(RecoverRestore(scene.save.string(), files).how, Recovery::RolledBack);
            EXPECT_EQ(ImageOf(scene.save), scene.before);
        }
    }
}

}  // namespace
}  // namespace quorrel
