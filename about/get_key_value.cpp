#include "about/get_key_value.h"

#include <algorithm>
#include <array>

namespace quorrel {

namespace {

constexpr std::uint32_t kBufferSize = 1024;

// Closes the key on every way out, the error included.
class OpenKey {
public:
    OpenKey(platform::Registry& registry, platform::RegistryKey key)
        : registry_(registry), key_(key)
    {
    }
    ~OpenKey() { registry_.RegCloseKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

private:
    platform::Registry& registry_;
    platform::RegistryKey key_;
};

// Little-endian, as Windows stores a DWORD; bytes missing at the top (a trailing NUL dropped)
// count as zero.
std::string DwordText(const std::string& bytes)
{
    std::uint32_t value = 0;
    for (std::size_t index = 0; index < bytes.size() && index < 4; ++index) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[index]))
                 << (8 * index);
    }
    return std::to_string(value);
}

}  // namespace

bool GetKeyValue(platform::Registry& registry, platform::RegistryKey KeyRoot,
                 const std::string& KeyName, const std::string& SubKeyRef, std::string& KeyVal)
{
    // Read access is all that is needed, and all that an ordinary user gets on
    // HKEY_LOCAL_MACHINE: asking for more makes the open fail.
    platform::RegistryKey hKey = 0;
    if (registry.RegOpenKeyExA(KeyRoot, KeyName, 0, platform::kKeyRead, hKey) !=
        platform::kErrorSuccess) {
        KeyVal.clear();
        return false;
    }
    const OpenKey closer(registry, hKey);

    std::array<unsigned char, kBufferSize> buffer{};
    std::uint32_t size = kBufferSize;
    std::uint32_t type = 0;
    if (registry.RegQueryValueExA(hKey, SubKeyRef, type, buffer.data(), size) !=
        platform::kErrorSuccess) {
        KeyVal.clear();
        return false;
    }

    // No data gives no path: the caller's start then fails as for any unusable path.
    if (size == 0) {
        KeyVal.clear();
        return true;
    }
    std::string data(reinterpret_cast<const char*>(buffer.data()), std::min(size, kBufferSize));
    if (data.back() == '\0') {
        data.pop_back();
    }

    switch (type) {
        case platform::kRegSz:
            KeyVal = data;
            break;
        case platform::kRegDword:
            KeyVal = DwordText(data);
            break;
        default:
            break;
    }
    return true;
}

}  // namespace quorrel
