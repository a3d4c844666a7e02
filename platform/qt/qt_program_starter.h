#pragma once

#include "platform/program_starter.h"

namespace quorrel::platform {

// Starts the program detached: nothing waits for it, and it outlives this program.
class QtProgramStarter final : public ProgramStarter {
public:
    void Shell(const std::string& program, int showCommand) override;
};

}  // namespace quorrel::platform
