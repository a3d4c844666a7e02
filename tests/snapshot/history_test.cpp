// The history's index is whole or ignored, and thinning keeps exactly what it promises: every
// snapshot it keeps stays whole, whenever a kill stops it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "restore/last_alive_pin.h"
#include "snapshot/history_index.h"
#include "snapshot/take_snapshot.h"
#include "snapshot/thin_history.h"
#include "snapshot/thinning_rule.h"
#include "support/another_copy.h"
#include "support/fakes.h"
#include "support/listed_names.h"
#include "support/save_header.h"
#include "support/temp_folder.h"
#include "support/watched_files.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;

const platform::LocalDateTime kNow{2026, 12, 7, 12, 0, 0};  // a Monday

// Two years of three characters, at 07-12-2026 12:00:00: each folder and whether thinning keeps
// it. The index pins, marks safety snapshots and the last one before a death as below.
struct Row {
    std::string folder;
    bool kept;
};
std::vector<Row> History()
{
    std::vector<Row> rows;
    for (int hour = 2; hour <= 11; ++hour) {  // ten of the last 24 hours: the newest ten
        rows.push_back({"Hero-07-12-2026-" + std::string(hour < 10 ? "0" : "") +
                            std::to_string(hour) + "-00-00",
                        true});
    }
    std::vector<Row> table{
        {"Hero-06-12-2026-12-00-01", true},    // 23:59:59 old: every one of the day is kept
        {"Hero-06-12-2026-12-00-00-2", true},  // 24 hours old: the newest of its hour...
        {"Hero-06-12-2026-12-00-00", false},   // ...by its number
        {"Hero-02-12-2026-08-45-00", true},
        {"Hero-02-12-2026-08-05-00", true},  // pinned
        {"Hero-02-12-2026-08-01-00", false},
        {"Hero-30-11-2026-12-00-01", true},  // just under 7 days: still by the hour
        {"Hero-30-11-2026-11-59-59", true},  // 7 days: the newest of its day
        {"Hero-30-11-2026-08-00-00", false},
        {"Hero-20-11-2026-18-00-00", true},
        {"Hero-20-11-2026-10-00-00", true},  // a safety snapshot of 17 days
        {"Hero-15-10-2026-23-00-00", true},
        {"Hero-15-10-2026-01-00-00", false},
        {"Hero-15-10-2026-00-30-00", false},  // a safety snapshot of 53 days
        {"Hero-08-09-2026-12-00-01", true},   // just under 90 days: by the day
        {"Hero-08-09-2026-11-00-00", true},   // by the week (Monday 07-09 on)
        {"Hero-07-09-2026-10-00-00", false},
        {"Hero-06-09-2026-10-00-00", true},  // a Sunday: the week before
        {"Hero-04-06-2025-10-00-00", true},
        {"Hero-02-06-2025-09-00-00", true},  // the last one before Hero died
        {"Hero-01-06-2025-10-00-00", true},
        {"Hero-10-12-2024-10-00-00", true},
        {"Hero-09-12-2024-10-00-00", false},
        {"Hero-08-12-2024-10-00-00", true},
        {"Hero-08-12-2024-09-00-00", false},
        {"Hero-08-12-2024-08-00-00", false},  // a safety snapshot of two years
        // A name with "-" and digits of its own, with fewer than eleven snapshots: all kept.
        {"Mage-2-03-03-2025-10-00-00", true},
        {"Mage-2-04-03-2025-10-00-00-3", true},
        {"hero-05-03-2025-10-00-00", true},  // another character: letter case counts
        // No snapshots, or not the player's: never touched.
        {"Hero-01-01-2025-10-00-00-1", true},
        {"Hero-01-01-2025-10-00-00-02", true},
        {"notes", true},
    };
    rows.insert(rows.end(), table.begin(), table.end());
    for (int day = 10; day <= 21; ++day) {  // twelve in one week: the two oldest go
        rows.push_back({"Zed-" + std::to_string(day) + "-03-2025-10-00-00", day >= 12});
    }
    return rows;
}

HistoryIndex TableIndex()
{
    HistoryIndex index;
    index.thinning = true;
    index.pinned = {"Hero-02-12-2026-08-05-00"};
    index.safety = {"Hero-20-11-2026-10-00-00", "Hero-15-10-2026-00-30-00",
                    "Hero-08-12-2024-08-00-00"};
    index.lastAlive = {{"Hero-02-06-2025-09-00-00", "Hero"}};
    return index;
}

