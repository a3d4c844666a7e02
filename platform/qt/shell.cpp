#include "platform/qt/shell.h"

#include <QProcess>
#include <stdexcept>

#include "platform/qt/text.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace quorrel::platform {

void Shell(const std::string& program, int showCommand)
{
    QProcess process;
    process.setProgram(ToQString(program));
#ifdef Q_OS_WIN
    // The path itself names the program, so that a folder with blanks in its name is never taken
    // for a shorter name followed by arguments. The window shows as asked, and the program
    // inherits none of our handles.
    const std::wstring path = ToQString(program).toStdWString();
    process.setCreateProcessArgumentsModifier(
        [&path, showCommand](QProcess::CreateProcessArguments* arguments) {
            arguments->applicationName = path.c_str();
            arguments->inheritHandles = false;
            arguments->flags &= ~static_cast<unsigned long>(CREATE_NO_WINDOW);
            arguments->startupInfo->dwFlags = STARTF_USESHOWWINDOW;
            arguments->startupInfo->wShowWindow = static_cast<WORD>(showCommand);
        });
#else
    // The window manager decides how the window shows; a new window normally opens normal and
    // focused, which is what the show command asks for.
    static_cast<void>(showCommand);
#endif
    // Elsewhere Qt starts it in a session of its own and learns whether it could be executed.
    if (!process.startDetached()) {
        throw std::runtime_error("Cannot start " + program + ": " +
                                 ToStdString(process.errorString()));
    }
}

}  // namespace quorrel::platform
