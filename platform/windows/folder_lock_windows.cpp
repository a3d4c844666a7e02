#include <windows.h>

#include <array>
#include <cwctype>
#include <string>

#include "platform/folder_lock.h"
#include "platform/path_text.h"
#include "platform/windows/handle.h"

namespace quorrel::platform {

namespace {

// Windows locks no folder, but a named mutex is let go of when its holder ends, however it ends.
// A shared lock takes any one of these mutexes, an exclusive one takes them all: so shared locks
// stand beside each other, up to this many, and an exclusive one stands alone.
constexpr int kSlots = 8;

// The folder's full path as the system resolves it (links, junctions and drive letters that
// name one folder give one path), in lower case, since Windows ignores case in names.
std::wstring ResolvedPath(const std::string& folder)
{
    const std::filesystem::path path = ToPath(folder);
    const windows::Handle handle(::CreateFileW(path.c_str(), 0, windows::kShareAll, nullptr,
                                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle.get() == INVALID_HANDLE_VALUE) {
        windows::Fail("Cannot open", path);
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        windows::Fail("Cannot open", path, ERROR_DIRECTORY);
    }
    // Asked again with the room the last answer named, which a path that grows meanwhile, or
    // Wine with a long path, may make larger than the first.
    std::wstring resolved(MAX_PATH, L'\0');
    for (int round = 0;; ++round) {
        const DWORD length = ::GetFinalPathNameByHandleW(handle.get(), resolved.data(),
                                                         static_cast<DWORD>(resolved.size()), 0);
        if (length > 0 && length < resolved.size()) {
            resolved.resize(length);
            break;
        }
        if (length == 0 || round == 3) {
            // Unresolved, the path as given still names the folder the same way every time.
            resolved = std::filesystem::absolute(path).lexically_normal().native();
            break;
        }
        resolved.assign(length + 1, L'\0');
    }
    for (wchar_t& c : resolved) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return resolved;
}

// A path can be longer than a mutex's name may be, so the name carries a hash of it
// (FNV-1a, 64 bits), the same in every copy of the program.
std::wstring MutexName(const std::wstring& path, int slot)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : path) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    wchar_t name[64];
    ::swprintf(name, 64, L"Local\\Quorrel-folder-%016llx-%d", static_cast<unsigned long long>(hash),
               slot);
    return name;
}

// Takes one mutex without waiting; null when another holder has it.
HANDLE TakeMutex(const std::wstring& name, const std::string& folder)
{
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) {
        windows::Fail("Cannot lock", ToPath(folder));
    }
    // WAIT_ABANDONED: its holder ended without letting go; it is ours now all the same.
    const DWORD taken = ::WaitForSingleObject(mutex, 0);
    if (taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED) {
        return mutex;
    }
    ::CloseHandle(mutex);
    return nullptr;
}

void Let(std::intptr_t mutex)
{
    ::ReleaseMutex(reinterpret_cast<HANDLE>(mutex));
    ::CloseHandle(reinterpret_cast<HANDLE>(mutex));
}

}  // namespace

std::optional<FolderLock> FolderLock::TryLock(const std::string& folder, Kind kind)
{
    const std::wstring path = ResolvedPath(folder);
    FolderLock lock(std::vector<std::intptr_t>{});  // lets go of what it took on every way out
    for (int slot = 0; slot < kSlots; ++slot) {
        if (HANDLE mutex = TakeMutex(MutexName(path, slot), folder)) {
            lock.held_.push_back(reinterpret_cast<std::intptr_t>(mutex));
            if (kind == Kind::Shared) {
                return lock;
            }
        } else if (kind == Kind::Exclusive) {
            return std::nullopt;
        }
    }
    if (kind == Kind::Shared) {
        return std::nullopt;  // every slot is taken
    }
    return lock;
}

FolderLock::~FolderLock()
{
    for (const std::intptr_t mutex : held_) {
        Let(mutex);
    }
}

}  // namespace quorrel::platform
