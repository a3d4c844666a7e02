#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace quorrel::platform {

// A file open for writing, as SystemFileOps hands it to its flush: a descriptor on Linux and
// macOS, a handle on Windows.
struct OpenFile;

// The file operations that decide whether a change survives a crash or a power cut. Each one is
// on disk before it returns, so a caller can rely on the order in which it calls them: write or
// copy, then rename, then flush the folder. Every operation throws
// std::filesystem::filesystem_error naming the file it failed on (the one being read, or the one
// being written) and the system's reason.
//
// Tests derive from SystemFileOps to make any step fail, or stop as a crash would.
class FileOps {
public:
    virtual ~FileOps() = default;

    // Creates or replaces `file` with `content` and flushes it to disk.
    virtual void Write(const std::filesystem::path& file, std::string_view content) = 0;

    // Copies the plain file `source` to `target` (created or replaced) with its last-modified
    // time, and flushes the copy to disk. A symbolic link or a special file (a FIFO, a device) is
    // refused without being opened. A failed copy may leave part of `target` behind.
    virtual void Copy(const std::filesystem::path& source, const std::filesystem::path& target) = 0;

    // Renames the file `from` to `to` in the same folder, replacing `to`: for the program's own
    // files only, never to put something in a place that the game writes to.
    virtual void Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;

    // Renames the file or folder `from` to `to` in the same folder, and never replaces anything:
    // when `to` exists, even as an empty folder or as a file that appeared a moment ago, it
    // throws with std::errc::file_exists and nothing changes.
    virtual void Move(const std::filesystem::path& from, const std::filesystem::path& to) = 0;

    // Removes one file.
    virtual void Remove(const std::filesystem::path& file) = 0;

    // Flushes the folder's own entries (the names created, renamed or removed in it) to disk.
    virtual void SyncFolder(const std::filesystem::path& folder) = 0;
};

class SystemFileOps : public FileOps {
public:
    void Write(const std::filesystem::path& file, std::string_view content) override;
    void Copy(const std::filesystem::path& source, const std::filesystem::path& target) override;
    void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void Move(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void Remove(const std::filesystem::path& file) override;
    void SyncFolder(const std::filesystem::path& folder) override;

protected:
    // Flushes a file that Write or Copy has just filled to disk, through the file still open.
    // Both call it as their last step, so that a test can see it in its place.
    virtual void SyncFile(const std::filesystem::path& file, OpenFile& open);
};

// The real operations, for callers that are given none.
FileOps& SystemFiles();

// Whether ReplaceWhole hides the new file before it takes its name (see HideFile).
enum class Visibility { Shown, Hidden };

// Replaces `file` with `content` whole or not at all, whenever a kill or a power cut comes: the
// content is written and flushed under the name + ".new", which is then renamed over `file`, and
// the folder is flushed last. On a failure what is left of the ".new" file is removed before the
// error is thrown, and `file` is as it was, unless `inPlace` was called: it is called as soon as
// `file` holds the new content, before the folder is flushed, whose failure is still thrown. For
// the program's own small files only.
void ReplaceWhole(FileOps& files, const std::filesystem::path& file, std::string_view content,
                  Visibility visibility = Visibility::Shown,
                  const std::function<void()>& inPlace = {});

// Gives a file or a folder the hidden attribute, so that listings leave it out. Windows keeps that
// attribute through a rename; elsewhere a name starting with "." is what hides a file, and this
// does nothing. Throws std::filesystem::filesystem_error.
void HideFile(const std::filesystem::path& file);

// Takes the hidden attribute away again, as HideFile would give it. Throws
// std::filesystem::filesystem_error.
void UnhideFile(const std::filesystem::path& file);

}  // namespace quorrel::platform
