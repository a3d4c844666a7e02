#pragma once

namespace quorrel::platform {

// The default beep of the window system; the program's is QtBeeper (platform/qt/qt_beeper.h).
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

}  // namespace quorrel::platform
