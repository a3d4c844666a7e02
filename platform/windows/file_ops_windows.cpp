#include <windows.h>

#include <system_error>

#include "platform/file_ops.h"
#include "platform/windows/handle.h"

namespace quorrel::platform {

struct OpenFile {
    HANDLE handle;
};

namespace fs = std::filesystem;
using windows::Fail;
using windows::Handle;

namespace {

[[noreturn]] void FailRename(const fs::path& from, const fs::path& to)
{
    throw fs::filesystem_error(
        "Cannot rename", from, to,
        std::error_code(static_cast<int>(::GetLastError()), std::system_category()));
}

void SetHidden(const fs::path& file, bool hidden)
{
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    const DWORD wanted = hidden ? attributes | FILE_ATTRIBUTE_HIDDEN
                                : attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
    if (attributes == INVALID_FILE_ATTRIBUTES || !::SetFileAttributesW(file.c_str(), wanted)) {
        Fail(hidden ? "Cannot hide" : "Cannot unhide", file);
    }
}

}  // namespace

void SystemFileOps::Write(const fs::path& file, std::string_view content)
{
    Handle out(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) {
        Fail("Cannot create", file);
    }
    while (!content.empty()) {
        constexpr std::size_t kLargestChunk = 1 << 20;
        const auto chunk =
            static_cast<DWORD>(content.size() < kLargestChunk ? content.size() : kLargestChunk);
        DWORD written = 0;
        if (!::WriteFile(out.get(), content.data(), chunk, &written, nullptr)) {
            Fail("Cannot write", file);
        }
        content.remove_prefix(written);
    }
    OpenFile open{out.get()};
    SyncFile(file, open);
}

void SystemFileOps::Copy(const fs::path& source, const fs::path& target)
{
    windows::RequirePlainFile(source);
    // Windows' own copy carries the last-modified time over. It reports no side, so the side is
    // found by its error: a source that cannot be read, or a target that cannot be written.
    if (!::CopyFileW(source.c_str(), target.c_str(), FALSE)) {
        const DWORD error = ::GetLastError();
        const bool reading = error == ERROR_FILE_NOT_FOUND || error == ERROR_SHARING_VIOLATION ||
                             error == ERROR_READ_FAULT;
        Fail("Cannot copy", reading ? source : target, error);
    }
    Handle out(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) {
        Fail("Cannot open", target);
    }
    OpenFile open{out.get()};
    SyncFile(target, open);
}

void SystemFileOps::Rename(const fs::path& from, const fs::path& to)
{
    if (!::MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        FailRename(from, to);
    }
}

// Without MOVEFILE_REPLACE_EXISTING an existing name is never replaced.
void SystemFileOps::RenameFolder(const fs::path& from, const fs::path& to)
{
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        FailRename(from, to);
    }
}

void SystemFileOps::SyncFile(const fs::path& file, OpenFile& open)
{
    if (!::FlushFileBuffers(open.handle)) {
        Fail("Cannot flush", file);
    }
}

void SystemFileOps::Remove(const fs::path& file)
{
    if (!::DeleteFileW(file.c_str())) {
        Fail("Cannot remove", file);
    }
}

// NTFS journals its own entries, and the renames are written through, so a folder has nothing
// of its own to flush.
void SystemFileOps::SyncFolder(const fs::path& /*folder*/) {}

void HideFile(const fs::path& file)
{
    SetHidden(file, true);
}

void UnhideFile(const fs::path& file)
{
    SetHidden(file, false);
}

}  // namespace quorrel::platform
