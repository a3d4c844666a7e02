#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string_view>

#include "platform/memory_registry.h"

namespace quorrel::platform {

namespace {

// The desktops' own system-information programs, the closest match to Windows' msinfo32 first.
// A name with a "/" is a full path, tried as it is.
constexpr std::array<std::string_view, 7> kSystemInformationPrograms{
    "hardinfo2",
    "hardinfo",
    "kinfocenter",
    "gnome-system-monitor",
    "mate-system-monitor",
    "xfce4-taskmanager",
    "/System/Applications/Utilities/System Information.app/Contents/MacOS/System Information",
};

bool IsExecutableFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The full path of a program as the shell would find it, or empty. An empty entry of PATH would
// mean the current folder; it is skipped, so that a file lying there is never taken for the tool.
std::string FindProgram(std::string_view name)
{
    if (name.find('/') != std::string_view::npos) {
        return IsExecutableFile(std::string(name)) ? std::string(name) : std::string();
    }
    const char* variable = std::getenv("PATH");
    std::string_view folders = variable != nullptr ? variable : "";
    while (!folders.empty()) {
        const std::size_t end = folders.find(':');
        const std::string_view folder = folders.substr(0, end);
        folders = end == std::string_view::npos ? std::string_view() : folders.substr(end + 1);
        if (folder.empty()) {
            continue;
        }
        std::string candidate = std::string(folder) + "/" + std::string(name);
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

}  // namespace

// There is no registry here: the one value the About box looks for first is filled with the
// desktop's own tool, when there is one, so that System Info starts it directly.
std::unique_ptr<Registry> MakeSystemRegistry()
{
    auto registry = std::make_unique<MemoryRegistry>();
    for (const std::string_view name : kSystemInformationPrograms) {
        const std::string program = FindProgram(name);
        if (!program.empty()) {
            registry->SetString(kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                "PATH", program);
            break;
        }
    }
    // Read access only, as an ordinary user has on Windows.
    registry->GrantOnly(kKeyRead);
    return registry;
}

}  // namespace quorrel::platform
