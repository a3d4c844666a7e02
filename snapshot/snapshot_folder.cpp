#include "snapshot/snapshot_folder.h"

#include <algorithm>
#include <unordered_map>

namespace quorrel {

namespace {

constexpr std::string_view kMoment = "-dd-mm-yyyy-hh-mm-ss";
constexpr std::size_t kMostNumberDigits = 9;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int Number(std::string_view digits)
{
    int value = 0;
    for (const char digit : digits) {
        value = value * 10 + (digit - '0');
    }
    return value;
}

// A name that ends with the moment after at least one character.
std::optional<SnapshotName> WithMoment(std::string_view name)
{
    if (name.size() <= kMoment.size()) {
        return std::nullopt;
    }
    const std::string_view tail = name.substr(name.size() - kMoment.size());
    for (std::size_t i = 0; i < kMoment.size(); ++i) {
        if (kMoment[i] == '-' ? tail[i] != '-' : !IsDigit(tail[i])) {
            return std::nullopt;
        }
    }
    const platform::LocalDateTime taken{Number(tail.substr(7, 4)),  Number(tail.substr(4, 2)),
                                        Number(tail.substr(1, 2)),  Number(tail.substr(12, 2)),
                                        Number(tail.substr(15, 2)), Number(tail.substr(18, 2))};
    if (taken.month < 1 || taken.month > 12 || taken.day < 1 || taken.day > 31 || taken.hour > 23 ||
        taken.minute > 59 || taken.second > 59) {
        return std::nullopt;
    }
    return SnapshotName{std::string(name.substr(0, name.size() - kMoment.size())), taken};
}

}  // namespace

std::string BaseName(const std::string& filename)
{
    const std::string::size_type dot = filename.rfind('.');
    return dot == std::string::npos ? filename : filename.substr(0, dot);
}

std::vector<CharacterFiles> GroupByCharacter(const std::vector<Filenames>& files,
                                             const std::unordered_set<std::string>& characters)
{
    std::vector<CharacterFiles> groups;
    if (characters.empty()) {
        return groups;
    }
    std::unordered_map<std::string, std::size_t> groupOf;
    for (const Filenames& file : files) {
        std::string character = BaseName(file.filename);
        if (characters.count(character) == 0) {
            continue;
        }
        const auto [group, added] = groupOf.try_emplace(character, groups.size());
        if (added) {
            groups.push_back({std::move(character), {}});
        }
        groups[group->second].files.push_back(file);
    }
    return groups;
}

std::string SnapshotFolderName(const SnapshotName& name)
{
    std::string folderName = name.character + "-" + platform::FormatDate(name.taken) + "-" +
                             platform::FormatTime(name.taken);
    if (name.number > 1) {
        folderName += '-';
        folderName += std::to_string(name.number);
    }
    return folderName;
}

std::optional<SnapshotName> ParseSnapshotFolderName(std::string_view folderName)
{
    const std::size_t dash = folderName.rfind('-');
    if (dash != std::string_view::npos) {
        const std::string_view number = folderName.substr(dash + 1);
        if (!number.empty() && number.size() <= kMostNumberDigits && number[0] != '0' &&
            std::all_of(number.begin(), number.end(), IsDigit) && Number(number) >= 2) {
            if (std::optional<SnapshotName> name = WithMoment(folderName.substr(0, dash))) {
                name->number = Number(number);
                return name;
            }
        }
    }
    return WithMoment(folderName);
}

}  // namespace quorrel
