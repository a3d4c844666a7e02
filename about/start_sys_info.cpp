#include "about/start_sys_info.h"

#include <exception>
#include <string>

#include "about/get_key_value.h"
#include "platform/file_system.h"
#include "platform/path_text.h"

namespace quorrel {

namespace {

const std::string kToolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kToolPathValue = "PATH";
const std::string kToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string kToolFolderValue = "MSINFO";
const std::string kSysInfoProgram = "MSINFO32.EXE";

}  // namespace

bool StartSysInfo(platform::Registry& registry, platform::ProgramStarter& starter)
{
    try {
        std::string ToolPath;
        if (!GetKeyValue(registry, platform::kHKeyLocalMachine, kToolPathKey, kToolPathValue,
                         ToolPath)) {
            if (!GetKeyValue(registry, platform::kHKeyLocalMachine, kToolFolderKey,
                             kToolFolderValue, ToolPath)) {
                return false;
            }
            // One separator whatever the folder ends with: Windows reads "C:\\MSINFO32.EXE" as
            // "C:\MSINFO32.EXE", and elsewhere the folder's own separator makes a real path.
            const std::string program = platform::JoinPath(ToolPath, kSysInfoProgram);
            if (!platform::IsOrdinaryFile(program)) {
                return false;
            }
            ToolPath = program;
        }
        // The full path from the registry is started as it is: whether it exists is for the
        // start to find out.
        starter.Shell(ToolPath, platform::ProgramStarter::kShowNormal);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace quorrel
