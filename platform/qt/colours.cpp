#include "platform/qt/colours.h"

#include <QComboBox>
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
    // The Windows styles draw a drop-down box as the system draws its own, light, whatever the
    // palette says, and the light text on it could not be read. A style sheet is drawn alike
    // under every style, with its list too.
    if (qobject_cast<QComboBox*>(&box) != nullptr) {
        const QString colours =
            QString("{ color: %1; background-color: %2; }").arg(text.name(), kDesktop.name());
        box.setStyleSheet("QComboBox " + colours + " QComboBox QAbstractItemView " + colours);
    }
}

}  // namespace quorrel::platform
