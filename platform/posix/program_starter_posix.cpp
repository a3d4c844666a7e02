#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/program_starter.h"

namespace quorrel::platform {

namespace {

// Reads the whole of a small message; false when the writer closed without sending one.
bool ReadAll(int fd, void* buffer, std::size_t length)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t count = ::read(fd, bytes + done, length - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

[[noreturn]] void ReportAndExit(int fd, int error)
{
    [[maybe_unused]] const ssize_t ignored = ::write(fd, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

// The program is started in a session of its own by a child that exits at once, so it is never
// our child: nothing waits for it, it leaves no zombie and it outlives this program. Whether it
// could be executed comes back through a pipe that closes on a successful exec, so a missing or
// unusable file is reported here and now. The window manager decides how its window shows; new
// windows normally open normal and focused, which is what the show command asks for.
void SystemProgramStarter::Shell(const std::string& program, int /*showCommand*/)
{
    // Everything the children need is made before fork: after it, only plain system calls.
    const char* path = program.c_str();
    char* const arguments[] = {const_cast<char*>(path), nullptr};

    // pipe2 would be tidier, but macOS lacks it.
    int pipe[2];
    if (::pipe(pipe) != 0) {
        throw std::system_error(errno, std::generic_category(), "Cannot start " + program);
    }
    ::fcntl(pipe[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(pipe[1], F_SETFD, FD_CLOEXEC);
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(pipe[0]);
        ::close(pipe[1]);
        throw std::system_error(error, std::generic_category(), "Cannot start " + program);
    }
    if (child == 0) {
        ::close(pipe[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            ReportAndExit(pipe[1], errno);
        }
        if (grandchild == 0) {
            ::execv(path, arguments);
            ReportAndExit(pipe[1], errno);
        }
        ::_exit(0);
    }

    ::close(pipe[1]);
    int error = 0;
    const bool failed = ReadAll(pipe[0], &error, sizeof error);
    ::close(pipe[0]);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (failed) {
        throw std::system_error(error, std::generic_category(), "Cannot start " + program);
    }
}

}  // namespace quorrel::platform
