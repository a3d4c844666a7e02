#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

namespace quorrel {

// The borderless picture shown for 700 ms at start-up; then it closes and hands over.
class frmSplash final : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(std::function<void()> showMainWindow, QWidget* parent = nullptr);

private:
    void Timer1_Timer();

    QTimer Timer1_;
    std::function<void()> showMainWindow_;
};

}  // namespace quorrel
