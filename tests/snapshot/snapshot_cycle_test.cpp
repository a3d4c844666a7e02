// Every save is seen, none is kept torn or half-written, and a snapshot holds its own files only.
#include "snapshot/snapshot_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "snapshot/error_log.h"
#endif

#include "platform/path_text.h"
#include "snapshot/check_period.h"
#include "support/another_copy.h"
#include "support/file_times.h"
#include "support/listed_names.h"
#include "support/save_bytes.h"
#include "support/snapshot_scene.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Names = std::vector<std::string>;

// Hero (d2s, key, map) and Mage (d2s, key) as first seen, Hero.key saved 100 ms into a second.
class SnapshotCycleTest : public ::testing::Test, protected SnapshotScene {
protected:
    SnapshotCycleTest()
    {
        for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "Mage.d2s", "Mage.key"}) {
            WriteFile(save / name, std::string(name) + " as first seen");
        }
        Save("Hero.key", "key 1", 100);
        Start();
    }

    // The game writes a file, which gets a last-modified time `milliseconds` into one second.
    void Save(const std::string& name, const std::string& content, int milliseconds)
    {
        WriteFile(save / name, content);
        SetModified(save / name, kSomeSecond, milliseconds * 1000000);
    }
};

TEST_F(SnapshotCycleTest, EveryChangedCharacterIsCopiedIntoADatedFolderOfItsOwn)
{
    settings.SnapshotDir += platform::kPathSeparator;  // joined once, whatever it ends with
    // New files are taken in as first seen, and a vanished one is dropped: no change.
    WriteFile(save / "Hero.v2.d2s", "a file of Hero.v2.d2s");
    WriteFile(save / "Hero.v2.key", "a file of Hero.v2.key");
    fs::remove(save / "Mage.key");
    CheckLater();
    EXPECT_TRUE(Entries(history).empty());

    Save("Hero.key", "key 2", 400);  // within the second of the last save
    Touch(save / "Hero.v2.d2s");
    CheckLater();
    // A character is the name up to its last dot.
    EXPECT_EQ(Entries(history), (Names{"Hero-06-12-2026-15-06-09", "Hero.v2-06-12-2026-15-06-09"}));
    EXPECT_EQ(Entries(history / "Hero-06-12-2026-15-06-09"),
              (Names{"Hero.d2s", "Hero.key", "Hero.map"}));
    EXPECT_EQ(beeper.beeps, 1);

    // Saved again at the same instant, another size: the next check gives it a folder of its own.
    Save("Hero.key", "key 2, longer", 400);
    cycle.Timer1_Timer();
    EXPECT_EQ(ReadFile(history / "Hero-06-12-2026-15-06-09-2" / "Hero.key"), "key 2, longer");
    cycle.Timer1_Timer();
    EXPECT_EQ(beeper.beeps, 2) << "the next check finds no change";
    EXPECT_EQ(outcomes, (std::vector<bool>{true, true, true, true})) << LogText();
}

TEST_F(SnapshotCycleTest, FailuresAreLoggedAndTheNextCheckTriesAgain)
{
    files.before = [](std::string_view operation, const fs::path& file) {
        if (operation == "Copy" && file.extension() == ".key") {
            throw fs::filesystem_error("Cannot read", file,
                                       std::make_error_code(std::errc::io_error));
        }
    };
    Touch(save / "Hero.d2s");
    Touch(save / "Mage.d2s");
    CheckLater();
    EXPECT_EQ(Entries(history), Names{}) << "no partial snapshot, nothing left over";
    const std::string entry = "Date: " + platform::ShortDateText(clock.moment) +
                              "\r\nTime: " + platform::TimeText(clock.moment) +
                              "\r\nError Could not save \r\n------------------------\r\n";
    EXPECT_EQ(LogText(), entry + entry);
    EXPECT_EQ(beeper.beeps, 0);

    files.before = nullptr;
    CheckLater();
    EXPECT_EQ(Entries(history), (Names{"Hero-06-12-2026-15-06-09", "Mage-06-12-2026-15-06-09"}));
    EXPECT_EQ(outcomes, (std::vector<bool>{false, true}));

    // A save folder that cannot be listed leaves the files as last seen.
    const std::vector<Filenames> known = cycle.KnownFiles();
    fs::rename(save, root.path() / "moved");
    CheckLater();
    EXPECT_EQ(cycle.KnownFiles(), known);
}

// A refresh time is read without a timer too (Apply checks one before it saves), in the user's
// locale: whichever name the system gives one that writes 3,5 (./dev.sh test makes it on Linux).
TEST_F(SnapshotCycleTest, OnlyARefreshTimeTheTimerCanTakeGivesAPeriodAndLongOnesTickBy66)
{
    using Period = std::tuple<const char*, int, int>;  // a refresh time, interval, ticks
    for (const auto& [refreshTime, interval, ticksPerCheck] :
         {Period{"65", 65000, 1}, Period{"66", 1007, 66}, Period{"4294", 65522, 66},
          Period{"3.5", 4000, 1}, Period{".5", 0, 1}}) {
        const CheckPeriod period = CheckPeriodOf(refreshTime);
        EXPECT_EQ(period.interval, interval) << refreshTime;
        EXPECT_EQ(period.ticksPerCheck, ticksPerCheck) << refreshTime;
    }
    // Negative, and far beyond any integer.
    for (const char* refreshTime : {"-5", "1e300"}) {
        EXPECT_THROW(CheckPeriodOf(refreshTime), std::out_of_range) << refreshTime;
    }
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const auto german = {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "de-DE"};
    ASSERT_TRUE(std::any_of(german.begin(), german.end(), [](const char* name) {
        return std::setlocale(LC_NUMERIC, name) != nullptr;
    })) << "no German locale here";
    const int germanInterval = CheckPeriodOf("3,5").interval;
    EXPECT_THROW(CheckPeriodOf("3.5"), std::invalid_argument);
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_EQ(germanInterval, 4000);

    settings.RefreshTime = "100";
    cycle.SetCheckPeriod();
    Touch(save / "Hero.d2s");
    for (int tick = 1; tick < 66; ++tick) {
        cycle.Timer1_Timer();
    }
    EXPECT_TRUE(outcomes.empty()) << "only a tick that checks tells how it went";
    cycle.Timer1_Timer();
    EXPECT_EQ(Entries(history), Names{"Hero-06-12-2026-15-04-09"});
    EXPECT_EQ(outcomes, std::vector<bool>{true});
    EXPECT_EQ(cycle.TickCount(), 0);
}

