#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

#include "platform/file_ops.h"
#include "platform/posix/descriptor.h"

namespace quorrel::platform {

struct OpenFile {
    int fd;
};

namespace fs = std::filesystem;
using posix::Descriptor;
using posix::Fail;

namespace {

Descriptor OpenForWriting(const fs::path& file, mode_t mode)
{
    Descriptor fd(
        ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode));
    if (fd.get() < 0) {
        Fail("Cannot create", file);
    }
    return fd;
}

void WriteAll(int fd, const char* data, std::size_t length, const fs::path& file)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("Cannot write", file);
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
}

// fsync on macOS reaches the drive but not through its cache; only F_FULLFSYNC does.
int FlushToDisk(int fd)
{
#ifdef __APPLE__
    return ::fcntl(fd, F_FULLFSYNC);
#else
    return ::fsync(fd);
#endif
}

// The last-modified time, to the nanosecond, and the last access.
void CopyTimes(int fd, const struct stat& status, const fs::path& file)
{
#ifdef __APPLE__
    const timespec times[2] = {status.st_atimespec, status.st_mtimespec};
#else
    const timespec times[2] = {status.st_atim, status.st_mtim};
#endif
    if (::futimens(fd, times) != 0) {
        Fail("Cannot set the time of", file);
    }
}

void Close(Descriptor& fd, const fs::path& file)
{
    if (fd.Close() != 0) {
        Fail("Cannot write", file);
    }
}

// Renames without replacing, where the file system can do it in one step.
int RenameWithoutReplacing(const fs::path& from, const fs::path& to)
{
#if defined(__APPLE__)
    return ::renamex_np(from.c_str(), to.c_str(), RENAME_EXCL);
#elif defined(__linux__)
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
#else
    errno = ENOSYS;
    return -1;
#endif
}

}  // namespace

void SystemFileOps::Write(const fs::path& file, std::string_view content)
{
    Descriptor fd = OpenForWriting(file, 0666);
    WriteAll(fd.get(), content.data(), content.size(), file);
    OpenFile open{fd.get()};
    SyncFile(file, open);
    Close(fd, file);
}

void SystemFileOps::Copy(const fs::path& source, const fs::path& target)
{
    struct stat status {};
    Descriptor in = posix::OpenPlainFile(source, O_RDONLY, status);

    Descriptor out = OpenForWriting(target, status.st_mode & 0777);
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const ssize_t count = posix::ReadSome(in.get(), buffer.data(), buffer.size());
        if (count < 0) {
            Fail("Cannot read", source);
        }
        if (count == 0) {
            break;
        }
        WriteAll(out.get(), buffer.data(), static_cast<std::size_t>(count), target);
    }
    CopyTimes(out.get(), status, target);
    OpenFile open{out.get()};
    SyncFile(target, open);
    Close(out, target);
}

void SystemFileOps::Rename(const fs::path& from, const fs::path& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0) {
        Fail("Cannot rename", from, to);
    }
}

// rename() alone would replace a file, or an empty folder.
void SystemFileOps::Move(const fs::path& from, const fs::path& to)
{
    if (RenameWithoutReplacing(from, to) == 0) {
        return;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        Fail("Cannot rename", from, to);
    }
    // A file system that cannot refuse by itself (some network and FUSE ones): only a name made
    // in the moment between the look and the rename could be replaced.
    struct stat status {};
    if (::lstat(to.c_str(), &status) == 0) {
        Fail("Cannot rename", from, to, EEXIST);
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        Fail("Cannot rename", from, to);
    }
}

void SystemFileOps::SyncFile(const fs::path& file, OpenFile& open)
{
    if (FlushToDisk(open.fd) != 0) {
        Fail("Cannot flush", file);
    }
}

void SystemFileOps::Remove(const fs::path& file)
{
    if (::unlink(file.c_str()) != 0) {
        Fail("Cannot remove", file);
    }
}

void SystemFileOps::SyncFolder(const fs::path& folder)
{
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) {
        Fail("Cannot open", folder);
    }
    if (FlushToDisk(fd.get()) != 0) {
        Fail("Cannot flush", folder);
    }
}

// A leading "." hides a file here; the restore's journal has one.
void HideFile(const fs::path& /*file*/) {}

void UnhideFile(const fs::path& /*file*/) {}

}  // namespace quorrel::platform
