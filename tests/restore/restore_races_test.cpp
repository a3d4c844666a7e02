#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "restore/recover_restore.h"
#include "restore/restore_folder.h"
#include "restore/restore_journal.h"
#include "support/hero_folders.h"

// What the save folder meets besides a crash: the game saving while a restore or a recovery runs,
// and file systems that keep coarser times than the snapshot's.
namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr char kGameSave[] = "saved by the game meanwhile";

TEST(GameSavesTest, ASaveWrittenWhileARestoreOrItsRecoveryRunsIsKept)
{
    struct Moment {
        bool recovery;  // during the recovery of a restore killed as it commits, every copy placed
        const char* operation;
        const char* ending;  // of the file the operation is on
        const char* saved;
    };
    // Before the restore's first copy, Hero.d2s moved aside, or a copy put in place; before the
    // recovery takes a copy back, or puts an earlier file back.
    for (const Moment& moment : {Moment{false, "Copy", ".Hero.d2s.quorrel-new", "Hero.d2s"},
                                 Moment{false, "Copy", ".Hero.d2s.quorrel-new", "notes.txt"},
                                 Moment{false, "Move", "Hero.d2s", "Hero.d2s"},
                                 Moment{false, "Move", ".Hero.d2s.quorrel-new", "Hero.d2s"},
                                 Moment{false, "Move", ".notes.txt.quorrel-new", "notes.txt"},
                                 Moment{true, "Rename", "Hero.d2s", "Hero.d2s"},
                                 Moment{true, "Rename", "notes.txt", "notes.txt"},
                                 Moment{true, "Move", ".Hero.d2s.quorrel-old", "Hero.d2s"}}) {
        SCOPED_TRACE(testing::Message() << moment.operation << " " << moment.ending);
        const HeroScene scene;
        const fs::path saved = scene.save / moment.saved;
        if (moment.recovery) {
            bool placed = false;
            KillRestore(
                scene.snapshot, scene.save, [&](std::string_view now, const fs::path& file) {
                    placed =
                        placed || (now == "Move" && file.filename() == ".notes.txt.quorrel-new");
                    return placed && now == "Write";
                });
        }
        WatchedFiles files;
        bool written = false;
        files.before = [&](std::string_view operation, const fs::path& file) {
            if (!written && operation == moment.operation &&
                file.filename().string().ends_with(moment.ending)) {
                WriteFile(saved, kGameSave);
                written = true;
            }
        };
        if (moment.recovery) {
            const Recovered recovered = RecoverRestore(scene.save.string(), files);
            EXPECT_EQ(recovered.how, Recovery::RolledBack);
            EXPECT_EQ(recovered.keptAsSaved, std::vector{saved.string()});
        } else {
            try {
                RestoreFolder(scene.snapshot.string(), scene.save.string(), files);
                ADD_FAILURE() << "the restore said it succeeded";
            } catch (const RestoreError& error) {
                EXPECT_EQ(error.state(), SaveFolderState::AsBefore);
                EXPECT_EQ(fs::path(error.file()), saved);
                EXPECT_NE(error.reason().find("The game saved it meanwhile"), std::string::npos);
                EXPECT_TRUE(error.leftovers().empty());
                EXPECT_TRUE(
                    std::string_view(moment.operation) != "Copy" ||
                    std::none_of(files.calls.begin(), files.calls.end(),
                                 [](const std::string& call) { return call.starts_with("Move"); }))
                    << "a save written before anything is moved stops the restore there";
            }
        }
        // As before the restore, nothing of ours left, but for the game's save.
        EXPECT_EQ(ReadFile(saved), kGameSave);
        FolderImage now = ImageOf(scene.save), before = scene.before;
        now[moment.saved] = before[moment.saved] = {};
        EXPECT_EQ(now, before);
    }
}

TEST(CoarseStampsTest, OnAFileSystemWithCoarserTimesTheRecoveryKnowsItsCopies)
{
    const HeroScene scene;  // on a memory stick: each copy's time cut down to 2 s, as FAT keeps it
    WatchedFiles files;
    files.after = [](std::string_view operation, const fs::path& file) {
        if (operation == "Copy") {
            const fs::file_time_type time = fs::last_write_time(file);
            fs::last_write_time(file, time - time.time_since_epoch() % std::chrono::seconds(2) -
                                          std::chrono::seconds(2));
        }
    };
    // Killed with Hero.key in place and Hero.map not yet.
    files.before = [](std::string_view operation, const fs::path& file) {
        if (operation == "Move" && file.filename() == ".Hero.map.quorrel-new") {
            throw Kill{};
        }
    };
    EXPECT_THROW(RestoreFolder(scene.snapshot.string(), scene.save.string(), files), Kill);
    // No restore starts before the interrupted one is put in order.
    const FolderImage killed = ImageOf(scene.save);
    EXPECT_THROW(
        RestoreFolder(scene.snapshot.string(), scene.save.string(), platform::SystemFiles()),
        RestoreError);
    EXPECT_EQ(ImageOf(scene.save), killed);
    WatchedFiles recovery;
    EXPECT_EQ(RecoverRestore(scene.save.string(), recovery).how, Recovery::RolledBack);
    EXPECT_EQ(ImageOf(scene.save), scene.before);
    // Every earlier file is back on disk before the journal that could put it back goes.
    const std::string sync = "SyncFolder " + scene.save.string();
    EXPECT_TRUE(
        InOrder(recovery.calls, {"Move " + (scene.save / ".Hero.d2s.quorrel-old").string() +
                                     " -> " + (scene.save / "Hero.d2s").string(),
                                 sync, "Remove " + (scene.save / kJournalName).string(), sync}));
}

}  // namespace
}  // namespace quorrel
