// The snapshot cycle, and snapshots a player can trust: every save is seen, none is kept torn or
// half-written, and a snapshot holds exactly its own character's plain files.
#include "snapshot/snapshot_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/path_text.h"
#include "support/another_copy.h"
#include "support/fakes.h"
#include "support/file_times.h"
#include "support/listed_names.h"
#include "support/save_bytes.h"
#include "support/temp_folder.h"
#include "support/watched_files.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Names = std::vector<std::string>;

// A cycle that checks at every tick, over a save folder with Hero (d2s, key, map) and Mage (d2s,
// key) as first seen. Its file operations take a hook (see WatchedFiles); it logs into Log.txt
// and keeps how every check went. The clock says 06-12-2026 15:04:09.
class SnapshotCycleTest : public ::testing::Test {
protected:
    SnapshotCycleTest()
    {
        for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "Mage.d2s", "Mage.key"}) {
            WriteFile(save_ / name, std::string(name) + " as first seen");
        }
        cycle_.SetCheckPeriod();
        cycle_.RecordSaveFolder();
    }

    std::string LogText() const { return fs::exists(log_) ? ReadFile(log_) : ""; }

    std::string ErrorEntry() const
    {
        return "Date: " + platform::ShortDateText(clock_.moment) + "\r\n" +
               "Time: " + platform::TimeText(clock_.moment) + "\r\n" + "Error Could not save \r\n" +
               "------------------------\r\n";
    }

    // The game writes a file, which gets a last-modified time `milliseconds` into one second.
    void Save(const std::string& name, const std::string& content, int milliseconds)
    {
        WriteFile(save_ / name, content);
        SetModified(save_ / name, kSomeSecond, milliseconds * 1000000);
    }

    // The next check, one minute later by the clock.
    void CheckAMinuteLater()
    {
        clock_.moment.minute += 1;
        cycle_.Timer1_Timer();
    }

    TempFolder root_;
    fs::path save_ = root_.folder("save");
    fs::path history_ = root_.folder("history");
    fs::path log_ = root_.path() / "Log.txt";
    Settings settings_{save_.string(), history_.string(), "60"};
    ManualTimer timer_;
    FakeClock clock_;
    CountingBeeper beeper_;
    WatchedFiles files_;
    std::vector<bool> outcomes_;
    SnapshotCycle cycle_{
        settings_, timer_, {clock_, beeper_, files_, log_.string(), [this](bool succeeded) {
                                outcomes_.push_back(succeeded);
                            }}};
};

TEST_F(SnapshotCycleTest, CheckPeriodFollowsTheRefreshTime)
{
    struct Row {
        const char* refreshTime;
        int interval;
        int ticksPerCheck;
    };
    for (const Row& row :
         {Row{"60", 60000, 1}, Row{"65", 65000, 1}, Row{"66", 1007, 66}, Row{"100", 1526, 66},
          Row{"2.5", 2000, 1}, Row{"3.5", 4000, 1}, Row{".5", 0, 1}, Row{"4294", 65522, 66}}) {
        settings_.RefreshTime = row.refreshTime;
        cycle_.SetCheckPeriod();
        EXPECT_EQ(timer_.interval(), row.interval) << row.refreshTime;
        EXPECT_EQ(cycle_.TicksPerCheck(), row.ticksPerCheck) << row.refreshTime;
    }
    EXPECT_FALSE(timer_.isEnabled()) << "the period never starts a run";

    settings_.RefreshTime = "abc";
    EXPECT_THROW(cycle_.SetCheckPeriod(), std::invalid_argument);
    // Beyond the timer: 76295 ms per tick, negative, and far beyond any integer.
    for (const char* refreshTime : {"5000", "-5", "606959600", "1e300"}) {
        settings_.RefreshTime = refreshTime;
        EXPECT_THROW(cycle_.SetCheckPeriod(), std::out_of_range) << refreshTime;
    }
    EXPECT_EQ(timer_.interval(), 65522) << "a refused period leaves the timer as it was";
}

