#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace quorrel {

// Why a restore stopped: the file it could not copy or put in place, and the system's reason.
class RestoreError : public std::runtime_error {
public:
    RestoreError(std::string file, std::string reason, bool saveFolderIntact = true);

    const std::string& file() const { return file_; }
    const std::string& reason() const { return reason_; }

    // False only in the unlikely case that a save file could not be put back after a failure
    // part-way through the renames; its earlier version then stays beside it (see RestoreFolder).
    bool saveFolderIntact() const { return saveFolderIntact_; }

private:
    std::string file_;
    std::string reason_;
    bool saveFolderIntact_;
};

// Renames a file inside one folder. Tests pass their own to make one rename fail part-way.
using RenameFile =
    std::function<void(const std::filesystem::path& from, const std::filesystem::path& to)>;

// Copies every plain file of sourceFolder over the file of the same name in saveFolder, keeping
// last-modified times; files of saveFolder with other names are left alone. All or nothing: a
// character must never end up half old and half new. Every file is first copied under a
// temporary name inside saveFolder; only then are the old files moved aside and the copies
// renamed into place, and the old ones deleted last. On any failure everything done so far is
// undone and RestoreError names the file and the reason. If even that undoing fails, the earlier
// version of a file is kept as "." + name + ".quorrel-old" (numbered when that name is taken)
// and saveFolderIntact() is false.
void RestoreFolder(const std::string& sourceFolder, const std::string& saveFolder,
                   const RenameFile& rename = {});

}  // namespace quorrel
