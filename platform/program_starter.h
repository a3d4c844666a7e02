#pragma once

#include <string>

namespace quorrel::platform {

// Starts another program without waiting for it (platform/qt/qt_program_starter.h).
class ProgramStarter {
public:
    static constexpr int kShowNormal = 1;  // a normal window that gets the focus

    virtual ~ProgramStarter() = default;

    // Throws when the program cannot be started.
    virtual void Shell(const std::string& program, int showCommand) = 0;
};

}  // namespace quorrel::platform
