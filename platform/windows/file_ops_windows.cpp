#include <windows.h>

#include <array>
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

Handle CreateForWriting(const fs::path& file)
{
    Handle out(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) {
        Fail("Cannot create", file);
    }
    return out;
}

void WriteAll(HANDLE out, std::string_view content, const fs::path& file)
{
    while (!content.empty()) {
        constexpr std::size_t kLargestChunk = 1 << 20;
        const auto chunk =
            static_cast<DWORD>(content.size() < kLargestChunk ? content.size() : kLargestChunk);
        DWORD written = 0;
        if (!::WriteFile(out, content.data(), chunk, &written, nullptr)) {
            Fail("Cannot write", file);
        }
        content.remove_prefix(written);
    }
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
    const Handle out = CreateForWriting(file);
    WriteAll(out.get(), content, file);
    OpenFile open{out.get()};
    SyncFile(file, open);
}

// The source is opened once, as a plain file, and copied from that handle: a link put in its
// place after a look at its name would otherwise be followed.
void SystemFileOps::Copy(const fs::path& source, const fs::path& target)
{
    const Handle in = windows::OpenPlainFile(source, GENERIC_READ, windows::kShareAll,
                                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
    const Handle out = CreateForWriting(target);
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        DWORD count = 0;
        if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &count,
                        nullptr)) {
            Fail("Cannot read", source);
        }
        if (count == 0) {
            break;
        }
        WriteAll(out.get(), std::string_view(buffer.data(), count), target);
    }
    FILETIME accessed{};
    FILETIME modified{};
    if (!::GetFileTime(in.get(), nullptr, &accessed, &modified) ||
        !::SetFileTime(out.get(), nullptr, &accessed, &modified)) {
        Fail("Cannot set the time of", target);
    }
    OpenFile open{out.get()};
    SyncFile(target, open);
}

void SystemFileOps::Rename(const fs::path& from, const fs::path& to)
{
    if (!::MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Fail("Cannot rename", from, to);
    }
}

// Without MOVEFILE_REPLACE_EXISTING an existing name is never replaced.
void SystemFileOps::Move(const fs::path& from, const fs::path& to)
{
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        Fail("Cannot rename", from, to);
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
