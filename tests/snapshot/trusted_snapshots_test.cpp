// Snapshots a player can trust: every save is seen, none is kept torn or half-written, and a
// snapshot holds exactly its own character's plain files.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "cycle_fixture.h"
#include "support/file_times.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::Entries;
using test::ReadFile;
using test::SaveBytes;
using test::WriteFile;

class TrustedSnapshotTest : public test::CycleTest {
protected:
    // The game writes a file, which gets a last-modified time `milliseconds` into one second.
    void Save(const std::string& name, const std::string& content, int milliseconds)
    {
        WriteFile(save_ / name, content);
        test::SetModified(save_ / name, test::kSomeSecond, milliseconds * 1000000);
    }

    using Names = std::vector<std::string>;
};

TEST_F(TrustedSnapshotTest, EverySaveWithinOneSecondIsSeen)
{
    Save("Hero.key", "key 1", 100);
    cycle_.RecordSaveFolder();

    Save("Hero.key", "key 2", 400);
    CheckAMinuteLater();
    EXPECT_EQ(ReadFile(SnapshotOf("Hero") / "Hero.key"), "key 2");

    Save("Hero.key", "key 3", 700);
    CheckAMinuteLater();
    EXPECT_EQ(ReadFile(SnapshotOf("Hero") / "Hero.key"), "key 3")
        << "a second save within the same second is a change too";
    EXPECT_EQ(beeper_.beeps, 2);
}

TEST_F(TrustedSnapshotTest, AFileRewrittenWhileItIsCopiedIsNotKept)
{
    const std::string first = SaveBytes(8192, 96, 1);
    const std::string second = SaveBytes(8192, 96, 2);
    Save("Hero.d2s", first, 200);
    // The game saves again while the check copies: it cuts Hero.d2s and writes its first half
    // just before the copy reads it, and the rest before the next file is copied, all within
    // the second that the listing saw.
    files_.before = [&](std::string_view operation, const fs::path& file) {
        if (operation == "Copy" && file == save_ / "Hero.d2s") {
            Save("Hero.d2s", second.substr(0, 4096), 300);
        } else if (operation == "Copy" && file == save_ / "Hero.key") {
            Save("Hero.d2s", second, 400);
        }
    };
    CheckAMinuteLater();
    EXPECT_TRUE(Entries(history_).empty()) << "a torn copy is not kept";
    EXPECT_EQ(beeper_.beeps, 0);

    files_.before = nullptr;
    CheckAMinuteLater();
    EXPECT_EQ(ReadFile(SnapshotOf("Hero") / "Hero.d2s"), second) << "taken again, whole";
    EXPECT_EQ(beeper_.beeps, 1);
    EXPECT_EQ(LogText(), "") << "nothing failed";
}

TEST_F(TrustedSnapshotTest, ASaveCaughtHalfWrittenWaitsUntilItIsWhole)
{
    const std::string save = SaveBytes(8192);
    Save("Hero.d2s", save.substr(0, 4096), 100);
    CheckAMinuteLater();
    Save("Hero.d2s", "", 200);
    CheckAMinuteLater();
    EXPECT_TRUE(Entries(history_).empty()) << "neither half a save nor an empty one is taken";

    Save("Hero.d2s", save, 300);
    CheckAMinuteLater();
    EXPECT_EQ(Entries(history_), Names{SnapshotOf("Hero").filename().string()});
    EXPECT_EQ(ReadFile(SnapshotOf("Hero") / "Hero.d2s"), save);
    EXPECT_EQ(beeper_.beeps, 1);
    EXPECT_EQ(LogText(), "") << "waiting is no failure";
}

TEST_F(TrustedSnapshotTest, ASaveThatStaysInvalidIsTakenAtTheNextCheck)
{
    // A modded game whose saves do not add up; the extension's letter case does not matter.
    WriteFile(save_ / "Rogue.D2S", SaveBytes(1000));
    cycle_.RecordSaveFolder();
    std::string modded = SaveBytes(1000, 96, 7);
    modded[500] ^= 1;
    Save("Rogue.D2S", modded, 100);
    CheckAMinuteLater();
    EXPECT_TRUE(Entries(history_).empty()) << "it may still be being written";

    CheckAMinuteLater();
    EXPECT_EQ(ReadFile(SnapshotOf("Rogue") / "Rogue.D2S"), modded)
        << "unchanged since the last check: taken as it is";
    CheckAMinuteLater();
    EXPECT_EQ(Entries(history_).size(), 1u);
    EXPECT_EQ(LogText(), "");
}

#ifndef _WIN32
// Names that Windows forbids, and links and FIFOs, exist on Linux and macOS.

TEST_F(TrustedSnapshotTest, ANameWithWildcardsTakesOnlyItsOwnFiles)
{
    for (const char* name : {"H?ro.d2s", "H?ro.key", "H*ro.d2s", "H*ro.map"}) {
        WriteFile(save_ / name, std::string(name) + " as first seen");
    }
    cycle_.RecordSaveFolder();
    test::Touch(save_ / "H?ro.d2s");
    test::Touch(save_ / "H*ro.map");
    CheckAMinuteLater();
    EXPECT_EQ(Entries(history_), (Names{SnapshotOf("H*ro").filename().string(),
                                        SnapshotOf("H?ro").filename().string()}));
    EXPECT_EQ(Entries(SnapshotOf("H?ro")), (Names{"H?ro.d2s", "H?ro.key"}));
    EXPECT_EQ(Entries(SnapshotOf("H*ro")), (Names{"H*ro.d2s", "H*ro.map"}));
}

TEST_F(TrustedSnapshotTest, LinksAndSpecialFilesAreNeitherFollowedNorOpened)
{
    WriteFile(root_.path() / "shadow", "a secret outside the save folder");
    fs::remove(save_ / "Hero.key");
    fs::create_symlink(root_.path() / "shadow", save_ / "Hero.key");
    // Opening a FIFO for reading would wait for a writer that never comes.
    fs::remove(save_ / "Hero.map");
    ASSERT_EQ(::mkfifo((save_ / "Hero.map").c_str(), 0600), 0);
    test::Touch(save_ / "Hero.d2s");
    CheckAMinuteLater();
    EXPECT_EQ(Entries(SnapshotOf("Hero")), Names{"Hero.d2s"});
    EXPECT_EQ(LogText(), "");
    EXPECT_EQ(beeper_.beeps, 1);
}
#endif

}  // namespace
}  // namespace quorrel
