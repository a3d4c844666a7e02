#include <dirent.h>

#include <memory>

#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "platform/posix/descriptor.h"

namespace quorrel::platform {

namespace {

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

// Each entry's status is read through the folder's own descriptor, without building a path or
// following a link. The entry types that some file systems give while listing are not trusted:
// others give none, and one rule for all is worth the status read.
void WalkFolder(const std::string& folder, const std::function<void(const FolderEntry&)>& take)
{
    const std::unique_ptr<DIR, CloseFolder> listing(::opendir(folder.c_str()));
    if (!listing) {
        posix::Fail("Cannot list", folder);
    }
    const int fd = ::dirfd(listing.get());
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing.get());
        if (entry == nullptr) {
            if (errno != 0) {
                posix::Fail("Cannot list", folder);
            }
            return;
        }
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat status {};
        if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            posix::Fail("Cannot read", JoinPath(folder, name));
        }
        const EntryKind kind = S_ISREG(status.st_mode)   ? EntryKind::File
                               : S_ISDIR(status.st_mode) ? EntryKind::Folder
                                                         : EntryKind::Other;
        const std::string stamp = kind == EntryKind::File ? StampOf(status) : std::string();
        take({name, kind, name.front() == '.', stamp});
    }
}

std::string FileStamp(const std::string& file)
{
    struct stat status {};
    if (::fstatat(AT_FDCWD, file.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        posix::Fail("Cannot read the stamp of", file);
    }
    return StampOf(status);
}

}  // namespace quorrel::platform
