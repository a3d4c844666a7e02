#include "platform/file_system.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/path_text.h"

namespace quorrel::platform {

namespace fs = std::filesystem;

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b)
{
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    const auto [ai, bi] = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return lower(x) == lower(y); });
    if (ai == a.end() || bi == b.end()) {
        if (a.size() != b.size()) {
            return a.size() < b.size();
        }
        return a < b;  // same name but for case: byte order keeps the order stable
    }
    return lower(*ai) < lower(*bi);
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
        std::string name = ToText(entry.path().filename());
        if (!IsHiddenOrSystem(folder, name)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
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

bool Exists(const std::string& path)
{
    std::error_code error;
    return fs::exists(ToPath(path), error);
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

std::string CurrentDirectory() { return ToText(fs::current_path()); }

}  // namespace quorrel::platform