TEST_F(SnapshotCycleTest, RefreshTimeIsReadInTheLocaleOfTheUser)
{
    // Whichever name the system gives a locale that writes 2,5 for two and a half.
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const auto german = {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "de-DE"};
    if (std::none_of(german.begin(), german.end(), [](const char* name) {
            return std::setlocale(LC_NUMERIC, name) != nullptr;
        })) {
        GTEST_SKIP() << "no German locale here; ./dev.sh test makes one";
    }
    settings_.RefreshTime = "3,5";
    cycle_.SetCheckPeriod();
    const int interval = timer_.interval();
    settings_.RefreshTime = "3.5";
    EXPECT_THROW(cycle_.SetCheckPeriod(), std::invalid_argument);
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_EQ(interval, 4000);
}

TEST_F(SnapshotCycleTest, EveryChangedCharacterIsCopiedIntoOneDatedFolder)
{
    // One separator is joined whatever SnapshotDir ends with.
    settings_.SnapshotDir = history_.string() + platform::kPathSeparator;
    // New files are taken in as first seen, and a vanished one is dropped: no change.
    WriteFile(save_ / "Amazon.d2s", "a save of Amazon");
    WriteFile(save_ / "Hero.v2.d2s", "a save of Hero.v2");
    WriteFile(save_ / "Hero.v2.key", "a key of Hero.v2");
    fs::remove(save_ / "Mage.key");
    cycle_.Timer1_Timer();
    EXPECT_TRUE(Entries(history_).empty());

    WriteFile(save_ / "Hero.d2s", "a new save of Hero");
    for (const char* name : {"Amazon.d2s", "Hero.d2s", "Hero.v2.d2s"}) {
        Touch(save_ / name);
    }
    CheckAMinuteLater();
    // A character is the name up to its last dot.
    EXPECT_EQ(Entries(history_), (Names{"Amazon-06-12-2026-15-05-09", "Hero-06-12-2026-15-05-09",
                                        "Hero.v2-06-12-2026-15-05-09"}));
    const fs::path hero = history_ / "Hero-06-12-2026-15-05-09";
    EXPECT_EQ(Entries(hero), (Names{"Hero.d2s", "Hero.key", "Hero.map"}));
    EXPECT_EQ(Entries(history_ / "Hero.v2-06-12-2026-15-05-09"),
              (Names{"Hero.v2.d2s", "Hero.v2.key"}));
    EXPECT_EQ(ReadFile(hero / "Hero.d2s"), "a new save of Hero");
    EXPECT_EQ(fs::last_write_time(hero / "Hero.d2s"), fs::last_write_time(save_ / "Hero.d2s"));
    EXPECT_EQ(beeper_.beeps, 1);

    cycle_.Timer1_Timer();
    EXPECT_EQ(Entries(history_).size(), 3u) << "the next check finds no change";
    EXPECT_EQ(beeper_.beeps, 1);
    EXPECT_EQ(outcomes_, (std::vector<bool>{true, true, true})) << "no failure";
}

TEST_F(SnapshotCycleTest, FailuresAreLoggedAndTheNextCheckTriesAgain)
{
    // A folder of the snapshot's name is there already, and Mage.key cannot be copied after
    // Mage.d2s was.
    WriteFile(root_.folder("history/Hero-06-12-2026-15-04-09") / "keep.txt", "not ours");
    files_.before = [](std::string_view operation, const fs::path& file) {
        if (operation == "Copy" && file.filename() == "Mage.key") {
            throw fs::filesystem_error("Cannot read", file,
                                       std::make_error_code(std::errc::io_error));
        }
    };
    Touch(save_ / "Hero.d2s");
    Touch(save_ / "Mage.d2s");
    cycle_.Timer1_Timer();
    EXPECT_EQ(Entries(history_), Names{"Hero-06-12-2026-15-04-09"}) << "no partial snapshot";
    EXPECT_EQ(Entries(history_ / "Hero-06-12-2026-15-04-09"), Names{"keep.txt"});
    const std::string twoEntries = ErrorEntry() + ErrorEntry();
    EXPECT_EQ(LogText(), twoEntries);
    EXPECT_EQ(beeper_.beeps, 0);

    files_.before = nullptr;
    CheckAMinuteLater();
    EXPECT_EQ(Entries(history_ / "Hero-06-12-2026-15-05-09"),
              (Names{"Hero.d2s", "Hero.key", "Hero.map"}));
    EXPECT_EQ(Entries(history_ / "Mage-06-12-2026-15-05-09"), (Names{"Mage.d2s", "Mage.key"}));
    EXPECT_EQ(beeper_.beeps, 1);

    // A save folder that cannot be listed leaves the files as last seen.
    const std::vector<Filenames> known = cycle_.KnownFiles();
    fs::rename(save_, root_.path() / "moved");
    CheckAMinuteLater();
    EXPECT_EQ(cycle_.KnownFiles(), known);
    EXPECT_EQ(LogText(), twoEntries + ErrorEntry());
    EXPECT_EQ(outcomes_, (std::vector<bool>{false, true, false}));
}

