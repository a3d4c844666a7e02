#include <windows.h>

#include <system_error>

#include "platform/program_starter.h"
#include "platform/windows/wide_text.h"

namespace quorrel::platform {

void SystemProgramStarter::Shell(const std::string& program, int showCommand)
{
    // The path is quoted on the command line, so a folder with blanks in its name cannot be
    // taken for a shorter program name followed by arguments.
    const std::wstring path = windows::Widen(program);
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                "Cannot start " + program);
    }
    // The program runs on its own; nothing waits for it.
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

}  // namespace quorrel::platform
