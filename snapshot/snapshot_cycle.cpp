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
    try {
        Check();
    } catch (...) {
        LogFailure();
    }
}

void SnapshotCycle::Check()
{
    CurrentFiles_.clear();
    ListSaveFolder(CurrentFiles_);

    // Files are matched by name: a new file is taken in as first seen, a vanished one dropped.
    std::unordered_map<std::string_view, const Filenames*> known;
    known.reserve(KnownFiles_.size());
    for (const Filenames& record : KnownFiles_) {
        known.emplace(record.filename, &record);
    }

    std::vector<std::string> changedCharacters;
    for (const Filenames& current : CurrentFiles_) {
        const auto seen = known.find(current.filename);
        if (seen != known.end() && seen->second->Attributes != current.Attributes) {
            std::string character = BaseName(current.filename);
            if (std::find(changedCharacters.begin(), changedCharacters.end(), character) ==
                changedCharacters.end()) {
                changedCharacters.push_back(std::move(character));
            }
        }
    }

    bool tookSnapshot = false;
    std::unordered_set<std::string> failedCharacters;
    for (const std::string& character : changedCharacters) {
        try {
            TakeSnapshot(character);
            tookSnapshot = true;
        } catch (...) {
            failedCharacters.insert(character);
            LogFailure();
        }
    }

    // A character whose snapshot failed keeps its old stamps, so the next check tries again.
    std::unordered_map<std::string, std::string> keptStamps;
    if (!failedCharacters.empty()) {
        for (const Filenames& record : KnownFiles_) {
            if (failedCharacters.count(BaseName(record.filename)) > 0) {
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

void SnapshotCycle::TakeSnapshot(const std::string& baseName)
{
    const std::string folder = platform::JoinPath(
        settings_.SnapshotDir, SnapshotFolderName(baseName, services_.clock.now()));
    platform::CreateOneDirectory(folder);
    try {
        services_.copier.CopyFile(platform::JoinPath(settings_.SaveGameDir, baseName + ".*"),
                                  folder);
    } catch (...) {
        // Never leave an empty or partial snapshot to be offered for restore.
        platform::RemoveTree(folder);
        throw;
    }
}

void SnapshotCycle::LogFailure() noexcept
{
    try {
        AppendErrorEntry(services_.logFile, services_.clock.now());
    } catch (...) {
        // The clock failing as well leaves nothing to report with.
    }
}

}  // namespace quorrel
