// The history's index is whole or ignored; thinning keeps what it promises, whole, under any kill.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "restore/last_alive_pin.h"
#include "snapshot/history_index.h"
#include "snapshot/take_snapshot.h"
#include "snapshot/thin_history.h"
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

// Snapshots of two characters at 07-12-2026 12:00:00, and whether thinning keeps each folder: a
// name marked "-" is thinned. TableIndex pins and marks some.
struct Row {
    std::string folder;
    bool kept;
};
std::vector<Row> History()
{
    std::vector<Row> rows;
    for (int hour = 2; hour <= 11; ++hour) {  // ten of the last 24 hours: the newest ten
        rows.push_back(
            {"Hero-07-12-2026-" + std::to_string(100 + hour).substr(1) + "-00-00", true});
    }
    for (const std::string name :
         {// 23:59:59 old: every one of the day kept; 24 hours old: the newest of its hour, by
          // its number. By the hour, one of them pinned.
          "Hero-06-12-2026-12-00-01", "Hero-06-12-2026-12-00-00-2", "-Hero-06-12-2026-12-00-00",
          "Hero-02-12-2026-08-45-00", "Hero-02-12-2026-08-05-00", "-Hero-02-12-2026-08-01-00",
          // Just under 7 days: still by the hour; 7 days: the newest of its day. A safety
          // snapshot of 17 days kept, one of 53 days not.
          "Hero-30-11-2026-12-00-01", "Hero-30-11-2026-11-59-59", "-Hero-30-11-2026-08-00-00",
          "Hero-20-11-2026-18-00-00", "Hero-20-11-2026-10-00-00", "Hero-15-10-2026-23-00-00",
          "-Hero-15-10-2026-00-30-00",
          // Just under 90 days: by the day; then by the week from a Monday (07-09), so a Sunday
          // is the week before. The last one before Hero died (02-06-2025) is kept. Not a
          // snapshot: never touched.
          "Hero-08-09-2026-12-00-01", "Hero-08-09-2026-11-00-00", "-Hero-07-09-2026-10-00-00",
          "Hero-06-09-2026-10-00-00", "Hero-04-06-2025-10-00-00", "Hero-02-06-2025-09-00-00",
          "notes"}) {
        rows.push_back({name.substr(name[0] == '-'), name[0] != '-'});
    }
    for (int day = 10; day <= 21; ++day) {  // twelve of another character: the two oldest go
        rows.push_back({"Zed-" + std::to_string(day) + "-03-2025-10-00-00", day >= 12});
    }
    return rows;
}

HistoryIndex TableIndex()
{
    HistoryIndex index;
    index.thinning = true;
    index.pinned = {"Hero-02-12-2026-08-05-00"};
    index.safety = {"Hero-20-11-2026-10-00-00", "Hero-15-10-2026-00-30-00"};
    index.lastAlive = {{"Hero-02-06-2025-09-00-00", "Hero"}};
    return index;
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
    for (const char* damaged :
         {"", "Quorrel history 1\n", "Quorrel history 1\nthinning maybe\nend\n",
          "Quorrel history 1\ndied Hero\nend\n", "Quorrel history 1\nend\nend"}) {
        EXPECT_FALSE(DecodeHistoryIndex(damaged)) << damaged;
    }
    EXPECT_EQ(Read(), HistoryIndex());  // missing: logs nothing, as the count below shows
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
        const fs::path history = root.folder("history"), bin = root.folder("bin");
        for (const Row& row : rows) {
            WriteFile(root.folder("history/" + row.folder) / "Hero.d2s", row.folder);
        }
        WatchedFiles files;
        FakeClock clock;
        ThinningServices services{files, nullptr, clock, (root.path() / "Log.txt").string()};
        ASSERT_EQ(ThinHistory(history.string(), "", services), 0U);  // off without the index
        WriteFile(history / kHistoryIndexName, EncodeHistoryIndex(TableIndex()));
        clock.moment = {2020, 1, 1, 0, 0, 0};  // a clock set back: every snapshot is recent
        ASSERT_EQ(ThinHistory(history.string(), "", services), 0U);
        clock.moment = kNow;
        if (withBin) {
            services.moveToTrash = [&](const std::string& folder) {
                files.Move(folder, bin / fs::path(folder).filename());
                return true;
            };
        }
        files.before = [&](std::string_view, const fs::path&) {
            if (files.steps == killAt) {
                throw Kill{};
            }
        };
        bool finished = false;
        try {
            EXPECT_EQ(ThinHistory(history.string(), "", services), 7U);
            finished = true;
        } catch (const Kill&) {
        }
        RemoveUnfinishedSnapshots(history.string());
        files.before = nullptr;
        ThinHistory(history.string(), "", services);
        std::vector<std::string> expected{kHistoryIndexName};
        for (const Row& row : rows) {
            if (row.kept || withBin) {
                ASSERT_EQ(ReadFile((row.kept ? history : bin) / row.folder / "Hero.d2s"),
                          row.folder)
                    << killAt;
            }
            if (row.kept) {
                expected.push_back(row.folder);
            }
        }
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(Entries(history), expected) << killAt;
        if (finished) {
            const std::string log = ReadFile(root.path() / "Log.txt");
            EXPECT_NE(log.find("Thinned out 5 older snapshots of Hero"), std::string::npos);
            break;
        }
    }
}

// From real headers: the snapshot before the one showing Hero dead in hardcore is pinned when it
// shows Hero alive, and only then; another character's snapshot between them changes nothing.
TEST_F(HistoryTest, TheLastSnapshotOfAHardcoreHeroAliveIsPinned)
{
    constexpr std::uint8_t kAlive = 0x24, kDead = 0x2C;
    const auto save = [&](const std::string& folder, std::uint8_t status) {
        WriteFile(root_.folder("history/" + folder) / "Hero.d2s",
                  SaveHeader{.status = status}.bytes());
    };
    for (const bool alive : {true, false}) {
        fs::remove_all(history_);
        save("Hero-01-12-2026-10-00-00", kDead);  // an earlier one is not the last before
        save("Hero-02-12-2026-10-00-00", alive ? kAlive : kDead);
        save("Mage-02-12-2026-11-00-00", kAlive);
        save("Hero-03-12-2026-10-00-00", kDead);
        save("Hero-04-12-2026-10-00-00", kAlive);  // a later one is no earlier one
        HistoryIndex expected;
        if (alive) {
            expected.pinned = {"Hero-02-12-2026-10-00-00"};
            expected.lastAlive = {{"Hero-02-12-2026-10-00-00", "Hero"}};
        }
        PinLastSnapshotAlive(history_.string(), (history_ / "Hero-03-12-2026-10-00-00").string(),
                             platform::SystemFiles(), log_);
        EXPECT_EQ(Read(), expected) << alive;
    }
}

}  // namespace
}  // namespace quorrel
