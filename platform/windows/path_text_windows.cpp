#include <windows.h>

#include <system_error>

#include "platform/path_text.h"
#include "platform/windows/wide_text.h"

namespace quorrel::platform {

namespace {

// The extended-length form of a path: "\\?\C:\..." or "\\?\UNC\server\share\...". Windows takes
// a longer path than MAX_PATH only in this form, and takes it as it is, unresolved.
constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";

// The longest full path that Windows takes without the prefix: a folder's, which leaves room
// for an 8.3 file name below it.
constexpr std::size_t kLongestPlain = MAX_PATH - 12 - 1;

bool StartsWith(std::wstring_view text, std::wstring_view start)
{
    return text.substr(0, start.size()) == start;
}

// A path that Windows resolves on its own, with the drive root or server share at its start
// and "\" between its names.
bool IsPlainAbsolute(std::wstring_view path)
{
    return (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\' &&
            !StartsWith(path, kLongPrefix) && !StartsWith(path, L"\\\\.\\"));
}

// The full path as Windows resolves it: the current folder put before a relative path, "." and
// ".." resolved, "/" made "\" and doubled separators made one. Empty where it cannot be made.
std::wstring FullPathName(const std::wstring& path)
{
    std::wstring full(::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
    if (full.empty()) {
        return {};
    }
    const DWORD length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) {
        return {};
    }
    full.resize(length);
    return full;
}

}  // namespace

// The program's texts are UTF-8, so that a name outside the ANSI code page (a user named
// Дмитрий) survives; the file system's names are UTF-16. A path whose full form is longer than
// Windows takes as it is (a history folder deep in a profile) is given the prefix "\\?\", so
// that every call on it, the C runtime's too, reaches the file.
std::filesystem::path ToPath(const std::string& text)
{
    std::wstring wide = windows::Widen(text);
    // A relative path stays one: a name is joined to a folder later.
    if (!IsPlainAbsolute(wide) || wide.size() <= kLongestPlain) {
        return wide;
    }
    const std::wstring full = FullPathName(wide);
    if (full.size() <= kLongestPlain || !IsPlainAbsolute(full)) {
        return wide;
    }
    if (full[0] == L'\\') {
        return std::wstring(kLongUncPrefix) + full.substr(2);  // \\server\share
    }
    return std::wstring(kLongPrefix) + full;
}

// The prefix that ToPath gives is the system's business: the player reads the path without it.
std::string ToText(const std::filesystem::path& path)
{
    const std::wstring_view native = path.native();
    if (StartsWith(native, kLongUncPrefix)) {
        return "\\\\" + windows::Narrow(native.substr(kLongUncPrefix.size()));
    }
    if (StartsWith(native, kLongPrefix)) {
        return windows::Narrow(native.substr(kLongPrefix.size()));
    }
    return windows::Narrow(native);
}

// Windows resolves the path itself, as it does for a call that names it. A prefixed path is
// taken as it is, so the prefix comes off first.
std::string FullPath(const std::string& path)
{
    std::wstring wide = windows::Widen(path);
    if (StartsWith(wide, kLongUncPrefix)) {
        wide = L"\\\\" + wide.substr(kLongUncPrefix.size());
    } else if (StartsWith(wide, kLongPrefix)) {
        wide.erase(0, kLongPrefix.size());
    }
    std::wstring full = wide.empty() ? std::wstring() : FullPathName(wide);
    if (full.size() > 3 && full.back() == L'\\') {
        full.pop_back();  // a drive root keeps it: "C:" alone names the drive's current folder
    }
    return windows::Narrow(full);
}

}  // namespace quorrel::platform
