#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/registry.h"

namespace quorrel::test {

// A registry held in memory, answering as advapi32 does for an ordinary user: bytes come back as
// stored, a buffer too small gives kErrorMoreData, a key opened for more than reading is refused;
// every key opens, and must be closed again.
class MemoryRegistry final : public platform::Registry {
public:
    ~MemoryRegistry() override { EXPECT_TRUE(open_.empty()) << "a registry key was left open"; }

    // Stores a value, or removes it (none).
    void Set(platform::RegistryKey root, const std::string& key, const std::string& name,
             std::uint32_t type, const std::optional<std::string>& bytes)
    {
        const Place place{std::to_string(root) + '\\' + key, name};
        if (bytes) {
            values_[place] = {type, *bytes};
        } else {
            values_.erase(place);
        }
    }

    long RegOpenKeyExA(platform::RegistryKey root, const std::string& subKey, std::uint32_t,
                       std::uint32_t samDesired, platform::RegistryKey& result) override
    {
        if ((samDesired & ~platform::kKeyRead) != 0) {
            return platform::kErrorAccessDenied;
        }
        result = ++last_;
        open_[result] = std::to_string(root) + '\\' + subKey;
        return platform::kErrorSuccess;
    }

    long RegQueryValueExA(platform::RegistryKey key, const std::string& name, std::uint32_t& type,
                          unsigned char* data, std::uint32_t& size) override
    {
        const auto found = values_.find({open_.at(key), name});
        if (found == values_.end()) {
            return platform::kErrorFileNotFound;
        }
        const auto& [valueType, bytes] = found->second;
        const bool fits = size >= bytes.size();
        std::copy_n(bytes.begin(), fits ? bytes.size() : 0, data);
        type = valueType;
        size = static_cast<std::uint32_t>(bytes.size());
        return fits ? platform::kErrorSuccess : platform::kErrorMoreData;
    }

    long RegCloseKey(platform::RegistryKey key) override
    {
        return open_.erase(key) == 1 ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
    }

private:
    using Place = std::pair<std::string, std::string>;  // a key's path after its root, a name
    std::map<Place, std::pair<std::uint32_t, std::string>> values_;
    std::map<platform::RegistryKey, std::string> open_;
    platform::RegistryKey last_ = 0;
};

}  // namespace quorrel::test