TEST_F(SnapshotCycleTest, LongPeriodsCheckOnEverySixtySixthTickAndFlushEachSnapshot)
{
    settings_.RefreshTime = "100";
    cycle_.SetCheckPeriod();
    Touch(save_ / "Hero.d2s");
    for (int tick = 1; tick < 66; ++tick) {
        cycle_.Timer1_Timer();
    }
    EXPECT_TRUE(Entries(history_).empty());
    EXPECT_TRUE(outcomes_.empty()) << "only a tick that checks tells how it went";
    Names steps;
    files_.before = [&steps](std::string_view operation, const fs::path& file) {
        steps.push_back(std::string(operation) + " " + file.filename().string());
    };
    cycle_.Timer1_Timer();
    EXPECT_EQ(steps, (Names{"Copy Hero.d2s", "Copy Hero.key", "Copy Hero.map",
                            "SyncFolder .quorrel-new-Hero-06-12-2026-15-04-09",
                            "Move .quorrel-new-Hero-06-12-2026-15-04-09", "SyncFolder history"}))
        << "the snapshot is on disk before the check counts it";
    EXPECT_EQ(outcomes_, std::vector<bool>{true});
    EXPECT_EQ(cycle_.TickCount(), 0);
}

TEST_F(SnapshotCycleTest, ACheckWaitsWhileAnotherCopyRestoresAndLeavesTheSaveFolderToTheGame)
{
    using Kind = platform::FolderLock::Kind;
    const Names gameFiles = Entries(save_);
    const fs::file_time_type folderTime = fs::last_write_time(save_);
    Touch(save_ / "Hero.d2s");
    {
        const AnotherCopy restoring(save_.string(), Kind::Exclusive);
        ASSERT_TRUE(restoring.holds());
        CheckAMinuteLater();
        EXPECT_TRUE(Entries(history_).empty()) << "no snapshot of a character being restored";
    }
    CheckAMinuteLater();
    EXPECT_EQ(Entries(history_), Names{"Hero-06-12-2026-15-06-09"}) << "taken after the restore";
    {
        const AnotherCopy checking(save_.string(), Kind::Shared);
        Touch(save_ / "Hero.map");
        CheckAMinuteLater();
        EXPECT_EQ(Entries(history_).size(), 2u) << "two copies' checks go side by side";
    }
    EXPECT_EQ(Entries(save_), gameFiles) << "nothing of ours in the game's folder";
    EXPECT_EQ(fs::last_write_time(save_), folderTime);
    EXPECT_EQ(beeper_.beeps, 2);
    EXPECT_EQ(outcomes_, (std::vector<bool>{true, true, true})) << "waiting is no failure";
}

using TrustedSnapshotTest = SnapshotCycleTest;

TEST_F(TrustedSnapshotTest, EverySaveWithinOneSecondIsSeen)
{
    Save("Hero.key", "key 1", 100);
    cycle_.RecordSaveFolder();
    Save("Hero.key", "key 2", 400);
    CheckAMinuteLater();
    EXPECT_EQ(ReadFile(history_ / "Hero-06-12-2026-15-05-09" / "Hero.key"), "key 2");
    Save("Hero.key", "key 2, longer", 400);
    CheckAMinuteLater();
    EXPECT_EQ(ReadFile(history_ / "Hero-06-12-2026-15-06-09" / "Hero.key"), "key 2, longer")
        << "the same instant but another size is a change too";
}

