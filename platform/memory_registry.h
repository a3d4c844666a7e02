#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace quorrel::platform {

// A registry held in memory, answering as advapi32 does: key paths and value names ignore letter
// case, a value's bytes come back exactly as stored (with or without a terminating NUL), a buffer
// too small gives kErrorMoreData with the length needed. Tests fill it; on Linux and macOS it is
// the machine's registry too.
class MemoryRegistry final : public Registry {
public:
    // Stores a value, creating its key and the keys above it.
    void SetValue(RegistryKey root, const std::string& subKey, const std::string& valueName,
                  std::uint32_t type, std::vector<unsigned char> data);

    // A REG_SZ value, stored with its terminating NUL unless told otherwise.
    void SetString(RegistryKey root, const std::string& subKey, const std::string& valueName,
                   const std::string& text, bool withTerminatingNul = true);

    // The access an ordinary user has; opening with more is refused, as Windows refuses write
    // access to HKEY_LOCAL_MACHINE. Everything is granted until this is called.
    void GrantOnly(std::uint32_t accessMask) { granted_ = accessMask; }

    // Keys opened and not yet closed.
    std::size_t openKeyCount() const { return open_.size(); }

    long RegOpenKeyExA(RegistryKey root, const std::string& subKey, std::uint32_t options,
                       std::uint32_t samDesired, RegistryKey& result) override;
    long RegQueryValueExA(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                          unsigned char* data, std::uint32_t& size) override;
    long RegCloseKey(RegistryKey key) override;

private:
    struct Value {
        std::uint32_t type;
        std::vector<unsigned char> data;
    };

    // The key's full name in lower case, its root written first: "80000002\software\...".
    bool FullName(RegistryKey root, const std::string& subKey, std::string& name) const;

    std::set<std::string> keys_;
    std::map<std::pair<std::string, std::string>, Value> values_;
    std::map<RegistryKey, std::string> open_;
    RegistryKey next_ = 1;
    std::uint32_t granted_ = 0xFFFFFFFF;
};

}  // namespace quorrel::platform