TEST_F(SnapshotCycleTest, TwoCopiesKeepOutOfEachOthersWayAndTheSaveFolderIsTheGames)
{
    const Names gameFiles = Entries(save);
    const fs::file_time_type folderTime = fs::last_write_time(save);
    // In the shared history, a killed copy's leftover: only the sweep at start-up takes it.
    const fs::path killed = root.folder("history/.quorrel-new-Mage-01-12-2026-10-00-00");
    Touch(save / "Hero.d2s");
    {
        const AnotherCopy restoring(save.string(), platform::FolderLock::Kind::Exclusive);
        ASSERT_TRUE(restoring.holds());
        CheckLater();
        EXPECT_EQ(Entries(history).size(), 1u) << "no snapshot of a character being restored";
    }
    CheckLater();
    EXPECT_TRUE(fs::exists(history / "Hero-06-12-2026-15-06-09")) << "taken after the restore";
    EXPECT_TRUE(fs::exists(killed)) << "left for the next start-up";
    EXPECT_EQ(Entries(save), gameFiles) << "nothing of ours in the game's folder";
    EXPECT_EQ(fs::last_write_time(save), folderTime);
    EXPECT_EQ(outcomes, (std::vector<bool>{true, true})) << "waiting is no failure";
}

TEST_F(SnapshotCycleTest, NoSaveIsKeptTornOrHalfWritten)
{
    // The game saves again while the check copies, within the second that the listing saw: it
    // writes half of Hero.d2s just before the copy reads it, and the rest before the next copy.
    const std::string whole = SaveBytes(8192, 96, 2);
    Save("Hero.d2s", SaveBytes(8192, 96, 1), 200);
    files.before = [&](std::string_view operation, const fs::path& file) {
        if (operation == "Copy" && file.filename() == "Hero.d2s") {
            Save("Hero.d2s", whole.substr(0, 4096), 300);
        } else if (operation == "Copy" && file.filename() == "Hero.key") {
            Save("Hero.d2s", whole, 400);
        }
    };
    CheckLater();
    files.before = nullptr;
    Save("Hero.d2s", whole.substr(0, 4096), 500);  // caught half-written
    CheckLater();
    EXPECT_TRUE(Entries(history).empty()) << "neither a torn nor a half-written save is taken";
    Save("Hero.d2s", whole, 700);
    CheckLater();
    EXPECT_EQ(ReadFile(history / "Hero-06-12-2026-15-07-09" / "Hero.d2s"), whole);

    // A modded game whose saves never add up: taken once it is unchanged since the last check.
    std::string modded = SaveBytes(8192, 96, 7);
    modded[500] ^= 1;
    Save("Hero.d2s", modded, 800);
    CheckLater();
    EXPECT_EQ(Entries(history).size(), 1u) << "it may still be being written";
    CheckLater();
    EXPECT_EQ(ReadFile(history / "Hero-06-12-2026-15-09-09" / "Hero.d2s"), modded);
    EXPECT_EQ(LogText(), "") << "nothing failed: it was only too early";
}

#ifndef _WIN32
// Names that Windows forbids, and links and FIFOs, exist on Linux and macOS.
TEST_F(SnapshotCycleTest, ASnapshotHoldsOnlyItsOwnCharactersPlainFiles)
{
    WriteFile(save / "H*ro.d2s", SaveBytes(64));  // its name is no pattern
    WriteFile(root.path() / "secret", "a secret outside the save folder");
    fs::remove(save / "Hero.key");
    fs::create_symlink(root.path() / "secret", save / "Hero.key");
    fs::remove(save / "Hero.map");  // opening a FIFO would wait for a writer that never comes
    ASSERT_EQ(::mkfifo((save / "Hero.map").c_str(), 0600), 0);
    cycle.RecordSaveFolder();
    Touch(save / "Hero.d2s");
    Touch(save / "H*ro.d2s");
    CheckLater();
    EXPECT_EQ(Entries(history), (Names{"H*ro-06-12-2026-15-05-09", "Hero-06-12-2026-15-05-09"}));
    EXPECT_EQ(Entries(history / "H*ro-06-12-2026-15-05-09"), Names{"H*ro.d2s"});
    EXPECT_EQ(Entries(history / "Hero-06-12-2026-15-05-09"), Names{"Hero.d2s"});
    EXPECT_EQ(LogText(), "");
}

// A disk that fills up part-way through an entry, made with the limit on file sizes.
TEST_F(SnapshotCycleTest, AnErrorEntryIsWrittenWholeOrNotAtAll)
{
    AppendErrorEntry(log.string(), clock.moment);
    const std::string entry = LogText();
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{entry.size() + 30, before.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    AppendErrorEntry(log.string(), clock.moment);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    AppendErrorEntry(log.string(), clock.moment);
    EXPECT_EQ(LogText(), entry + entry) << "no entry cut part-way";
}
#endif

}  // namespace
}  // namespace quorrel
