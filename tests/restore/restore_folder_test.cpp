#include "restore/restore_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
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
using namespace test;
using Names = std::set<std::string>;

// The names whose entries differ between two images of a folder.
Names Differing(const FolderImage& a, const FolderImage& b)
{
    Names names;
    for (const auto& [one, other] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
        for (const auto& [name, entry] : *one) {
            if (!other->contains(name) || other->at(name) != entry) {
                names.insert(name);
            }
        }
    }
    return names;
}

enum class Fault {
    Once,        // one step fails
    FromThenOn,  // that step and every later one fail, as when the folder turns read-only
    Kill,        // the program is killed before that step
};

// Hero's restore cut short at step k; after a kill, the game saves `saved` (unless empty); then
// the recovery at the next start, killed at its step `recoveryKill` (0: never) and run again.
// Returns false when the recovery never got that far.
bool CutShort(Fault fault, int k, const std::string& saved, int recoveryKill,
              std::set<Recovery>& seen)
{
    const HeroScene scene;
    const std::error_code broken = std::make_error_code(std::errc::io_error);
    WatchedFiles files;
    files.before = [&](std::string_view operation, const fs::path& file) {
        if (files.steps == k || (fault != Fault::Once && files.steps > k)) {
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
        ADD_FAILURE() << "the fault went unreported";
    } catch (const RestoreError& error) {
        reported = error;
    } catch (const Kill&) {
    }
    EXPECT_EQ(reported.has_value(), fault != Fault::Kill);
    if (reported) {
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
        if (fault == Fault::Once) {
            EXPECT_NE(reported->state(), SaveFolderState::Unfinished) << "the way back is open";
        }
        const std::vector<std::string> listed = ListedNames(scene.save.string());
        EXPECT_EQ(std::count(listed.begin(), listed.end(), kJournalName), 0) << "it is hidden";
    }
    // Whether the restore was at work on the file that the game saves, by what the journal says:
    // its earlier file aside, or the snapshot's copy in its place.
    const bool touched =
        !saved.empty() &&
        (fs::exists(scene.save / kJournalName) || fs::exists(scene.save / kNextJournalName)) &&
        (fs::exists(scene.save / ("." + saved + kAsideEnding)) ||
         ReadFile(scene.save / saved) == "then " + saved);
    if (!saved.empty()) {
        WriteFile(scene.save / saved, "saved by the game");
    }

    files.steps = 0;
    files.before = [&](std::string_view, const fs::path&) {
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
    FolderImage now = ImageOf(scene.save);
    FolderImage before = scene.before;
    FolderImage after = scene.after;
    if (!saved.empty()) {
        EXPECT_EQ(ReadFile(scene.save / saved), "saved by the game");
        for (FolderImage* image : {&now, &before, &after}) {
            image->erase(saved);
        }
        if (recoveryKill == 0) {
            EXPECT_EQ(recovered.keptAsSaved, touched ? std::vector{(scene.save / saved).string()}
                                                     : std::vector<std::string>{});
        }
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

TEST(RestoreFolderTest, EveryStepCutShortEndsWhollyOldOrWhollyNewKeepingTheGamesSave)
{
    const HeroScene whole;
    WatchedFiles files;
    RestoreFolder(whole.snapshot.string(), whole.save.string(), files);

    std::set<Recovery> seen;
    for (const Fault fault : {Fault::Once, Fault::FromThenOn, Fault::Kill}) {
        for (int k = 1; k <= files.steps; ++k) {
            for (int recoveryKill = 0; recoveryKill == 0 || fault == Fault::Kill; ++recoveryKill) {
                // After a kill, the game saves nothing, a file that the folder had, or one that
                // the snapshot brings, in turn.
                const std::string saved =
                    fault != Fault::Kill ? ""
                                         : std::vector<std::string>{
                                               "", "Hero.d2s", "notes.txt"}[(k + recoveryKill) % 3];
                SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(fault) << " at "
                                                << k << ", the game saving '" << saved
                                                << "', recovery killed at " << recoveryKill);
                if (!CutShort(fault, k, saved, recoveryKill, seen)) {
                    break;
                }
                if (HasFailure()) {
                    return;
                }
            }
        }
    }
    EXPECT_EQ(seen, (std::set<Recovery>{Recovery::NothingToDo, Recovery::RolledBack,
                                        Recovery::RolledForward}));
}

TEST(RestoreFolderTest, EachStepIsOnDiskBeforeTheStepThatCountsOnItAndNoOtherCopyStepsIn)
{
    const HeroScene scene;
    WatchedFiles files;
    files.before = [&](std::string_view, const fs::path&) {
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
}

}  // namespace
}  // namespace quorrel
