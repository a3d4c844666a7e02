#include "platform/qt/qt_beeper.h"

#include <QApplication>

namespace quorrel::platform {

void QtBeeper::beep()
{
    QApplication::beep();
}

}  // namespace quorrel::platform
