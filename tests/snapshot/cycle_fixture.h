#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"
#include "support/faulty_files.h"
#include "support/save_bytes.h"
#include "support/temp_folder.h"

namespace quorrel::test {

// The names in a folder, sorted.
inline std::vector<std::string> Entries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A snapshot cycle over a save folder with two characters, Hero (d2s, key, map) and Mage (d2s,
// key), checking at every tick, with the save folder already recorded as first seen. Its file
// operations take a hook (see FaultyFiles); its log goes to Log.txt in the test's folder.
class CycleTest : public ::testing::Test {
protected:
    CycleTest()
    {
        settings_.SaveGameDir = save_.string();
        settings_.SnapshotDir = history_.string();
        settings_.RefreshTime = "60";
        for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "Mage.d2s", "Mage.key"}) {
            WriteFile(save_ / name, std::string(name) + " as first seen");
        }
        cycle_.SetCheckPeriod();
        cycle_.RecordSaveFolder();
    }

    std::string LogText() const { return std::filesystem::exists(log_) ? ReadFile(log_) : ""; }

    std::string ErrorEntry() const
    {
        return "Date: " + platform::ShortDateText(clock_.moment) + "\r\n" +
               "Time: " + platform::TimeText(clock_.moment) + "\r\n" + "Error Could not save \r\n" +
               "------------------------\r\n";
    }

    // The folder that a snapshot of the character taken at the clock's time gets.
    std::filesystem::path SnapshotOf(const std::string& character) const
    {
        char time[32];
        std::snprintf(time, sizeof time, "-%02d-%02d-%04d-%02d-%02d-%02d", clock_.moment.day,
                      clock_.moment.month, clock_.moment.year, clock_.moment.hour,
                      clock_.moment.minute, clock_.moment.second);
        return history_ / (character + time);
    }

    // The next check, one minute later by the clock.
    void CheckAMinuteLater()
    {
        clock_.moment.minute += 1;
        cycle_.Timer1_Timer();
    }

    TempFolder root_;
    std::filesystem::path save_ = root_.folder("save");
    std::filesystem::path history_ = root_.folder("history");
    std::filesystem::path log_ = root_.path() / "Log.txt";
    Settings settings_;
    ManualTimer timer_;
    FakeClock clock_;
    CountingBeeper beeper_;
    FaultyFiles files_;
    SnapshotCycle cycle_{settings_, timer_, {clock_, beeper_, files_, log_.string()}};
};

}  // namespace quorrel::test
