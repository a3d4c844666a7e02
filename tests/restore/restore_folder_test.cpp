#include "restore/restore_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <iterator>
#include <optional>
#include <ranges>
#include <set>

#include "restore/recover_restore.h"
#include "restore/restore_journal.h"
#include "support/another_copy.h"
#include "support/hero_folders.h"
#include "support/listed_names.h"

// A restore cut short at each of its steps, by a failure or a kill, with the game saving after the
// kill, and the recovery at the next start, itself killed at each of its steps: the save folder
// always ends wholly old or wholly new, with the game's save kept and nothing of ours left.
namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace test;
using Names = std::set<std::string>;

// The names whose entries differ between two images of a folder.
Names Differing(const FolderImage& a, const FolderImage& b)
{
    FolderImage differing;
    std::ranges::set_symmetric_difference(a, b, std::inserter(differing, differing.end()));
    const auto names = std::views::keys(differing);
    return {names.begin(), names.end()};
}

enum class Fault {
    Once,        // one step fails
    FromThenOn,  // that step and every later one fail, as when the folder turns read-only
    Kill,        // the program is killed before that step
    GameSaves,   // the game saves `saved` just before that step
};

// Hero's restore cut short at step k; after a kill, the game saves `saved` (unless empty); then
// the recovery, killed at its step `recoveryKill` (0: never) and run again; false if not reached.
bool CutShort(Fault fault, int k, const std::string& saved, int recoveryKill,
              std::set<Recovery>& seen)
{
    const HeroScene scene;
    const std::error_code broken = std::make_error_code(std::errc::io_error);
    const auto moved = [](const WatchedFiles& files) {
        return std::ranges::any_of(files.calls,
                                   [](auto& call) { return call.starts_with("Move"); });
    };
    bool movedBeforeTheSave = true;
    WatchedFiles files;
    files.before = [&](std::string_view operation, const fs::path& file) {
        if (fault == Fault::GameSaves && files.steps == k) {
            movedBeforeTheSave = moved(files);
            WriteFile(scene.save / saved, "saved by the game");
        } else if (fault != Fault::GameSaves &&
                   (files.steps == k || (fault != Fault::Once && files.steps > k))) {
            if (fault == Fault::Kill) {
                throw Kill{};
            }
            if (operation == "Copy") {
                WriteFile(file, "part");  // as a full disk leaves it
            }
            throw fs::filesystem_error(std::string(operation), file, broken);
        }
    };
    std::optional<RestoreError> reported;
    try {
        RestoreFolder(scene.snapshot.string(), scene.save.string(), files);
        EXPECT_EQ(fault, Fault::GameSaves) << "the fault went unreported";
    } catch (const RestoreError& error) {
        reported = error;
    } catch (const Kill&) {
    }
    if (reported && fault == Fault::GameSaves) {
        // The restore is undone but for the game's save, and stopped before anything was moved
        // if the game saved before that.
        EXPECT_EQ(reported->state(), SaveFolderState::AsBefore);
        EXPECT_EQ(fs::path(reported->file()), scene.save / saved);
        EXPECT_NE(reported->reason().find("The game saved it meanwhile"), std::string::npos);
        EXPECT_TRUE(reported->leftovers().empty());
        EXPECT_TRUE(movedBeforeTheSave || !moved(files));
    } else if (reported) {
        // It says where it left the folder, and names every file out of place.
        const FolderImage left = ImageOf(scene.save);
        const bool restored = reported->state() == SaveFolderState::Restored;
        EXPECT_EQ(reported->state() == SaveFolderState::AsBefore, left == scene.before);
        Names leftovers;
        for (const Leftover& file : reported->leftovers()) {
            leftovers.insert(fs::path(file.file).filename().string());
        }
        EXPECT_EQ(leftovers, Differing(left, restored ? scene.after : scene.before));
        EXPECT_EQ(reported->reason(), broken.message());
        // A copy is named after the save file that it was to replace.
        EXPECT_TRUE(reported->file().starts_with(scene.root.text())) << reported->file();
        EXPECT_FALSE(reported->file().ends_with(kStagedEnding)) << reported->file();
        EXPECT_TRUE(fault != Fault::Once || reported->state() != SaveFolderState::Unfinished)
            << "the way back is open";
        EXPECT_EQ(std::ranges::count(ListedNames(scene.save.string()), kJournalName), 0);
    }
    // Whether the restore was at work on the file that the game saves, by what the journal says:
    // its earlier file aside, or the snapshot's copy in its place.
    const bool touched =
        fault == Fault::Kill && !saved.empty() &&
        (fs::exists(scene.save / kJournalName) || fs::exists(scene.save / kNextJournalName)) &&
        (fs::exists(scene.save / ("." + saved + kAsideEnding)) ||
         ReadFile(scene.save / saved) == "then " + saved);
    if (fault == Fault::Kill && !saved.empty()) {
        WriteFile(scene.save / saved, "saved by the game");
    }
    files.steps = 0;
    files.before = [&](auto, auto&) {
        if (files.steps == recoveryKill) {
            throw Kill{};
        }
    };
    try {
        if (recoveryKill > 0) {
            RecoverRestore(scene.save.string(), files);
            return false;
        }
    } catch (const Kill&) {
    }
    files.before = nullptr;
    const Recovered recovered = RecoverRestore(scene.save.string(), files);
    seen.insert(recovered.how);
    FolderImage now = ImageOf(scene.save), before = scene.before, after = scene.after;
    if (!saved.empty()) {
        EXPECT_EQ(ReadFile(scene.save / saved), "saved by the game");
        now.erase(saved), before.erase(saved), after.erase(saved);
        EXPECT_TRUE(recoveryKill > 0 ||
                    recovered.keptAsSaved == (touched ? std::vector{(scene.save / saved).string()}
                                                      : std::vector<std::string>{}));
    }
    EXPECT_TRUE(now == before || now == after) << "the folder is mixed or untidy";
    EXPECT_NE(recovered.how, now == after ? Recovery::RolledBack : Recovery::RolledForward);
    if (reported) {
        // A restore that was undone leaves nothing to recover; one that went wrong on the way
        // back, or while tidying up, is finished the way it said.
        const bool leftovers = !reported->leftovers().empty();
        EXPECT_EQ(recovered.how == Recovery::NothingToDo, !leftovers);
        EXPECT_EQ(recovered.how == Recovery::RolledForward,
                  leftovers && reported->state() == SaveFolderState::Restored);
    }
    return true;
}

