#pragma once

namespace quorrel::platform {

// The platform's default beep.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

class SystemBeeper final : public Beeper {
public:
    void beep() override;
};

}  // namespace quorrel::platform
