#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "platform/file_ops.h"
#include "snapshot/thin_history.h"

namespace quorrel {

// Keeps the history in order off the check's path, on a thread of its own: after each snapshot
// it pins the last snapshot before a hardcore hero's death (see PinLastSnapshotAlive) and thins
// out that character's older snapshots when the player chose so; at start-up it thins every
// character. Jobs run one at a time, in order; when the keeper goes, the jobs not begun are
// dropped and the running one is finished.
class HistoryKeeper {
public:
    HistoryKeeper(platform::FileOps& files, const platform::Clock& clock, std::string logFile,
                  MoveToTrash moveToTrash);
    ~HistoryKeeper();
    HistoryKeeper(const HistoryKeeper&) = delete;
    HistoryKeeper& operator=(const HistoryKeeper&) = delete;

    void AfterSnapshot(const std::string& snapshotDir, const std::string& character,
                       const std::string& folder);
    void ThinAll(const std::string& snapshotDir);

private:
    void Add(std::function<void()> job);
    void Run();

    ThinningServices services_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread worker_;  // last: it starts once everything it uses is there
};

}  // namespace quorrel
