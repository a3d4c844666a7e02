#pragma once

#include <exception>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>

#include "platform/folder_lock.h"

namespace quorrel::test {

// Runs `act` as another copy of the program would, in a thread of its own (on Windows a mutex
// does not stand in its own thread's way), and waits for it; what it throws is thrown here.
inline void AsAnotherCopy(const std::function<void()>& act)
{
    std::exception_ptr failure;
    std::thread([&] {
        try {
            act();
        } catch (...) {
            failure = std::current_exception();
        }
    }).join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

// Another copy of the program holding a folder's lock, in a thread of its own, until it goes.
class AnotherCopy {
public:
    AnotherCopy(const std::string& folder, platform::FolderLock::Kind kind)
        : thread_([this, folder, kind] {
              std::optional<platform::FolderLock> lock;
              try {
                  lock = platform::FolderLock::TryLock(folder, kind);
              } catch (...) {
              }
              took_.set_value(lock.has_value());
              letGo_.get_future().wait();
          }),
          holds_(took_.get_future().get())
    {
    }
    ~AnotherCopy()
    {
        letGo_.set_value();
        thread_.join();
    }
    bool holds() const { return holds_; }

private:
    std::promise<bool> took_;
    std::promise<void> letGo_;
    std::thread thread_;
    bool holds_;
};

}  // namespace quorrel::test
