#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "support/watched_files.h"

namespace quorrel::test {

// The snapshot cycle in a fresh folder (save/, history/, Log.txt): a check at every tick, a clock
// at 06-12-2026 15:04:09, the file operations watched, how each check went in `outcomes`.
struct SnapshotScene {
    TempFolder root;
    std::filesystem::path save = root.folder("save");
    std::filesystem::path history = root.folder("history");
    std::filesystem::path log = root.path() / "Log.txt";
    Settings settings{save.string(), history.string(), "1"};
    ManualTimer timer;
    FakeClock clock;
    CountingBeeper beeper;
    WatchedFiles files;
    std::vector<bool> outcomes;
    SnapshotCycle cycle{settings, timer, {clock, beeper, files, log.string(), [this](bool ok) {
                                              outcomes.push_back(ok);
                                          }}};

    void Start()
    {
        cycle.SetCheckPeriod();
        cycle.RecordSaveFolder();
    }

    // Moves the clock on by `seconds`, within the day.
    void Later(int seconds)
    {
        platform::LocalDateTime& now = clock.moment;
        const int total = now.second + 60 * now.minute + seconds;
        now.second = total % 60;
        now.minute = total / 60 % 60;
        now.hour += total / 3600;
    }

    void CheckLater(int seconds = 60)
    {
        Later(seconds);
        cycle.Timer1_Timer();
    }

    std::string LogText() const { return std::filesystem::exists(log) ? ReadFile(log) : ""; }
};

}  // namespace quorrel::test
