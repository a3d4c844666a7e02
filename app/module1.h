#pragma once

#include <string>

#include "settings/settings.h"
#include "snapshot/snapshot_cycle.h"

namespace quorrel {

// The state that the windows share for the program's whole lifetime: the settings applied last,
// and the snapshot engine, which keeps the save folder as it last saw it.
class Module1 {
public:
    Module1(platform::Timer& Timer1, SnapshotServices services);

    // Makes edited settings the ones in use. Saving them to the settings file is the only step
    // that can fail, and it comes first: when it throws (std::system_error), or the refresh
    // time cannot arm the timer (see CheckPeriodOf), the file, the settings in use and the timer
    // are all left as they were. A new save folder is recorded as first seen, so that the next
    // check never compares the stamps of two folders.
    void Apply(const Settings& edited, const std::string& settingsFile);

    const Settings& settings() const { return settings_; }
    Settings& settings() { return settings_; }
    SnapshotCycle& engine() { return engine_; }

private:
    Settings settings_;
    SnapshotCycle engine_;
};

}  // namespace quorrel
