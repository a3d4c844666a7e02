#pragma once

class QWidget;

namespace quorrel::platform {

// Gives a window the program's background picture, drawn unscaled from its top-left corner.
void SetBackgroundPicture(QWidget& window);

}  // namespace quorrel::platform
