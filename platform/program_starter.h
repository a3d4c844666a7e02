#pragma once

#include <string>

namespace quorrel::platform {

// Starts another program without waiting for it.
class ProgramStarter {
public:
    static constexpr int kShowNormal = 1;  // a normal window that gets the focus

    virtual ~ProgramStarter() = default;

    // Throws std::system_error when the program cannot be started.
    virtual void Shell(const std::string& program, int showCommand) = 0;
};

class SystemProgramStarter final : public ProgramStarter {
public:
    void Shell(const std::string& program, int showCommand) override;
};

}  // namespace quorrel::platform
