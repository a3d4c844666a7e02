#pragma once

#include <QWidget>

class QToolButton;

namespace quorrel::platform {

// An up-down control: two small arrow buttons stacked against a text box. It keeps no value of
// its own; the owner decides what each arrow does. With the focus, the Up and Down keys press
// the arrows too.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    QToolButton& upButton() { return *up_; }
    QToolButton& downButton() { return *down_; }

signals:
    void UpClick();
    void DownClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace quorrel::platform
