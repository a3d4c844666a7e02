#include "platform/folder_listing.h"

#include <algorithm>
#include <filesystem>

#include "platform/path_text.h"

namespace quorrel::platform {

namespace {

char FoldCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Negative when a comes first, ignoring ASCII letter case.
int CompareFolded(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(FoldCase(a[i]));
        const auto y = static_cast<unsigned char>(FoldCase(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// Whether a is shown before b: by name ignoring ASCII letter case, then in byte order.
bool ShownBefore(const std::string& a, const std::string& b)
{
    const int folded = CompareFolded(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-_";

}  // namespace

std::vector<ListedFile> ListFolder(const std::string& folder)
{
    std::vector<ListedFile> listed;
    WalkFolder(folder, [&listed](const FolderEntry& entry) {
        if (entry.kind == EntryKind::File && !entry.hidden) {
            listed.push_back({std::string(entry.name), std::string(entry.stamp)});
        }
    });
    std::vector<ListedFile> sorted;
    sorted.reserve(listed.size());
    for (const std::size_t position : SortedOrder(listed)) {
        sorted.push_back(std::move(listed[position]));
    }
    return sorted;
}

std::vector<std::string> ListSubFolders(const std::string& folder)
{
    std::vector<std::string> names;
    WalkFolder(folder, [&](const FolderEntry& entry) {
        if (entry.hidden) {
            return;
        }
        // A link to a folder is the one link that is followed: the player may keep a folder
        // elsewhere and link to it.
        std::error_code error;
        if (entry.kind == EntryKind::Folder ||
            (entry.kind == EntryKind::Other &&
             std::filesystem::is_directory(ToPath(JoinPath(folder, entry.name)), error))) {
            names.emplace_back(entry.name);
        }
    });
    std::sort(names.begin(), names.end(), ShownBefore);
    return names;
}

std::string StampText(std::int64_t seconds, std::uint32_t nanoseconds, std::uint64_t size)
{
    // Two's complement keeps a time before 1970 apart from any later one.
    const auto time = static_cast<std::uint64_t>(seconds) * 1000000000u + nanoseconds;
    char text[24];
    std::size_t length = 0;
    for (int shift = 60; shift >= 0; shift -= 6) {
        text[length++] = kDigits[(time >> shift) & 63];
    }
    char reversed[12];
    std::size_t digits = 0;
    do {
        reversed[digits++] = kDigits[size & 63];
        size >>= 6;
    } while (size != 0);
    while (digits > 0) {
        text[length++] = reversed[--digits];
    }
    return std::string(text, length);
}

// Each check sorts the whole folder, so the comparisons are kept cheap: the first sixteen folded
// bytes of each name, packed into two numbers, decide nearly all of them (a character's name
// has at most 15 letters), and only small records move while sorting.
std::vector<std::size_t> SortedOrder(const std::vector<ListedFile>& files)
{
    struct Key {
        std::uint64_t high;
        std::uint64_t low;
        std::size_t position;
    };
    const auto pack = [](const std::string& name, std::size_t from) {
        std::uint64_t packed = 0;
        for (std::size_t at = from; at < from + 8; ++at) {
            const char c = at < name.size() ? FoldCase(name[at]) : '\0';
            packed = packed << 8 | static_cast<unsigned char>(c);
        }
        return packed;
    };
    std::vector<Key> keys(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        keys[i] = {pack(files[i].name, 0), pack(files[i].name, 8), i};
    }
    std::sort(keys.begin(), keys.end(), [&files](const Key& a, const Key& b) {
        if (a.high != b.high) {
            return a.high < b.high;
        }
        if (a.low != b.low) {
            return a.low < b.low;
        }
        return ShownBefore(files[a.position].name, files[b.position].name);
    });
    std::vector<std::size_t> order(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k) {
        order[k] = keys[k].position;
    }
    return order;
}

}  // namespace quorrel::platform
