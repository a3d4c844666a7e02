#pragma once

#include <functional>

class QAction;

namespace quorrel {

namespace platform {
class Timer;
}

// Start and Stop on the Run menu: a run is the time during which the snapshot timer is enabled.
// Start also sends the main window into the notification area.
class RunControl {
public:
    RunControl(platform::Timer& Timer1, QAction& itmStart, QAction& itmStop,
               std::function<void()> addNotificationIcon, std::function<void()> withdrawWindow);

    void itmStart_Click();
    void itmStop_Click();

private:
    platform::Timer& Timer1_;
    QAction& itmStart_;
    QAction& itmStop_;
    std::function<void()> addNotificationIcon_;
    std::function<void()> withdrawWindow_;
};

}  // namespace quorrel
