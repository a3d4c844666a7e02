#include "about/start_sys_info.h"

#include <stdexcept>
#include <string>

#include "about/get_key_value.h"
#include "platform/file_system.h"
#include "platform/path_text.h"
#include "platform/qt/shell.h"

namespace quorrel {

namespace {

const std::string kToolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kToolPathValue = "PATH";
const std::string kToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string kToolFolderValue = "MSINFO";
const std::string kSysInfoProgram = "MSINFO32.EXE";

}  // namespace

void StartSysInfo(platform::Registry& registry)
{
    std::string ToolPath;
    if (!GetKeyValue(registry, platform::kHKeyLocalMachine, kToolPathKey, kToolPathValue,
                     ToolPath)) {
        if (!GetKeyValue(registry, platform::kHKeyLocalMachine, kToolFolderKey, kToolFolderValue,
                         ToolPath)) {
            throw std::runtime_error("The registry names no system-information tool");
        }
        // One separator whatever the folder ends with: Windows reads "C:\\MSINFO32.EXE" as
        // "C:\MSINFO32.EXE", and elsewhere the folder's own separator makes a real path.
        const std::string program = platform::JoinPath(ToolPath, kSysInfoProgram);
        if (!platform::IsOrdinaryFile(program)) {
            throw std::runtime_error("No program " + program);
        }
        ToolPath = program;
    }
    // The full path from the registry is started as it is: whether it exists is for the start
    // to find out.
    platform::Shell(ToolPath, platform::kShowNormal);
}

}  // namespace quorrel