TEST_F(TrustedSnapshotTest, AFileRewrittenWhileItIsCopiedIsTakenAgainWhole)
{
    const std::string second = SaveBytes(8192, 96, 2);
    Save("Hero.d2s", SaveBytes(8192, 96, 1), 200);
    // The game saves again while the check copies: it cuts Hero.d2s and writes its first half
    // just before the copy reads it, and the rest before the next file is copied, all within
    // the second that the listing saw.
    files_.before = [&](std::string_view operation, const fs::path& file) {
        if (operation == "Copy" && file.filename() == "Hero.d2s") {
            Save("Hero.d2s", second.substr(0, 4096), 300);
        } else if (operation == "Copy" && file.filename() == "Hero.key") {
            Save("Hero.d2s", second, 400);
        }
    };
    CheckAMinuteLater();
    EXPECT_TRUE(Entries(history_).empty()) << "a torn copy is not kept";

    files_.before = nullptr;
    CheckAMinuteLater();
    EXPECT_EQ(ReadFile(history_ / "Hero-06-12-2026-15-06-09" / "Hero.d2s"), second);
    EXPECT_EQ(beeper_.beeps, 1);
    EXPECT_EQ(LogText(), "") << "nothing failed";
}

TEST_F(TrustedSnapshotTest, ASaveCaughtHalfWrittenWaitsUntilItIsWholeOrUnchanged)
{
    const std::string save = SaveBytes(8192);
    Save("Hero.d2s", save.substr(0, 4096), 100);
    CheckAMinuteLater();
    Save("Hero.d2s", "", 200);
    CheckAMinuteLater();
    EXPECT_TRUE(Entries(history_).empty()) << "neither half a save nor an empty one is taken";
    Save("Hero.d2s", save, 300);
    CheckAMinuteLater();
    EXPECT_EQ(ReadFile(history_ / "Hero-06-12-2026-15-07-09" / "Hero.d2s"), save);

    // A modded game whose saves never add up: taken once it is unchanged since the last check.
    std::string modded = SaveBytes(8192, 96, 7);
    modded[500] ^= 1;
    Save("Hero.d2s", modded, 400);
    CheckAMinuteLater();
    EXPECT_EQ(Entries(history_).size(), 1u) << "it may still be being written";
    CheckAMinuteLater();
    EXPECT_EQ(ReadFile(history_ / "Hero-06-12-2026-15-09-09" / "Hero.d2s"), modded);
    EXPECT_EQ(beeper_.beeps, 2);
    EXPECT_EQ(LogText(), "") << "waiting is no failure";
}

TEST_F(TrustedSnapshotTest, WhatASnapshotCutShortLeftIsClearedBeforeTheNextCheck)
{
    const fs::path leftover = history_ / ".quorrel-new-Hero-06-12-2026-15-04-09";
    fs::create_directory(leftover);
    WriteFile(leftover / "Hero.d2s", "half");
    Touch(save_ / "Hero.d2s");
    CheckAMinuteLater();
    EXPECT_EQ(Entries(history_), Names{"Hero-06-12-2026-15-05-09"});
    EXPECT_EQ(LogText(), "");
}

#ifndef _WIN32
// Names that Windows forbids, and links and FIFOs, exist on Linux and macOS.
TEST_F(TrustedSnapshotTest, ASnapshotHoldsOnlyItsOwnCharactersPlainFiles)
{
    for (const char* name : {"H?ro.d2s", "H?ro.key", "H*ro.d2s", "H*ro.map"}) {
        WriteFile(save_ / name, std::string(name) + " as first seen");
    }
    WriteFile(root_.path() / "secret", "a secret outside the save folder");
    fs::remove(save_ / "Hero.key");
    fs::create_symlink(root_.path() / "secret", save_ / "Hero.key");
    // Opening a FIFO for reading would wait for a writer that never comes.
    fs::remove(save_ / "Hero.map");
    ASSERT_EQ(::mkfifo((save_ / "Hero.map").c_str(), 0600), 0);
    cycle_.RecordSaveFolder();
    for (const char* name : {"Hero.d2s", "H?ro.d2s", "H*ro.map"}) {
        Touch(save_ / name);
    }
    CheckAMinuteLater();
    EXPECT_EQ(Entries(history_), (Names{"H*ro-06-12-2026-15-05-09", "H?ro-06-12-2026-15-05-09",
                                        "Hero-06-12-2026-15-05-09"}));
    EXPECT_EQ(Entries(history_ / "H?ro-06-12-2026-15-05-09"), (Names{"H?ro.d2s", "H?ro.key"}));
    EXPECT_EQ(Entries(history_ / "H*ro-06-12-2026-15-05-09"), (Names{"H*ro.d2s", "H*ro.map"}));
    EXPECT_EQ(Entries(history_ / "Hero-06-12-2026-15-05-09"), Names{"Hero.d2s"});
    EXPECT_EQ(LogText(), "");
}
#endif

}  // namespace
}  // namespace quorrel
