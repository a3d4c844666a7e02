#include "platform/file_system.h"

#include <algorithm>
#include <filesystem>

#include "platform/path_text.h"

namespace quorrel::platform {

namespace fs = std::filesystem;

namespace {

// Letter case folded for ASCII only, so that the order never depends on the locale.
std::string FoldCase(const std::string& name)
{
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// Sorts by name ignoring letter case; names that differ only in case keep byte order, so the
// order is the same at every listing.
void SortByName(std::vector<std::string>& names)
{
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) {
        keyed.emplace_back(FoldCase(name), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        names[i] = std::move(keyed[i].second);
    }
}

// The last component of a listed entry, without building the path's component list.
std::string EntryName(const fs::directory_entry& entry)
{
    const std::string text = ToText(entry.path());
    const std::string::size_type separator = text.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
    return separator == std::string::npos ? text : text.substr(separator + 1);
}

}  // namespace

std::vector<std::string> ListFiles(const std::string& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(ToPath(folder))) {
        // is_regular_file follows links, as the listing of a real file list box would.
        std::error_code ignored;
        if (!entry.is_regular_file(ignored)) {
            continue;
        }
        std::string name = EntryName(entry);
        if (!IsHiddenOrSystem(folder, name)) {
            names.push_back(std::move(name));
        }
    }
    SortByName(names);
    return names;
}

void CreateOneDirectory(const std::string& folder)
{
    if (!fs::create_directory(ToPath(folder))) {
        throw fs::filesystem_error("Folder exists already", ToPath(folder),
                                   std::make_error_code(std::errc::file_exists));
    }
}

void RemoveTree(const std::string& folder) noexcept
{
    std::error_code ignored;
    fs::remove_all(ToPath(folder), ignored);
}

bool IsOrdinaryFile(const std::string& path)
{
    std::error_code error;
    const fs::path file = ToPath(path);
    if (!fs::is_regular_file(file, error)) {
        return false;
    }
    return !IsHiddenOrSystem(ToText(file.parent_path()), ToText(file.filename()));
}

std::string StampText(int year, int month, int day, int hour, int minute, int second)
{
    std::string text = "0000-00-00 00:00:00";
    const auto put = [&text](std::size_t at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10) {
            text[at + static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
        }
    };
    put(0, year, 4);
    put(5, month, 2);
    put(8, day, 2);
    put(11, hour, 2);
    put(14, minute, 2);
    put(17, second, 2);
    return text;
}

std::string CurrentDirectory()
{
    return ToText(fs::current_path());
}

}  // namespace quorrel::platform
