#include "platform/qt/qt_timer.h"

namespace quorrel::platform {

QtTimer::QtTimer(QObject* parent) : QObject(parent)
{
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &QtTimer::Tick);
}

void QtTimer::stateChanged()
{
    if (isEnabled() && interval() > 0) {
        timer_.start(interval());  // restarts the wait
    } else {
        timer_.stop();
    }
}

}  // namespace quorrel::platform
