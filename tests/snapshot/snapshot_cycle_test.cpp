#include "snapshot/snapshot_cycle.h"

#include <gtest/gtest.h>

#include <clocale>

#include "cycle_fixture.h"
#include "platform/path_text.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::Entries;
using test::ReadFile;
using test::Touch;
using test::WriteFile;

// The cycle's rules: the check period, and which files go into which snapshot folder.
class SnapshotCycleTest : public test::CycleTest {};

TEST_F(SnapshotCycleTest, CheckPeriodFollowsTheRefreshTime)
{
    struct Row {
        const char* refreshTime;
        int interval;
        int ticksPerCheck;
    };
    for (const Row& row :
         {Row{"60", 60000, 1}, Row{"65", 65000, 1}, Row{"66", 1007, 66}, Row{"100", 1526, 66},
          Row{"999", 15244, 66}, Row{"0", 0, 1}, Row{"2.5", 2000, 1}, Row{"3.5", 4000, 1},
          Row{".5", 0, 1}, Row{"6e1", 60000, 1}, Row{"4294", 65522, 66}}) {
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
    bool found = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "de-DE"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            found = true;
            break;
        }
    }
    if (!found) {
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

TEST_F(SnapshotCycleTest, ChangedCharacterIsCopiedIntoOneDatedFolder)
{
    // One separator is joined whatever the snapshot folder ends with.
    settings_.SnapshotDir = history_.string() + platform::kPathSeparator;
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        WriteFile(save_ / name, std::string("new save of ") + name);
        Touch(save_ / name);
    }
    cycle_.Timer1_Timer();

    const fs::path snapshot = history_ / "Hero-06-12-2026-15-04-09";
    EXPECT_EQ(Entries(history_), std::vector<std::string>{snapshot.filename().string()});
    EXPECT_EQ(Entries(snapshot), (std::vector<std::string>{"Hero.d2s", "Hero.key", "Hero.map"}));
    EXPECT_EQ(ReadFile(snapshot / "Hero.d2s"), "new save of Hero.d2s");
    EXPECT_EQ(fs::last_write_time(snapshot / "Hero.map"), fs::last_write_time(save_ / "Hero.map"));
    EXPECT_EQ(beeper_.beeps, 1);

    clock_.moment.second = 30;
    cycle_.Timer1_Timer();
    EXPECT_EQ(Entries(history_).size(), 1u) << "the next check finds no change";
    EXPECT_EQ(beeper_.beeps, 1);
    EXPECT_EQ(LogText(), "");
}

TEST_F(SnapshotCycleTest, NewFilesAreFirstSeenAndEveryChangedCharacterGetsASnapshot)
{
    // A character whose name holds a dot is the name up to the last one.
    WriteFile(save_ / "Hero.v2.d2s", "a save of Hero.v2");
    WriteFile(save_ / "Hero.v2.key", "a key of Hero.v2");
    // A new character appears and an old file goes while the run is on: no change, no failure.
    WriteFile(save_ / "Amazon.d2s", "a save of Amazon");
    fs::remove(save_ / "Mage.key");
    cycle_.Timer1_Timer();
    EXPECT_TRUE(Entries(history_).empty());
    EXPECT_EQ(LogText(), "");

    Touch(save_ / "Amazon.d2s");
    Touch(save_ / "Hero.map");
    Touch(save_ / "Hero.v2.d2s");
    cycle_.Timer1_Timer();
    EXPECT_EQ(Entries(history_),
              (std::vector<std::string>{"Amazon-06-12-2026-15-04-09", "Hero-06-12-2026-15-04-09",
                                        "Hero.v2-06-12-2026-15-04-09"}));
    EXPECT_EQ(Entries(history_ / "Amazon-06-12-2026-15-04-09"),
              std::vector<std::string>{"Amazon.d2s"});
    EXPECT_EQ(Entries(history_ / "Hero.v2-06-12-2026-15-04-09"),
              (std::vector<std::string>{"Hero.v2.d2s", "Hero.v2.key"}));
    EXPECT_EQ(Entries(history_ / "Hero-06-12-2026-15-04-09"),
              (std::vector<std::string>{"Hero.d2s", "Hero.key", "Hero.map"}));
    EXPECT_EQ(beeper_.beeps, 1);
}

TEST_F(SnapshotCycleTest, FailedCopyLeavesNoFolderLogsAndRetries)
{
    // Hero.d2s and Hero.key are copied when Hero.map cannot be.
    files_.before = [this](std::string_view operation, const fs::path& file) {
        if (operation == "Copy" && file == save_ / "Hero.map") {
            throw fs::filesystem_error("Cannot read", file,
                                       std::make_error_code(std::errc::io_error));
        }
    };
    Touch(save_ / "Hero.d2s");
    Touch(save_ / "Mage.d2s");
    cycle_.Timer1_Timer();

    EXPECT_EQ(Entries(history_), std::vector<std::string>{"Mage-06-12-2026-15-04-09"})
        << "the failed character leaves nothing; the other one is not held back";
    EXPECT_EQ(LogText(), ErrorEntry());
    EXPECT_EQ(beeper_.beeps, 1);

    files_.before = nullptr;
    clock_.moment.minute = 5;
    cycle_.Timer1_Timer();
    EXPECT_EQ(Entries(history_ / "Hero-06-12-2026-15-05-09"),
              (std::vector<std::string>{"Hero.d2s", "Hero.key", "Hero.map"}))
        << "the next check tries again";
    EXPECT_EQ(beeper_.beeps, 2);
}

TEST_F(SnapshotCycleTest, ExistingFolderAndMissingSaveFolderAreLoggedFailures)
{
    fs::create_directory(history_ / "Hero-06-12-2026-15-04-09");
    WriteFile(history_ / "Hero-06-12-2026-15-04-09" / "keep.txt", "not ours");
    Touch(save_ / "Hero.d2s");
    cycle_.Timer1_Timer();
    EXPECT_EQ(ReadFile(history_ / "Hero-06-12-2026-15-04-09" / "keep.txt"), "not ours");
    EXPECT_EQ(beeper_.beeps, 0);

    const std::vector<Filenames> known = cycle_.KnownFiles();
    fs::rename(save_, root_.path() / "moved");
    cycle_.Timer1_Timer();
    EXPECT_EQ(cycle_.KnownFiles().size(), known.size());
    EXPECT_EQ(cycle_.KnownFiles()[0].Attributes, known[0].Attributes);

    EXPECT_EQ(LogText(), ErrorEntry() + ErrorEntry());
}

TEST_F(SnapshotCycleTest, LongPeriodsCheckOnEverySixtySixthTick)
{
    settings_.RefreshTime = "100";
    cycle_.SetCheckPeriod();
    Touch(save_ / "Hero.d2s");
    for (int tick = 1; tick < 66; ++tick) {
        cycle_.Timer1_Timer();
    }
    EXPECT_TRUE(Entries(history_).empty());
    EXPECT_EQ(cycle_.TickCount(), 65);
    cycle_.Timer1_Timer();
    EXPECT_EQ(Entries(history_).size(), 1u);
    EXPECT_EQ(cycle_.TickCount(), 0);
}

}  // namespace
}  // namespace quorrel
