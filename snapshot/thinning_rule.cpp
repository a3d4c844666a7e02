#include "snapshot/thinning_rule.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "snapshot/snapshot_folder.h"

namespace quorrel {

namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 24 * kHour;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Days from 1 January 1970 to a date of the proleptic Gregorian calendar.
std::int64_t DaysSince1970(int year, int month, int day)
{
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// A local time as seconds on one scale; only differences and calendar steps are read from it,
// so the time zone does not matter.
std::int64_t SecondsOf(const platform::LocalDateTime& t)
{
    return DaysSince1970(t.year, t.month, t.day) * kDay + t.hour * kHour + t.minute * 60 + t.second;
}

// The span whose newest snapshot is kept, for a snapshot `age` seconds old taken at `at`;
// nothing within the last 24 hours, where every snapshot is kept. Each kind of span is counted
// apart, so an hour never shares a key with a day.
std::optional<std::int64_t> SpanOf(std::int64_t age, std::int64_t at)
{
    constexpr std::int64_t kKinds = 4;
    if (age < kDay) {
        return std::nullopt;
    }
    if (age < 7 * kDay) {
        return FloorDiv(at, kHour) * kKinds + 1;
    }
    if (age < 90 * kDay) {
        return FloorDiv(at, kDay) * kKinds + 2;
    }
    // 1 January 1970 was a Thursday: three days on, weeks start on Monday.
    return FloorDiv(FloorDiv(at, kDay) + 3, 7) * kKinds + 3;
}

struct Snapshot {
    std::size_t position;  // in folderNames
    std::int64_t at;
    int number;
};

}  // namespace

std::vector<std::string> FoldersToThin(const std::vector<std::string>& folderNames,
                                       const HistoryIndex& index,
                                       const platform::LocalDateTime& now)
{
    std::unordered_map<std::string, std::vector<Snapshot>> byCharacter;
    for (std::size_t i = 0; i < folderNames.size(); ++i) {
        if (folderNames[i].starts_with('.')) {
            continue;  // ours, or no snapshot of the player's
        }
        if (const std::optional<SnapshotName> name = ParseSnapshotFolderName(folderNames[i])) {
            byCharacter[name->character].push_back({i, SecondsOf(name->taken), name->number});
        }
    }
    const std::int64_t nowAt = SecondsOf(now);
    std::vector<bool> thinned(folderNames.size(), false);
    for (auto& [character, snapshots] : byCharacter) {
        std::sort(snapshots.begin(), snapshots.end(), [](const Snapshot& a, const Snapshot& b) {
            return a.at != b.at ? a.at > b.at : a.number > b.number;
        });
        std::unordered_set<std::int64_t> spansSeen;
        for (std::size_t k = 0; k < snapshots.size(); ++k) {
            const Snapshot& snapshot = snapshots[k];
            const std::int64_t age = nowAt - snapshot.at;
            const std::optional<std::int64_t> span = SpanOf(age, snapshot.at);
            if (!span || spansSeen.insert(*span).second) {
                continue;  // the newest of its span, or recent
            }
            const std::string& name = folderNames[snapshot.position];
            const bool kept = k < static_cast<std::size_t>(kKeptNewest) ||
                              index.pinned.contains(name) || index.lastAlive.contains(name) ||
                              (index.safety.contains(name) && age < kSafetyKeptDays * kDay);
            thinned[snapshot.position] = !kept;
        }
    }
    std::vector<std::string> result;
    for (std::size_t i = 0; i < folderNames.size(); ++i) {
        if (thinned[i]) {
            result.push_back(folderNames[i]);
        }
    }
    return result;
}

}  // namespace quorrel
