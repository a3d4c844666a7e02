#include "restore/restore_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>
#include <system_error>

#include "platform/file_system.h"
#include "restore/recover_restore.h"
#include "restore/restore_journal.h"
#include "support/hero_folders.h"
#include "support/listed_names.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Names = std::set<std::string>;

// The names whose entries differ between two images of a folder.
Names Differing(const FolderImage& a, const FolderImage& b)
{
    FolderImage differing;
    std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(),
                                  std::inserter(differing, differing.end()));
    Names names;
    for (const auto& [name, entry] : differing) {
        names.insert(name);
    }
    return names;
}

Names LeftoverNames(const RestoreError& error)
{
    Names names;
    for (const Leftover& file : error.leftovers()) {
        names.insert(fs::path(file.file).filename().string());
    }
    return names;
}

enum class Fault {
    Once,        // one step fails
    FromThenOn,  // that step and every later one fail, as when the folder turns read-only
    Kill,        // the program is killed before that step
};

// Hero's restore cut short at step k, then the recovery at the next start, itself killed at its
// step `recoveryKill` (0: never) and run again. Returns false when the recovery never got that
// far.
bool CutShort(Fault fault, int k, int recoveryKill, std::set<Recovery>& seen)
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
        EXPECT_EQ(LeftoverNames(*reported), Differing(left, restored ? scene.after : scene.before));
        EXPECT_EQ(reported->reason(), broken.message());
        // A copy is named after the save file that it was to replace.
        EXPECT_TRUE(reported->file().starts_with(scene.root.text())) << reported->file();
        EXPECT_FALSE(reported->file().ends_with(".quorrel-new")) << reported->file();
        if (fault == Fault::Once) {
            EXPECT_NE(reported->state(), SaveFolderState::Unfinished)
                << "the way back is not broken";
        }
    }
    const std::vector<std::string> listed = test::ListedNames(scene.save.string());
    EXPECT_EQ(std::count(listed.begin(), listed.end(), kJournalName), 0) << "a journal is hidden";

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
    const Recovery recovery = RecoverRestore(scene.save.string(), files);
    seen.insert(recovery);
    const FolderImage now = ImageOf(scene.save);
    EXPECT_TRUE(now == scene.before || now == scene.after) << "the folder is mixed or untidy";
    EXPECT_NE(recovery, now == scene.after ? Recovery::RolledBack : Recovery::RolledForward);
    if (reported) {
        // A restore that was undone leaves nothing to recover; one that went wrong on the way
        // back, or while tidying up, is finished the way it said.
        const bool leftovers = !reported->leftovers().empty();
        EXPECT_EQ(recovery == Recovery::NothingToDo, !leftovers);
        EXPECT_EQ(recovery == Recovery::RolledForward,
                  leftovers && reported->state() == SaveFolderState::Restored);
    }
    return true;
}

TEST(RestoreFolderTest, EveryStepCutShortEndsWhollyOldOrWhollyNew)
{
    const HeroScene whole;
    WatchedFiles files;
    RestoreFolder(whole.snapshot.string(), whole.save.string(), files);
    EXPECT_EQ(ImageOf(whole.save), whole.after);

    std::set<Recovery> seen;
    for (const Fault fault : {Fault::Once, Fault::FromThenOn, Fault::Kill}) {
        for (int k = 1; k <= files.steps; ++k) {
            for (int recoveryKill = 0; recoveryKill == 0 || fault == Fault::Kill; ++recoveryKill) {
                SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(fault) << " at "
                                                << k << ", recovery killed at " << recoveryKill);
                if (!CutShort(fault, k, recoveryKill, seen) || HasFailure()) {
                    break;
                }
            }
        }
    }
    EXPECT_EQ(seen, (std::set<Recovery>{Recovery::NothingToDo, Recovery::RolledBack,
                                        Recovery::RolledForward}));
}

TEST(RestoreJournalTest, AJournalThatCannotBeFollowedChangesNothing)
{
    // Any name survives the journal.
    const RestoreJournal named{
        true,
        {{"Hero of 12: the\nnorth.d2s", ".1 2\n.quorrel-new", ".x.quorrel-old",
          fs::file_time_type(fs::file_time_type::duration(1796569449123456789))}}};
    EXPECT_EQ(DecodeJournal(EncodeJournal(named)), named);

    // Killed as it commits: every copy in place. Then the game saves Hero.d2s again, which
    // the recovery must not undo. Or killed after it, and the journal is broken, cut short (1) or
    // naming a file outside the folder (2): it cannot be followed at all.
    for (const int broken : {0, 1, 2}) {
        SCOPED_TRACE(broken);
        const HeroScene scene;
        int writes = 0;
        KillRestore(scene.snapshot, scene.save, [&](std::string_view operation, const fs::path&) {
            return operation == (broken == 0 ? "Write" : "Remove") && (broken > 0 || ++writes == 3);
        });
        const fs::path journal = scene.save / kJournalName;
        const std::string text = ReadFile(journal);
        const std::string::size_type name = text.find("8:Hero.d2s");
        ASSERT_NE(name, std::string::npos);
        if (broken == 0) {
            WriteFile(scene.save / "Hero.d2s", "saved by the game");
        } else {
            WriteFile(journal, broken == 1 ? text.substr(0, text.size() - 4)
                                           : text.substr(0, name) + "11:../Hero.d2s" +
                                                 text.substr(name + 10));
        }
        const FolderImage left = ImageOf(scene.save);
        try {
            RecoverRestore(scene.save.string(), platform::SystemFiles());
            ADD_FAILURE() << "a journal that cannot be followed went unreported";
        } catch (const RestoreError& error) {
            EXPECT_EQ(fs::path(error.file()), broken == 0 ? scene.save / "Hero.d2s" : journal);
            EXPECT_EQ(error.state(), SaveFolderState::Unfinished);
            EXPECT_EQ(LeftoverNames(error),
                      Differing(left, broken == 0 ? scene.before : scene.after));
        }
        EXPECT_EQ(ImageOf(scene.save), left);
    }
}

}  // namespace
}  // namespace quorrel
