#pragma once

#include <string>
#include <system_error>
#include <vector>

#include "platform/file_system.h"
#include "platform/program_starter.h"

namespace quorrel::test {

// Records what would have been started instead of starting it. Like the real starter it refuses
// a path that names no file.
class RecordingProgramStarter final : public platform::ProgramStarter {
public:
    struct Start {
        std::string program;
        int showCommand;
    };
    std::vector<Start> started;

    void Shell(const std::string& program, int showCommand) override
    {
        if (!platform::IsOrdinaryFile(program)) {
            throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory),
                                    "Cannot start " + program);
        }
        started.push_back({program, showCommand});
    }
};

}  // namespace quorrel::test
