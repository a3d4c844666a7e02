#pragma once

#include "platform/beeper.h"

namespace quorrel::platform {

class QtBeeper final : public Beeper {
public:
    void beep() override;
};

}  // namespace quorrel::platform
