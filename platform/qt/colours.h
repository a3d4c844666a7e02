#pragma once

#include <QColor>

class QWidget;

namespace quorrel::platform {

// Light text that reads well over the dark background picture.
inline const QColor kLightYellow{255, 255, 192};
inline const QColor kLightOrange{255, 224, 192};
inline const QColor kOrange{255, 192, 128};

// The desktop colour that the list and text boxes draw on. Qt has no name for it, so the program
// keeps its own: a dark blue-grey, quiet on the background picture.
inline const QColor kDesktop{0x26, 0x2c, 0x38};

// A label's text colour; the label stays transparent over the window's picture.
void SetTextColour(QWidget& control, const QColor& text);

// A box on the desktop colour with the given text colour.
void SetBoxColours(QWidget& box, const QColor& text);

}  // namespace quorrel::platform
