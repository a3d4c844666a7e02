#include "snapshot/history_index.h"

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/clock.h"
#include "platform/file_content.h"
#include "platform/path_text.h"
#include "snapshot/error_log.h"

namespace quorrel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "Quorrel history 1\n";
constexpr std::string_view kThinningOn = "thinning on";
constexpr std::string_view kPin = "pin ";
constexpr std::string_view kSafety = "safety ";
constexpr std::string_view kDied = "died ";
constexpr std::string_view kEnd = "end\n";

// A damaged index is said once a run, not at every check that reads it.
std::atomic<bool> damageReported{false};

fs::path IndexFile(const std::string& snapshotDir)
{
    return platform::ToPath(snapshotDir) / kHistoryIndexName;
}

void ReportDamage(const std::string& logFile, const std::string& snapshotDir) noexcept
{
    if (!damageReported.exchange(true)) {
        AppendLogNote(logFile, platform::SystemClock().now(),
                      "The history's index " + platform::ToText(IndexFile(snapshotDir)) +
                          " cannot be read; no snapshot counts as pinned and none is thinned "
                          "out until it is written again");
    }
}

}  // namespace

bool CanBeIndexed(std::string_view folderName)
{
    return !folderName.empty() && folderName.find_first_of("\r\n") == std::string_view::npos;
}

std::string EncodeHistoryIndex(const HistoryIndex& index)
{
    std::string text(kHeader);
    if (index.thinning) {
        text += std::string(kThinningOn) + "\n";
    }
    for (const std::string& folder : index.pinned) {
        text += std::string(kPin) + folder + "\n";
    }
    for (const std::string& folder : index.safety) {
        text += std::string(kSafety) + folder + "\n";
    }
    for (const auto& [folder, hero] : index.lastAlive) {
        text += std::string(kDied) + folder + " " + hero + "\n";
    }
    return text += kEnd;
}

std::optional<HistoryIndex> DecodeHistoryIndex(std::string_view text)
{
    if (!text.starts_with(kHeader) || !text.ends_with(kEnd)) {
        return std::nullopt;
    }
    text.remove_prefix(kHeader.size());
    text.remove_suffix(kEnd.size());
    HistoryIndex index;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        std::string_view rest;
        if (line == kThinningOn) {
            index.thinning = true;
        } else if (line.starts_with(kPin) && CanBeIndexed(rest = line.substr(kPin.size()))) {
            index.pinned.emplace(rest);
        } else if (line.starts_with(kSafety) && CanBeIndexed(rest = line.substr(kSafety.size()))) {
            index.safety.emplace(rest);
        } else if (line.starts_with(kDied)) {
            rest = line.substr(kDied.size());
            const std::size_t space = rest.rfind(' ');
            if (space == std::string_view::npos || space == 0 || space + 1 == rest.size()) {
                return std::nullopt;
            }
            index.lastAlive.emplace(rest.substr(0, space), rest.substr(space + 1));
        } else {
            return std::nullopt;
        }
    }
    return index;
}

HistoryIndex ReadHistoryIndex(const std::string& snapshotDir, const std::string& logFile) noexcept
{
    try {
        const fs::path file = IndexFile(snapshotDir);
        std::error_code error;
        if (!fs::exists(fs::symlink_status(file, error))) {
            return {};
        }
        std::string text;
        platform::ReadPlainFile(
            file, [&text](std::string_view piece) { text += piece; }, kLargestHistoryIndex + 1);
        if (text.size() <= kLargestHistoryIndex) {
            if (std::optional<HistoryIndex> index = DecodeHistoryIndex(text)) {
                damageReported = false;  // mended: a later damage is said again
                return std::move(*index);
            }
        }
    } catch (...) {
    }
    ReportDamage(logFile, snapshotDir);
    return {};
}

std::optional<platform::FolderLock> LockHistory(const std::string& snapshotDir,
                                                std::chrono::milliseconds wait)
{
    const auto giveUp = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (auto lock =
                platform::FolderLock::TryLock(snapshotDir, platform::FolderLock::Kind::Exclusive)) {
            return lock;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool ChangeHistoryIndex(const std::string& snapshotDir, const std::string& logFile,
                        platform::FileOps& files,
                        const std::function<bool(HistoryIndex& index)>& change)
{
    const std::optional<platform::FolderLock> lock =
        LockHistory(snapshotDir, std::chrono::seconds(1));
    if (!lock) {
        return false;
    }
    HistoryIndex index = ReadHistoryIndex(snapshotDir, logFile);
    if (!change(index)) {
        return false;
    }
    platform::ReplaceWhole(files, IndexFile(snapshotDir), EncodeHistoryIndex(index),
                           platform::Visibility::Hidden);
    return true;
}

}  // namespace quorrel