// Each step is on disk before the step that counts on it, and no other copy steps in meanwhile.
TEST(RestoreFolderTest, EveryStepCutShortEndsWhollyOldOrWhollyNewKeepingTheGamesSave)
{
    const HeroScene scene;
    WatchedFiles files;
    files.before = [&](auto, auto&) {
        // Another copy starting now, and putting the folder in order, leaves it alone.
        const FolderImage seen = ImageOf(scene.save);
        AsAnotherCopy([&] {
            const Recovery how = RecoverRestore(scene.save.string(), platform::SystemFiles()).how;
            EXPECT_TRUE(how == Recovery::NothingToDo || how == Recovery::InOtherHands);
            EXPECT_FALSE(platform::FolderLock::TryLock(scene.save.string(),
                                                       platform::FolderLock::Kind::Shared))
                << "nor does its check";
        });
        EXPECT_EQ(ImageOf(scene.save), seen);
    };
    RestoreFolder(scene.snapshot.string(), scene.save.string(), files);
    EXPECT_EQ(ImageOf(scene.save), scene.after);
    const auto in = [&](const std::string& name) { return (scene.save / name).string(); };
    const std::string sync = "SyncFolder " + scene.save.string(), next = in(kNextJournalName);
    const std::vector<std::string> journal = {"Write " + next, "SyncFile " + next,
                                              "Rename " + next + " -> " + in(kJournalName), sync};
    const std::vector<std::string> names = {"Hero.d2s", "Hero.key", "Hero.map", "notes.txt"};
    std::vector<std::string> expected = journal;  // the plan, before the first copy
    for (const std::string& name : names) {
        expected.push_back("SyncFile " + in("." + name + kStagedEnding));
    }
    expected.insert(expected.end(), journal.begin(), journal.end());  // the copies' stamps
    for (const std::string& name : names) {
        if (name != "notes.txt") {
            expected.push_back("Move " + in(name) + " -> " + in("." + name + kAsideEnding));
        }
        expected.push_back("Move " + in("." + name + kStagedEnding) + " -> " + in(name));
    }
    expected.push_back(sync);  // every copy in place on disk before the commit
    expected.insert(expected.end(), journal.begin(), journal.end());
    for (const std::string& name : names) {
        if (name != "notes.txt") {
            expected.push_back("Remove " + in("." + name + kAsideEnding));
        }
    }
    expected.insert(expected.end(), {sync, "Remove " + in(kJournalName), sync});
    EXPECT_TRUE(InOrder(files.calls, expected));
    EXPECT_EQ(files.calls.back(), sync);

    std::set<Recovery> seen;
    const std::vector<std::string> saves = {"", "Hero.d2s", "notes.txt"};
    for (const Fault fault : {Fault::Once, Fault::FromThenOn, Fault::Kill, Fault::GameSaves}) {
        for (int k = 1; k <= files.steps; ++k) {
            // After a kill, the game saves nothing, a file that the folder had, or one that the
            // snapshot brings, in turn; the recovery is killed at each of its steps.
            for (int round = 0;
                 round == 0 || fault == Fault::Kill || (fault == Fault::GameSaves && round < 2);
                 ++round) {
                const int recoveryKill = fault == Fault::Kill ? round : 0;
                const std::string saved = fault == Fault::Kill        ? saves[(k + round) % 3]
                                          : fault == Fault::GameSaves ? saves[1 + round]
                                                                      : "";
                SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(fault) << " at "
                                                << k << ", the game saving '" << saved
                                                << "', recovery killed at " << recoveryKill);
                if (!CutShort(fault, k, saved, recoveryKill, seen) || HasFailure()) {
                    break;
                }
            }
            if (HasFailure()) {
                return;
            }
        }
    }
    EXPECT_EQ(seen, (std::set<Recovery>{Recovery::NothingToDo, Recovery::RolledBack,
                                        Recovery::RolledForward}));
}