TEST(ThinningRule, KeepsExactlyWhatItPromises)
{
    std::vector<std::string> folders, thinned;
    for (const Row& row : History()) {
        folders.push_back(row.folder);
        if (!row.kept) {
            thinned.push_back(row.folder);
        }
    }
    folders.push_back(".quorrel-new-Zed-01-01-2020-10-00-00");
    EXPECT_EQ(FoldersToThin(folders, TableIndex(), kNow), thinned);
    // A clock set back: every snapshot is recent.
    EXPECT_TRUE(FoldersToThin(folders, TableIndex(), {2020, 1, 1, 0, 0, 0}).empty());
}

class HistoryTest : public ::testing::Test {
protected:
    std::string Log() const { return ReadFile(root_.path() / "Log.txt"); }
    fs::path IndexFile() const { return history_ / kHistoryIndexName; }
    HistoryIndex Read() const { return ReadHistoryIndex(history_.string(), log_); }

    TempFolder root_;
    fs::path history_ = root_.folder("history");
    std::string log_ = (root_.path() / "Log.txt").string();
};

TEST_F(HistoryTest, AMissingOrDamagedIndexPinsNothingAndIsSaidOnce)
{
    EXPECT_EQ(DecodeHistoryIndex(EncodeHistoryIndex(TableIndex())), TableIndex());
    for (const char* damaged :
         {"", "Quorrel history 1\n", "Quorrel history 1\nthinning maybe\nend\n",
          "Quorrel history 1\ndied Hero\nend\n", "Quorrel history 1\nend\nend"}) {
        EXPECT_FALSE(DecodeHistoryIndex(damaged)) << damaged;
    }
    EXPECT_EQ(Read(), HistoryIndex());
    EXPECT_EQ(Log(), "");
    WriteFile(IndexFile(), "Quorrel history 1\npin Hero-06-12-2026-15-04-09\n");  // cut short
    EXPECT_EQ(Read(), HistoryIndex());
    EXPECT_EQ(Read(), HistoryIndex());
    const std::string log = Log();
    EXPECT_NE(log.find("cannot be read"), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
    WriteFile(IndexFile(), std::string(kLargestHistoryIndex + 1, 'x'));
    EXPECT_EQ(Read(), HistoryIndex());
#ifndef _WIN32
    fs::remove(IndexFile());
    ASSERT_EQ(::mkfifo(IndexFile().c_str(), 0600), 0);  // never waited on
    EXPECT_EQ(Read(), HistoryIndex());
#endif
}

TEST_F(HistoryTest, AChangeIsWrittenWholeUnderTheHistorysLock)
{
    WatchedFiles files;
    const auto pin = [&](const std::string& folder) {
        return ChangeHistoryIndex(history_.string(), log_, files, [&](HistoryIndex& index) {
            return index.pinned.insert(folder).second;
        });
    };
    ASSERT_TRUE(pin("Hero-06-12-2026-15-04-09"));
    const std::string next = IndexFile().string() + ".new";
    EXPECT_TRUE(InOrder(files.calls, {"Write " + next, "SyncFile " + next,
                                      "Rename " + next + " -> " + IndexFile().string(),
                                      "SyncFolder " + history_.string()}));
    files.before = [](std::string_view operation, const fs::path&) {
        if (operation == "Rename") {
            throw Kill{};
        }
    };
    EXPECT_THROW(pin("Mage-06-12-2026-15-04-09"), Kill);
    EXPECT_EQ(Read().pinned, std::set<std::string>{"Hero-06-12-2026-15-04-09"});
    files.before = nullptr;
    {
        const AnotherCopy other(history_.string(), platform::FolderLock::Kind::Exclusive);
        ASSERT_TRUE(other.holds());
        EXPECT_FALSE(pin("Mage-06-12-2026-15-04-09"));
    }
    EXPECT_TRUE(pin("Mage-06-12-2026-15-04-09"));  // read again: the first pin stays
    EXPECT_EQ(Read().pinned.size(), 2U);
}

// Killed at every step in turn, half of the runs with a recycle bin: each folder is whole in the
// history or in the bin, or hidden until the sweep at start-up takes it; the next run finishes.
TEST_F(HistoryTest, AThinningKilledAtAnyStepLeavesEveryFolderWhole)
{
    const std::vector<Row> rows = History();
    for (int killAt = 1;; ++killAt) {
        const bool withBin = killAt % 2 == 0;
        TempFolder root;
        const fs::path history = root.folder("history");
        const fs::path bin = root.folder("bin");
        for (const Row& row : rows) {
            fs::create_directory(history / row.folder);
            WriteFile(history / row.folder / "Hero.d2s", row.folder);
        }
        WatchedFiles files;
        files.before = [&](std::string_view, const fs::path&) {
            if (files.steps == killAt) {
                throw Kill{};
            }
        };
        FakeClock clock;
        clock.moment = kNow;
        ThinningServices services{files, nullptr, clock, (root.path() / "Log.txt").string()};
        ASSERT_EQ(ThinHistory(history.string(), "", services), 0U);  // off without the index
        WriteFile(history / kHistoryIndexName, EncodeHistoryIndex(TableIndex()));
        if (withBin) {
            services.moveToTrash = [&](const std::string& folder) {
                files.Move(folder, bin / fs::path(folder).filename());
                return true;
            };
        }
        bool finished = false;
        try {
            EXPECT_EQ(ThinHistory(history.string(), "", services), 11U);
            finished = true;
        } catch (const Kill&) {
        }
        RemoveUnfinishedSnapshots(history.string());
        files.before = nullptr;
        ThinHistory(history.string(), "", services);
        std::vector<std::string> expected{kHistoryIndexName};
        for (const Row& row : rows) {
            const fs::path place = (row.kept ? history : bin) / row.folder;
            if (row.kept || withBin) {
                ASSERT_EQ(ReadFile(place / "Hero.d2s"), row.folder) << killAt;
            }
            if (row.kept) {
                expected.push_back(row.folder);
            }
        }
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(Entries(history), expected) << killAt;
        if (finished) {
            const std::string log = ReadFile(root.path() / "Log.txt");
            EXPECT_NE(log.find("Thinned out 2 older snapshots of Zed"), std::string::npos);
            EXPECT_NE(log.find("Thinned out 9 older snapshots of Hero"), std::string::npos);
            break;
        }
    }
}

// From real headers: the snapshot before the one showing Hero dead in hardcore is pinned when it
// shows Hero alive, and only then; another character's snapshot between them changes nothing.
TEST_F(HistoryTest, TheLastSnapshotOfAHardcoreHeroAliveIsPinned)
{
    constexpr int kNone = -1;
    constexpr int kHardcore = 0x24, kDeadHardcore = 0x2C, kSoftcore = 0x20, kDiedSoftcore = 0x28;
    const auto save = [](const fs::path& folder, int status) {
        fs::create_directory(folder);
        SaveHeader header;
        header.status = static_cast<std::uint8_t>(status);
        WriteFile(folder / "Hero.d2s", header.bytes());
    };
    for (const auto& [before, after, pinned] :
         std::vector<std::tuple<int, int, bool>>{{kHardcore, kDeadHardcore, true},
                                                 {kSoftcore, kDiedSoftcore, false},
                                                 {kDeadHardcore, kDeadHardcore, false},
                                                 {kNone, kDeadHardcore, false}}) {
        TempFolder root;
        const fs::path history = root.folder("history");
        save(history / "Hero-01-12-2026-10-00-00", kDeadHardcore);  // no previous one
        if (before != kNone) {
            save(history / "Hero-02-12-2026-10-00-00", before);
        }
        save(history / "Mage-02-12-2026-11-00-00", kHardcore);
        save(history / "Hero-03-12-2026-10-00-00", after);
        save(history / "Hero-04-12-2026-10-00-00", kHardcore);  // a later one is no earlier one
        const std::string log = (root.path() / "Log.txt").string();
        const auto pin =
            PinLastSnapshotAlive(history.string(), (history / "Hero-03-12-2026-10-00-00").string(),
                                 platform::SystemFiles(), log);
        HistoryIndex expected;
        if (pinned) {
            expected.pinned = {"Hero-02-12-2026-10-00-00"};
            expected.lastAlive = {{"Hero-02-12-2026-10-00-00", "Hero"}};
        }
        EXPECT_EQ(pin.has_value(), pinned) << before << " " << after;
        EXPECT_EQ(ReadHistoryIndex(history.string(), log), expected) << before << " " << after;
    }
}

}  // namespace
}  // namespace quorrel
