#include "app/history_keeper.h"

#include "restore/last_alive_pin.h"
#include "snapshot/error_log.h"

namespace quorrel {

HistoryKeeper::HistoryKeeper(platform::FileOps& files, const platform::Clock& clock,
                             std::string logFile, MoveToTrash moveToTrash)
    : services_{files, std::move(moveToTrash), clock, std::move(logFile)},
      worker_([this] { Run(); })
{
}

HistoryKeeper::~HistoryKeeper()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    changed_.notify_all();
    worker_.join();
}

void HistoryKeeper::AfterSnapshot(const std::string& snapshotDir, const std::string& character,
                                  const std::string& folder)
{
    Add([this, snapshotDir, character, folder] {
        try {
            PinLastSnapshotAlive(snapshotDir, folder, services_.files, services_.logFile);
        } catch (const std::exception& failure) {
            AppendLogNote(services_.logFile, services_.clock.now(),
                          std::string("Could not pin the last snapshot of ") + character +
                              " alive: " + failure.what());
        }
        ThinHistory(snapshotDir, character, services_);
    });
}

void HistoryKeeper::ThinAll(const std::string& snapshotDir)
{
    Add([this, snapshotDir] { ThinHistory(snapshotDir, "", services_); });
}

void HistoryKeeper::Add(std::function<void()> job)
{
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
}

void HistoryKeeper::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) {
            return;
        }
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        try {
            job();
        } catch (...) {
            // Each job logs its own failures; the keeper goes on with the next.
        }
        lock.lock();
    }
}

}  // namespace quorrel
