#include "snapshot/snapshot_cycle.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/folder_lock.h"
#include "snapshot/check_period.h"
#include "snapshot/error_log.h"
#include "snapshot/snapshot_folder.h"
#include "snapshot/take_snapshot.h"

namespace quorrel {

namespace {

// The stamps of the folder as last seen, looked up by name. Both listings come in the same order,
// so position k is tried first; only a folder whose files were added or removed needs the names
// hashed.
class KnownStamps {
public:
    explicit KnownStamps(const std::vector<Filenames>& known) : known_(known) {}

    const std::string* Find(std::size_t position, const std::string& name)
    {
        if (byName_.empty() && position < known_.size() && known_[position].filename == name) {
            return &known_[position].Attributes;
        }
        if (byName_.empty()) {
            byName_.reserve(known_.size());
            for (const Filenames& record : known_) {
                byName_.emplace(record.filename, &record.Attributes);
            }
        }
        const auto found = byName_.find(name);
        return found == byName_.end() ? nullptr : found->second;
    }

private:
    const std::vector<Filenames>& known_;
    std::unordered_map<std::string_view, const std::string*> byName_;
};

}  // namespace

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
    FileList_.list(settings_.SaveGameDir);
    files.reserve(files.size() + FileList_.count());
    for (std::size_t i = 0; i < FileList_.count(); ++i) {
        files.push_back({FileList_.name(i), FileList_.stamp(i)});
    }
}

void SnapshotCycle::RecordSaveFolder()
{
    KnownFiles_.clear();
    ListSaveFolder(KnownFiles_);
}

void SnapshotCycle::TakeAsKnown(const std::vector<Filenames>& files)
{
    for (const Filenames& file : files) {
        const auto known = std::find_if(
            KnownFiles_.begin(), KnownFiles_.end(),
            [&file](const Filenames& record) { return record.filename == file.filename; });
        if (known != KnownFiles_.end()) {
            known->Attributes = file.Attributes;
        } else {
            KnownFiles_.push_back(file);
        }
    }
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

    // The characters with a changed file, each with all of its files. Files are matched by
    // name: a new file is taken in as first seen, a vanished one dropped.
    std::unordered_set<std::string> changed;
    KnownStamps known(KnownFiles_);
    for (std::size_t k = 0; k < CurrentFiles_.size(); ++k) {
        const Filenames& current = CurrentFiles_[k];
        const std::string* stamp = known.Find(k, current.filename);
        if (stamp != nullptr && *stamp != current.Attributes) {
            changed.insert(BaseName(current.filename));
        }
    }
    const std::vector<CharacterFiles> groups = GroupByCharacter(CurrentFiles_, changed);

    // Held while the snapshots are taken, beside other copies' checks: a restore by another copy
    // holds it alone, and its files are taken at a later check. A lock that cannot be made
    // cannot be held by a restore either.
    std::optional<platform::FolderLock> lock;
    bool restoring = false;
    if (!changed.empty()) {
        try {
            lock = platform::FolderLock::TryLock(settings_.SaveGameDir,
                                                 platform::FolderLock::Kind::Shared);
            restoring = !lock;
        } catch (const std::exception&) {
        }
    }

    bool tookSnapshot = false;
    std::unordered_set<std::string> retry;
    for (const CharacterFiles& group : groups) {
        const std::string& character = group.character;
        if (restoring) {
            retry.insert(character);
            continue;
        }
        try {
            if (unfinished_.ShouldWait(settings_.SaveGameDir, character, group.files)) {
                retry.insert(character);  // caught while the game writes it: no failure either
                continue;
            }
            const std::string folder =
                TakeSnapshot(settings_.SaveGameDir, group.files, settings_.SnapshotDir, character,
                             services_.clock.now(), services_.files);
            tookSnapshot = true;
            if (services_.snapshotTaken) {
                try {
                    services_.snapshotTaken(character, folder);
                } catch (...) {
                    // Only the history's upkeep after this snapshot is lost, not the snapshot.
                }
            }
        } catch (const SourceChanged&) {
            retry.insert(character);  // saved again while copied: no failure, just too early
        } catch (...) {
            retry.insert(character);
            LogFailure();
        }
    }
    unfinished_.CheckDone();

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
    // The listing is not needed after the check: it becomes the known folder as it is, and the
    // room of the old one is kept for the next listing.
    KnownFiles_.swap(CurrentFiles_);
    CurrentFiles_.clear();
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
