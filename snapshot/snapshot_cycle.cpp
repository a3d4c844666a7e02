#include "snapshot/snapshot_cycle.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/file_system.h"
#include "platform/number_text.h"
#include "platform/path_text.h"
#include "snapshot/error_log.h"
#include "snapshot/snapshot_folder.h"

namespace quorrel {

namespace {

constexpr double kMaxInterval = platform::Timer::kMaxInterval;

// The text as a whole number, as the settings convert it: halves round to the even neighbour,
// and the result must fit a 32-bit integer.
std::int32_t WholeSeconds(const std::string& text)
{
    const std::optional<double> number = platform::ParseNumber(text);
    if (!number) {
        throw std::invalid_argument("Refresh time is not a number: \"" + text + "\"");
    }
    const double rounded = platform::RoundHalfEven(*number);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        throw std::out_of_range("Refresh time is too large: \"" + text + "\"");
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

SnapshotCycle::SnapshotCycle(Module1& state, platform::Timer& Timer1, SnapshotServices services)
    : state_(state), Timer1_(Timer1), services_(std::move(services))
{
}

void SnapshotCycle::SetCheckPeriod()
{
    const double period = static_cast<double>(WholeSeconds(state_.RefreshTime)) * 1000.0;
    if (period > kMaxInterval) {
        // The timer cannot wait that long: tick 66 times per check at a shorter interval.
        const double interval = period / kMaxInterval * 1000.0;
        Timer1_.setInterval(static_cast<int>(platform::RoundHalfEven(interval)));
        TicksPerCheck_ = static_cast<std::int16_t>(platform::RoundHalfEven(period / interval));
    } else {
        Timer1_.setInterval(static_cast<int>(period));
        TicksPerCheck_ = 1;
    }
}

void SnapshotCycle::ListSaveFolder(std::vector<Filenames>& files)
{
    FileList_.setPath(state_.SaveGameDir);
    files.reserve(files.size() + FileList_.count());
    for (const std::string& name : FileList_.names()) {
        files.push_back(
            {name, platform::LastModifiedText(platform::JoinPath(state_.SaveGameDir, name))});
    }
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
    state_.CurrentFiles.clear();
    ListSaveFolder(state_.CurrentFiles);

    // Files are matched by name: a new file is taken in as first seen, a vanished one dropped.
    std::unordered_map<std::string_view, const Filenames*> known;
    known.reserve(state_.KnownFiles.size());
    for (const Filenames& record : state_.KnownFiles) {
        known.emplace(record.filename, &record);
    }

    std::vector<std::string> changedCharacters;
    for (const Filenames& current : state_.CurrentFiles) {
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
        for (const Filenames& record : state_.KnownFiles) {
            if (failedCharacters.count(BaseName(record.filename)) > 0) {
                keptStamps.emplace(record.filename, record.Attributes);
            }
        }
    }
    state_.KnownFiles = state_.CurrentFiles;
    for (Filenames& record : state_.KnownFiles) {
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
    const std::string folder =
        platform::JoinPath(state_.SnapshotDir, SnapshotFolderName(baseName, services_.clock.now()));
    platform::CreateOneDirectory(folder);
    try {
        services_.copier.CopyFile(platform::JoinPath(state_.SaveGameDir, baseName + ".*"), folder);
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
