#pragma once

#include <string>

namespace quorrel::platform {

// The file-copy component: copies every file that matches a wildcard pattern into a folder.
class FileCopier {
public:
    virtual ~FileCopier() = default;

    // sourcePattern is a folder, a separator and a name that may hold "*" and "?". Every plain
    // file that matches is copied under its own name into the existing folder destination
    // (which may end in a separator), overwriting a file of that name and keeping the
    // last-modified time, each copy on disk before the next. Folders and links are not copied.
    // Throws std::system_error when nothing matches or a copy fails; files copied before the
    // failure stay.
    virtual void CopyFile(const std::string& sourcePattern, const std::string& destination) = 0;
};

class SystemFileCopier final : public FileCopier {
public:
    void CopyFile(const std::string& sourcePattern, const std::string& destination) override;
};

}  // namespace quorrel::platform
