#include <windows.h>

#include <algorithm>
#include <map>

#include "platform/code_page.h"
#include "platform/registry.h"

namespace quorrel::platform {

namespace {

// The program holds keys as 32-bit numbers. The predefined roots (0x80000000 and up) are
// sign-extended into Windows' handles; every opened key gets a number of its own here, so a
// 64-bit handle is never cut short.
class WindowsRegistry final : public Registry {
public:
    ~WindowsRegistry() override
    {
        for (const auto& entry : open_) {
            ::RegCloseKey(entry.second);
        }
    }

    long RegOpenKeyExA(RegistryKey root, const std::string& subKey, std::uint32_t options,
                       std::uint32_t samDesired, RegistryKey& result) override
    {
        HKEY parent = nullptr;
        if (!Find(root, parent)) {
            return kErrorInvalidHandle;
        }
        HKEY opened = nullptr;
        const LONG status = ::RegOpenKeyExA(parent, subKey.c_str(), options, samDesired, &opened);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        result = next_++;
        open_.emplace(result, opened);
        return kErrorSuccess;
    }

    long RegQueryValueExA(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                          unsigned char* data, std::uint32_t& size) override
    {
        HKEY handle = nullptr;
        if (!Find(key, handle)) {
            return kErrorInvalidHandle;
        }
        DWORD valueType = 0;
        const std::uint32_t capacity = size;
        DWORD length = size;
        const LONG status =
            ::RegQueryValueExA(handle, valueName.c_str(), nullptr, &valueType, data, &length);
        type = valueType;
        size = length;
        if (status == ERROR_SUCCESS && data != nullptr &&
            (valueType == REG_SZ || valueType == REG_EXPAND_SZ)) {
            return ToProgramText(data, size, capacity);
        }
        return status;
    }

    long RegCloseKey(RegistryKey key) override
    {
        const auto found = open_.find(key);
        if (found == open_.end()) {
            return IsRoot(key) ? kErrorSuccess : kErrorInvalidHandle;
        }
        const LONG status = ::RegCloseKey(found->second);
        open_.erase(found);
        return status;
    }

private:
    // The ANSI function gives text in the code page; the program's text is UTF-8, which may take
    // more bytes than the caller gave.
    static long ToProgramText(unsigned char* data, std::uint32_t& size, std::uint32_t capacity)
    {
        const std::string text =
            FromCodePage(std::string_view(reinterpret_cast<const char*>(data), size));
        size = static_cast<std::uint32_t>(text.size());
        if (text.size() > capacity) {
            return ERROR_MORE_DATA;
        }
        std::copy(text.begin(), text.end(), data);
        return kErrorSuccess;
    }

    static bool IsRoot(RegistryKey key) { return key >= 0x80000000u && key <= 0x80000006u; }

    bool Find(RegistryKey key, HKEY& handle) const
    {
        if (IsRoot(key)) {
            handle = reinterpret_cast<HKEY>(
                static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<std::int32_t>(key))));
            return true;
        }
        const auto found = open_.find(key);
        if (found == open_.end()) {
            return false;
        }
        handle = found->second;
        return true;
    }

    std::map<RegistryKey, HKEY> open_;
    RegistryKey next_ = 1;
};

}  // namespace

std::unique_ptr<Registry> MakeSystemRegistry()
{
    return std::make_unique<WindowsRegistry>();
}

}  // namespace quorrel::platform
