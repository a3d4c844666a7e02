#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/module1.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/file_copier.h"
#include "platform/file_lister.h"
#include "platform/timer.h"

namespace quorrel {

// What the snapshot cycle needs from outside.
struct SnapshotServices {
    platform::Clock& clock;
    platform::Beeper& beeper;
    platform::FileCopier& copier;
    std::string logFile = "Log.txt";  // relative: the log goes to the current folder
};

// The heart of the program. While a run is active the snapshot timer ticks; every
// TicksPerCheck-th tick lists the save folder again, and every character with a file whose
// stamp changed since the last check gets its files copied into a new folder
// SnapshotDir/<character>-dd-mm-yyyy-hh-mm-ss. A check that took a snapshot beeps once.
class SnapshotCycle {
public:
    SnapshotCycle(Module1& state, platform::Timer& Timer1, SnapshotServices services);

    // Turns RefreshTime (seconds) into the timer's interval and the ticks per check; periods
    // beyond the timer's 65535 ms are reached by counting 66 shorter ticks. Throws
    // std::invalid_argument when RefreshTime is not a number, and std::out_of_range when the
    // interval it gives lies outside 0 to 65535. Leaves the enabled state and TickCount alone.
    void SetCheckPeriod();

    // Appends one record per file of SaveGameDir, in listing order. Throws when the folder
    // cannot be listed or a stamp cannot be read; the records appended until then stay.
    void ListSaveFolder(std::vector<Filenames>& files);

    // The tick handler. Never throws: every failure appends an entry to the log.
    void Timer1_Timer() noexcept;

    std::int16_t TickCount() const { return TickCount_; }
    std::int16_t TicksPerCheck() const { return TicksPerCheck_; }

private:
    void Check();
    void TakeSnapshot(const std::string& baseName);
    void LogFailure() noexcept;

    Module1& state_;
    platform::Timer& Timer1_;
    SnapshotServices services_;
    platform::FileLister FileList_;
    std::int16_t TickCount_ = 0;
    std::int16_t TicksPerCheck_ = 0;
};

}  // namespace quorrel
