#pragma once

#include <QObject>
#include <QTimer>

#include "platform/timer.h"

namespace quorrel::platform {

// The snapshot timer over QTimer. A bare QTimer with interval 0 fires on every pass of the event
// loop; here an interval of 0 never ticks.
class QtTimer final : public QObject, public Timer {
    Q_OBJECT
public:
    explicit QtTimer(QObject* parent = nullptr);

signals:
    void Tick();

protected:
    void stateChanged() override;

private:
    QTimer timer_;
};

}  // namespace quorrel::platform