// The game saves while a recovery takes a copy back or puts an earlier file back. The restore ran
// on a file system with FAT's 2 s times: the recovery still knows its copies by their stamps.
TEST(RestoreFolderTest, ASaveWrittenWhileARecoveryRunsIsKept)
{
    for (const auto& [operation, ending] : std::vector<std::pair<std::string, std::string>>{
             {"Rename", "Hero.d2s"}, {"Move", ".Hero.d2s.quorrel-old"}}) {
        SCOPED_TRACE(operation + " " + ending);
        const HeroScene scene;
        const fs::path saved = scene.save / "Hero.d2s";
        WatchedFiles killed, files;
        killed.after = [](std::string_view op, const fs::path& file) {
            if (op == "Copy") {
                const fs::file_time_type time = fs::last_write_time(file);
                fs::last_write_time(file, time - time.time_since_epoch() % std::chrono::seconds(2) -
                                              std::chrono::seconds(2));
            }
        };
        killed.before = [placed = false](std::string_view op, const fs::path& file) mutable {
            placed = placed || (op == "Move" && file.filename() == ".notes.txt.quorrel-new");
            if (placed && op == "Write") {
                throw Kill{};
            }
        };
        EXPECT_THROW(RestoreFolder(scene.snapshot.string(), scene.save.string(), killed), Kill);
        // No restore starts before the interrupted one is put in order.
        const FolderImage left = ImageOf(scene.save);
        EXPECT_THROW(
            RestoreFolder(scene.snapshot.string(), scene.save.string(), platform::SystemFiles()),
            RestoreError);
        EXPECT_EQ(ImageOf(scene.save), left);
        files.before = [&, written = false](std::string_view op, const fs::path& file) mutable {
            if (!written && op == operation && file.filename().string().ends_with(ending)) {
                WriteFile(saved, "saved by the game meanwhile");
                written = true;
            }
        };
        const Recovered recovered = RecoverRestore(scene.save.string(), files);
        EXPECT_EQ(recovered.how, Recovery::RolledBack);
        EXPECT_EQ(recovered.keptAsSaved, std::vector{saved.string()});
        // Every earlier file is back on disk before the journal that could put it back goes.
        const std::string sync = "SyncFolder " + scene.save.string();
        EXPECT_TRUE(
            InOrder(files.calls, {"Move " + (scene.save / ".Hero.key.quorrel-old").string() +
                                      " -> " + (scene.save / "Hero.key").string(),
                                  sync, "Remove " + (scene.save / kJournalName).string(), sync}));
        // As before the restore, nothing of ours left, but for the game's save.
        EXPECT_EQ(ReadFile(saved), "saved by the game meanwhile");
        FolderImage now = ImageOf(scene.save), before = scene.before;
        now[saved.filename().string()] = before[saved.filename().string()] = {};
        EXPECT_EQ(now, before);
    }
}

