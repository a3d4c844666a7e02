#include "platform/qt/background.h"

#include <QPalette>
#include <QPixmap>
#include <QWidget>

namespace quorrel::platform {

void SetBackgroundPicture(QWidget& window)
{
    // The picture is larger than any window of the program, so the tiling brush never repeats.
    QPalette palette = window.palette();
    palette.setBrush(QPalette::Window, QBrush(QPixmap(":/quorrel/background.png")));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}

}  // namespace quorrel::platform
