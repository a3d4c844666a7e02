#include "platform/folder_listing.h"

#include <algorithm>
#include <charconv>
#include <string_view>

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

}  // namespace

std::string StampText(std::int64_t seconds, std::uint32_t nanoseconds, std::uint64_t size)
{
    char text[64];
    char* end = std::to_chars(text, text + 24, seconds).ptr;
    *end++ = '.';
    for (int digit = 8; digit >= 0; --digit, nanoseconds /= 10) {
        end[digit] = static_cast<char>('0' + nanoseconds % 10);
    }
    end += 9;
    *end++ = ' ';
    end = std::to_chars(end, text + sizeof text, size).ptr;
    return std::string(text, end);
}

void SortByName(std::vector<ListedFile>& files)
{
    std::sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) {
        const int folded = CompareFolded(a.name, b.name);
        return folded != 0 ? folded < 0 : a.name < b.name;
    });
}

}  // namespace quorrel::platform
