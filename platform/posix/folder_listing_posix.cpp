#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <system_error>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "platform/posix/entry_types.h"

namespace quorrel::platform {

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

std::string StampOf(const struct stat& status)
{
#ifdef __APPLE__
    const timespec& modified = status.st_mtimespec;
#else
    const timespec& modified = status.st_mtim;
#endif
    return StampText(modified.tv_sec, static_cast<std::uint32_t>(modified.tv_nsec),
                     static_cast<std::uint64_t>(status.st_size));
}

struct CloseFolder {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

}  // namespace

// Each stamp is read through the folder's own descriptor, without building a path or following
// a link.
void VisitFolder(const std::string& folder,
                 const std::function<void(std::string_view, std::string_view)>& take)
{
    const std::unique_ptr<DIR, CloseFolder> listing(::opendir(folder.c_str()));
    if (!listing) {
        Fail("Cannot list " + folder);
    }
    const int fd = ::dirfd(listing.get());
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing.get());
        if (entry == nullptr) {
            if (errno != 0) {
                Fail("Cannot list " + folder);
            }
            return;
        }
        // The entry's type, where the file system gives it, spares reading a folder's or a
        // link's status. Where it does not, the status says.
        const unsigned char type = posix::gListingIgnoresEntryTypes ? DT_UNKNOWN : entry->d_type;
        if ((type != DT_REG && type != DT_UNKNOWN) || IsHiddenOrSystem(folder, entry->d_name)) {
            continue;
        }
        struct stat status {};
        if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            Fail("Cannot read the stamp of " + JoinPath(folder, entry->d_name));
        }
        if (S_ISREG(status.st_mode)) {
            take(entry->d_name, StampOf(status));
        }
    }
}

std::string FileStamp(const std::string& file)
{
    struct stat status {};
    if (::fstatat(AT_FDCWD, file.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        Fail("Cannot read the stamp of " + file);
    }
    return StampOf(status);
}

}  // namespace quorrel::platform