// The journal is read at every start from a folder anything may have written into: what cannot be
// followed is refused unread, and the recovery touches nothing and says what to do with each file.
TEST(RestoreJournalTest, AnyNameSurvivesTheJournal)
{
    const RestoreJournal named{
        true,
        {{"Hero of 12: the\nnorth.d2s", ".1 2\n.quorrel-new", ".x.quorrel-old", "AbC-_9 x"},
         {"notes.txt", ".notes.txt.quorrel-new", "", ""}}};
    EXPECT_EQ(DecodeJournal(EncodeJournal(named)), named);
}

TEST(RestoreJournalTest, AJournalThatCannotBeFollowedChangesNothingAndSaysWhatToDo)
{
    const auto text = [](std::string body) {
        return [body](const fs::path& journal) { WriteFile(journal, body); };
    };
    struct Row {
        const char* what;
        std::function<void(const fs::path& journal)> make;
        const char* reason;
    };
    const std::vector<Row> rows = {
        {"cut short", text("Quorrel restore journal 2\nplanned\nplace 8:Hero.d2s 2:.x 0: 3:abc\n"),
         "not whole"},
        {"a NUL in a name",
         text("Quorrel restore journal 2\nplanned\nplace 9:Hero.d2s\0 2:.x 0: 0:\nend\n"s),
         "outside"},
        {"a name outside the folder",
         text("Quorrel restore journal 2\nplanned\nplace 11:../Hero.d2s 2:.x 0: 0:\nend\n"),
         "outside"},
        {"the journal as a temporary file",
         text("Quorrel restore journal 2\nplanned\nplace 8:Hero.d2s 24:" +
              std::string(kJournalName) + " 0: 0:\nend\n"),
         "twice"},
        {"larger than any restore writes",
         [](const fs::path& journal) {
             WriteFile(journal, "Quorrel restore journal 2\nplanned\n");
             fs::resize_file(journal, 64ull << 20);  // sparse: it takes no room
         },
         "larger"},
#ifndef _WIN32
        {"a link to an endless device",
         [](const fs::path& journal) { fs::create_symlink("/dev/zero", journal); }, "plain file"},
#endif
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder save;
        for (const char* name : {"Hero.d2s", ".Hero.d2s.quorrel-new", ".Hero.d2s.quorrel-old-2"}) {
            WriteFile(save.path() / name, name);
        }
        const fs::path journal = save.path() / kJournalName;
        row.make(journal);
        const std::vector<std::string> entries = Entries(save.path());
        try {
            RecoverRestore(save.text(), platform::SystemFiles());
            ADD_FAILURE() << "a journal that cannot be followed was followed";
        } catch (const UnusableJournal& error) {
            EXPECT_EQ(fs::path(error.file()), journal);
            EXPECT_NE(error.reason().find(row.reason), std::string::npos) << error.reason();
            std::string said;
            for (const Leftover& file : error.leftovers()) {
                said += fs::path(file.file).filename().string() + ": " + file.what + "\n";
            }
            EXPECT_EQ(error.leftovers().size(), 3u) << said;
            for (const char* words : {".Hero.d2s.quorrel-new: a copy of Hero.d2s",
                                      ".Hero.d2s.quorrel-old-2: Hero.d2s as it was before the "
                                      "restore: to have it back, rename this file to Hero.d2s",
                                      ".quorrel-restore.journal: the journal of the restore"}) {
                EXPECT_NE(said.find(words), std::string::npos) << said;
            }
        }
        EXPECT_EQ(Entries(save.path()), entries);
        EXPECT_EQ(ReadFile(save.path() / "Hero.d2s"), "Hero.d2s");
    }
}

}  // namespace
}  // namespace quorrel
