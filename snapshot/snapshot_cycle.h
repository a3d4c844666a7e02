#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/file_lister.h"
#include "platform/file_ops.h"
#include "platform/timer.h"
#include "settings/settings.h"
#include "snapshot/filenames.h"
#include "snapshot/unfinished_saves.h"

namespace quorrel {

// What the snapshot cycle needs from outside.
struct SnapshotServices {
    platform::Clock& clock;
    platform::Beeper& beeper;
    platform::FileOps& files;
    std::string logFile;  // see kLogFile
    // Told at the end of every check whether it went without an error entry. Optional.
    std::function<void(bool succeeded)> checkFinished = {};
    // Told of each snapshot as soon as it is in the history, with the character and the folder.
    // Optional; it must not keep the check waiting.
    std::function<void(const std::string& character, const std::string& folder)> snapshotTaken = {};
};

// The heart of the program. While a run is active the snapshot timer ticks; every
// TicksPerCheck-th tick lists the save folder again, and every character with a file whose
// stamp changed since the last check gets its files copied into a new folder
// SnapshotDir/<character>-dd-mm-yyyy-hh-mm-ss. A check that took a snapshot beeps once.
//
// A snapshot is whole or not there: a character whose save is caught half-written, or whose
// files change while they are copied, keeps its old stamps and is taken at a later check. So is
// every changed character while another copy of Quorrel restores into the save folder: a check
// holds the save folder's lock (see platform::FolderLock) shared while it takes snapshots, a
// restore holds it alone.
//
// The cycle reads the settings it is given at every check, so it always follows the ones
// applied last.
class SnapshotCycle {
public:
    SnapshotCycle(const Settings& settings, platform::Timer& Timer1, SnapshotServices services);

    // Arms the timer for RefreshTime (see CheckPeriodOf), which it throws for; the timer is then
    // left as it was. Leaves the enabled state and TickCount alone.
    void SetCheckPeriod();

    // Appends one record per file of SaveGameDir, in listing order. Throws when the folder
    // cannot be listed or a stamp cannot be read; the records appended until then stay.
    void ListSaveFolder(std::vector<Filenames>& files);

    // Records the save folder as first seen: KnownFiles is emptied and listed afresh. Throws as
    // ListSaveFolder does, keeping what was listed until then.
    void RecordSaveFolder();

    // The tick handler. Never throws: every failure appends an entry to the log. A tick that
    // checks tells checkFinished how the check went.
    void Timer1_Timer() noexcept;

    // Takes these files as seen, with their stamps: a restore put them in the save folder from
    // a snapshot already in the history, so the next check takes none of them again.
    void TakeAsKnown(const std::vector<Filenames>& files);

    // The save folder as last seen.
    const std::vector<Filenames>& KnownFiles() const { return KnownFiles_; }
    std::int16_t TickCount() const { return TickCount_; }
    std::int16_t TicksPerCheck() const { return TicksPerCheck_; }

private:
    void Check();
    void LogFailure() noexcept;

    const Settings& settings_;
    platform::Timer& Timer1_;
    SnapshotServices services_;
    platform::FileLister FileList_;
    std::vector<Filenames> KnownFiles_;
    std::vector<Filenames> CurrentFiles_;  // the save folder as the running check lists it
    UnfinishedSaves unfinished_;
    std::int16_t TickCount_ = 0;
    std::int16_t TicksPerCheck_ = 0;
    unsigned errorEntries_ = 0;  // written since the start, to tell a failed check
};

}  // namespace quorrel
