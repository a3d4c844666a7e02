#include "snapshot/snapshot_cycle.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/file_system.h"
#include "platform/path_text.h"
#include "snapshot/check_period.h"
#include "snapshot/error_log.h"
#include "snapshot/snapshot_folder.h"
#include "snapshot/take_snapshot.h"

namespace quorrel {

SnapshotCycle::SnapshotCycle(const Settings& settings, platform::Timer& Timer1,
                             SnapshotServices services)
    : settings_(settings), Timer1_(Timer1), services_(std::move(services))
{
}

void SnapshotCycle::SetCheckPeriod()
{
    const CheckPeriod period = CheckPeriodOf(settings_.RefreshTime);
    Timer1_.setInterval(period.interval);
    TicksPerCheck_ = period.ticksPerCheck;
}

void SnapshotCycle::ListSaveFolder(std::vector<Filenames>& files)
{
    FileList_.setPath(settings_.SaveGameDir);
    files.reserve(files.size() + FileList_.count());
    for (const std::string& name : FileList_.names()) {
        files.push_back(
            {name, platform::LastModifiedText(platform::JoinPath(settings_.SaveGameDir, name))});
    }
}

void SnapshotCycle::RecordSaveFolder()
{
    KnownFiles_.clear();
    ListSaveFolder(KnownFiles_);
}

void SnapshotCycle::Timer1_Timer() noexcept
{
    ++TickCount_;
    if (TickCount_ < TicksPerCheck_) {
        return;
    }
    TickCount_ = 0;
    const unsigned entriesBefore = errorEntries_;
    try {
        Check();
    } catch (...) {
        LogFailure();
    }
    if (services_.checkFinished) {
        try {
            services_.checkFinished(errorEntries_ == entriesBefore);
        } catch (...) {
            // The log has the failure already; only the notice of it is lost.
        }
    }
}

void SnapshotCycle::Check()
{
    CurrentFiles_.clear();
    ListSaveFolder(CurrentFiles_);

    // Files are matched by name: a new file is taken in as first seen, a vanished one dropped.
    std::unordered_map<std::string_view, std::string_view> knownStamps;
    knownStamps.reserve(KnownFiles_.size());
    for (const Filenames& record : KnownFiles_) {
        knownStamps.emplace(record.filename, record.Attributes);
    }

    // The characters with a changed file, in listing order, each with all of its files.
    std::vector<std::string> changed;
    std::unordered_map<std::string, std::vector<Filenames>> filesOf;
    for (const Filenames& current : CurrentFiles_) {
        const auto seen = knownStamps.find(current.filename);
        if (seen != knownStamps.end() && seen->second != current.Attributes) {
            std::string character = BaseName(current.filename);
            if (filesOf.try_emplace(character).second) {
                changed.push_back(std::move(character));
            }
        }
    }
    if (!changed.empty()) {
        for (const Filenames& current : CurrentFiles_) {
            const auto files = filesOf.find(BaseName(current.filename));
            if (files != filesOf.end()) {
                files->second.push_back(current);
            }
        }
    }

    bool tookSnapshot = false;
    std::unordered_set<std::string> retry;
    for (const std::string& character : changed) {
        try {
            TakeSnapshot(settings_.SaveGameDir, filesOf[character], settings_.SnapshotDir,
                         character, services_.clock.now(), services_.files);
            tookSnapshot = true;
        } catch (const SourceChanged&) {
            retry.insert(character);  // saved again while copied: no failure, just too early
        } catch (...) {
            retry.insert(character);
            LogFailure();
        }
    }

    // A character whose snapshot was not taken keeps its old stamps, so the next check tries
    // again.
    std::unordered_map<std::string, std::string> keptStamps;
    if (!retry.empty()) {
        for (const Filenames& record : KnownFiles_) {
            if (retry.count(BaseName(record.filename)) > 0) {
                keptStamps.emplace(record.filename, record.Attributes);
            }
        }
    }
    KnownFiles_ = CurrentFiles_;
    for (Filenames& record : KnownFiles_) {
        const auto kept = keptStamps.find(record.filename);
        if (kept != keptStamps.end()) {
            record.Attributes = kept->second;
        }
    }

    if (tookSnapshot) {
        services_.beeper.beep();
    }
}

void SnapshotCycle::LogFailure() noexcept
{
    ++errorEntries_;
    try {
        AppendErrorEntry(services_.logFile, services_.clock.now());
    } catch (...) {
        // The clock failing as well leaves nothing to report with.
    }
}

}  // namespace quorrel
