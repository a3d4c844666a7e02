#include "restore/restore_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <system_error>

#include "platform/file_system.h"
#include "restore/hero_folders.h"
#include "restore/recover_restore.h"
#include "restore/restore_journal.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::FolderImage;
using test::ImageOf;

// Hero's snapshot and his save folder (see PlantHero): the snapshot replaces three save files,
// brings notes.txt, which is new to the folder, and leaves Other.d2s alone. `before` and `after`
// are the save folder as it is and as a whole restore leaves it.
struct Scene {
    test::TempFolder root;
    fs::path snapshot = root.folder("Hero-06-12-2026-15-04-09");
    fs::path save = root.folder("save");
    FolderImage before;
    FolderImage after;

    Scene()
    {
        test::PlantHero(snapshot, save);
        before = after = ImageOf(save);
        for (const auto& [name, entry] : ImageOf(snapshot)) {
            after[name] = entry;
        }
    }
    void Restore(platform::FileOps& ops) const
    {
        RestoreFolder(snapshot.string(), save.string(), ops);
    }
};

// The names whose entries differ between two images of a folder.
std::set<std::string> Differing(const FolderImage& a, const FolderImage& b)
{
    std::set<std::string> names;
    for (const auto* image : {&a, &b}) {
        for (const auto& [name, entry] : *image) {
            const FolderImage& other = image == &a ? b : a;
            const auto found = other.find(name);
            if (found == other.end() || found->second != entry) {
                names.insert(name);
            }
        }
    }
    return names;
}

std::set<std::string> LeftoverNames(const RestoreError& error)
{
    std::set<std::string> names;
    for (const Leftover& file : error.leftovers()) {
        names.insert(fs::path(file.file).filename().string());
    }
    return names;
}

// A failed restore says where it left the folder, and names every file out of place.
void ExpectHonest(const RestoreError& error, const Scene& scene)
{
    const FolderImage now = ImageOf(scene.save);
    switch (error.state()) {
        case SaveFolderState::AsBefore:
            EXPECT_EQ(now, scene.before);
            EXPECT_TRUE(error.leftovers().empty());
            break;
        case SaveFolderState::Restored:
            EXPECT_EQ(LeftoverNames(error), Differing(now, scene.after));
            break;
        case SaveFolderState::Unfinished:
            EXPECT_EQ(LeftoverNames(error), Differing(now, scene.before));
            break;
    }
}

enum class Fault {
    Once,        // one step fails
    FromThenOn,  // that step and every later one fail, as when the folder turns read-only
    Kill,        // the program is killed before that step
};

// A restore cut short at step k and the recovery at the next start, itself killed at its step
// `recoveryKill` (0: never) and then run again. Returns false when the recovery never got that
// far.
bool CutShort(Fault fault, int k, int recoveryKill, std::set<Recovery>& seen)
{
    const Scene scene;
    const std::error_code broken = std::make_error_code(std::errc::io_error);
    test::FaultyFiles files;
    files.before = [&](std::string_view operation, const fs::path& file) {
        if (files.steps == k || (fault != Fault::Once && files.steps > k)) {
            if (fault == Fault::Kill) {
                throw test::Kill{};
            }
            throw fs::filesystem_error(std::string(operation), file, broken);
        }
    };
    std::optional<SaveFolderState> reported;
    bool leftovers = false;
    try {
        scene.Restore(files);
        ADD_FAILURE() << "the fault went unreported";
    } catch (const RestoreError& error) {
        EXPECT_NE(fault, Fault::Kill);
        EXPECT_EQ(error.reason(), broken.message());
        EXPECT_TRUE(error.file().starts_with(scene.root.text())) << error.file();
        ExpectHonest(error, scene);
        reported = error.state();
        leftovers = !error.leftovers().empty();
    } catch (const test::Kill&) {
        EXPECT_EQ(fault, Fault::Kill);
    }
    const std::vector<std::string> listed = platform::ListFiles(scene.save.string());
    EXPECT_EQ(std::count(listed.begin(), listed.end(), kJournalName), 0) << "a journal is hidden";

    if (recoveryKill > 0) {
        files.steps = 0;
        files.before = [&](std::string_view, const fs::path&) {
            if (files.steps == recoveryKill) {
                throw test::Kill{};
            }
        };
        try {
            RecoverRestore(scene.save.string(), files);
            return false;
        } catch (const test::Kill&) {
        }
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
        EXPECT_EQ(recovery == Recovery::NothingToDo, !leftovers);
        EXPECT_EQ(recovery == Recovery::RolledForward,
                  leftovers && *reported == SaveFolderState::Restored);
        if (fault == Fault::Once) {
            EXPECT_NE(*reported, SaveFolderState::Unfinished) << "the way back is not broken";
        }
    }
    return true;
}

TEST(RestoreFolderTest, EveryStepCutShortEndsWhollyOldOrWhollyNew)
{
    const Scene whole;
    test::FaultyFiles files;
    whole.Restore(files);
    EXPECT_EQ(ImageOf(whole.save), whole.after);
    const int steps = files.steps;

    std::set<Recovery> seen;
    for (const Fault fault : {Fault::Once, Fault::FromThenOn, Fault::Kill}) {
        for (int k = 1; k <= steps; ++k) {
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

TEST(RestoreFolderTest, AFullSaveFolderIsNamedWithTheWritersError)
{
    const Scene scene;
    test::FullDisk fullAtHeroMap(scene.save, "Hero.map");
    try {
        scene.Restore(fullAtHeroMap);
        ADD_FAILURE() << "a full disk went unreported";
    } catch (const RestoreError& error) {
        EXPECT_EQ(fs::path(error.file()), scene.save / "Hero.map");
        EXPECT_EQ(error.reason(), std::make_error_code(std::errc::no_space_on_device).message());
        EXPECT_EQ(error.state(), SaveFolderState::AsBefore);
    }
    EXPECT_EQ(ImageOf(scene.save), scene.before);
}

TEST(RestoreJournalTest, AJournalThatCannotBeFollowedChangesNothing)
{
    // Any name survives the journal.
    const RestoreJournal named{
        true,
        {{"Hero of 12: the\nnorth.d2s", ".1 2\n.quorrel-new", ".x.quorrel-old",
          fs::file_time_type(fs::file_time_type::duration(1796569449123456789))}}};
    EXPECT_EQ(DecodeJournal(EncodeJournal(named)), named);

    // Killed before the commit: every copy in place. Then the game saves Hero.d2s again, which
    // the recovery must not undo. Or the journal is broken, and cannot be followed at all.
    for (const int broken : {0, 1, 2}) {
        SCOPED_TRACE(broken);
        const Scene scene;
        int writes = 0;
        test::KillRestore(scene.snapshot, scene.save,
                          [&](std::string_view operation, const fs::path&) {
                              return operation == (broken == 0 ? "Write" : "Remove") &&
                                     (broken > 0 || ++writes == 2);
                          });
        const fs::path journal = scene.save / kJournalName;
        const std::string text = test::ReadFile(journal);
        const std::string::size_type name = text.find("8:Hero.d2s");
        ASSERT_NE(name, std::string::npos);
        if (broken == 0) {
            test::WriteFile(scene.save / "Hero.d2s", "saved by the game");
        } else {
            test::WriteFile(journal, broken == 1 ? text.substr(0, text.size() - 4)
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
