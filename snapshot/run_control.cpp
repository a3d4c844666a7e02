#include "snapshot/run_control.h"

#include <QAction>

#include "platform/timer.h"

namespace quorrel {

RunControl::RunControl(platform::Timer& Timer1, QAction& itmStart, QAction& itmStop,
                       std::function<void()> addNotificationIcon,
                       std::function<void()> withdrawWindow)
    : Timer1_(Timer1),
      itmStart_(itmStart),
      itmStop_(itmStop),
      addNotificationIcon_(std::move(addNotificationIcon)),
      withdrawWindow_(std::move(withdrawWindow))
{
}

void RunControl::itmStart_Click()
{
    // Off and on again, so that the first check comes one whole interval after Start.
    Timer1_.setEnabled(false);
    Timer1_.setEnabled(true);
    addNotificationIcon_();
    itmStart_.setEnabled(false);
    itmStop_.setEnabled(true);
    withdrawWindow_();
}

void RunControl::itmStop_Click()
{
    itmStop_.setEnabled(false);
    itmStart_.setEnabled(true);
    Timer1_.setEnabled(false);
}

}  // namespace quorrel
