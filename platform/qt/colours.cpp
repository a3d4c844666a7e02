#include "platform/qt/colours.h"

#include <QPalette>
#include <QWidget>

namespace quorrel::platform {

void SetTextColour(QWidget& control, const QColor& text)
{
    QPalette palette = control.palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(role, text);
    }
    control.setPalette(palette);
    control.setAutoFillBackground(false);
}

void SetBoxColours(QWidget& box, const QColor& text)
{
    SetTextColour(box, text);
    QPalette palette = box.palette();
    palette.setColor(QPalette::Base, kDesktop);
    palette.setColor(QPalette::Button, kDesktop);
    box.setPalette(palette);
}

}  // namespace quorrel::platform
