#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/registry.h"

namespace quorrel::test {

// A registry held in memory, answering as advapi32 does for an ordinary user: key paths and value
// names ignore letter case, a value's bytes come back exactly as stored (with or without a
// terminating NUL), a buffer too small gives kErrorMoreData with the length needed, and opening
// a key for more than reading is refused. Every key opened must be closed again.
class MemoryRegistry final : public platform::Registry {
public:
    MemoryRegistry() = default;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;
    ~MemoryRegistry() override { EXPECT_TRUE(open_.empty()) << "a registry key was left open"; }

    // Stores a value, creating its key and the keys above it.
    void SetValue(platform::RegistryKey root, const std::string& subKey,
                  const std::string& valueName, std::uint32_t type, std::string bytes)
    {
        const std::string key = Name(root, subKey);
        for (std::size_t end = key.find('\\'); end != std::string::npos;
             end = key.find('\\', end + 1)) {
            keys_.insert(key.substr(0, end));
        }
        keys_.insert(key);
        values_[{key, Lower(valueName)}] = {type, std::move(bytes)};
    }

    // A REG_SZ value, stored with its terminating NUL.
    void SetString(platform::RegistryKey root, const std::string& subKey,
                   const std::string& valueName, const std::string& text)
    {
        SetValue(root, subKey, valueName, platform::kRegSz, text + '\0');
    }

    void Clear()
    {
        keys_.clear();
        values_.clear();
    }

    long RegOpenKeyExA(platform::RegistryKey root, const std::string& subKey,
                       std::uint32_t /*options*/, std::uint32_t samDesired,
                       platform::RegistryKey& result) override
    {
        const std::string key = Name(root, subKey);
        if (!keys_.contains(key)) {
            return platform::kErrorFileNotFound;
        }
        if ((samDesired & ~platform::kKeyRead) != 0) {
            return platform::kErrorAccessDenied;
        }
        result = next_++;
        open_.emplace(result, key);
        return platform::kErrorSuccess;
    }

    long RegQueryValueExA(platform::RegistryKey key, const std::string& valueName,
                          std::uint32_t& type, unsigned char* data, std::uint32_t& size) override
    {
        const auto open = open_.find(key);
        if (open == open_.end()) {
            return platform::kErrorInvalidHandle;
        }
        const auto found = values_.find({open->second, Lower(valueName)});
        if (found == values_.end()) {
            return platform::kErrorFileNotFound;
        }
        const auto& [valueType, bytes] = found->second;
        type = valueType;
        // Without a buffer the caller only asks for the length.
        const bool fits = data == nullptr || size >= bytes.size();
        if (data != nullptr && fits) {
            std::copy(bytes.begin(), bytes.end(), data);
        }
        size = static_cast<std::uint32_t>(bytes.size());
        return fits ? platform::kErrorSuccess : platform::kErrorMoreData;
    }

    long RegCloseKey(platform::RegistryKey key) override
    {
        return open_.erase(key) == 1 ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
    }

private:
    static std::string Lower(std::string text)
    {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }

    // The key's full name in lower case, its root written first: "2147483650\software\...".
    static std::string Name(platform::RegistryKey root, const std::string& subKey)
    {
        return std::to_string(root) + "\\" + Lower(subKey);
    }

    std::set<std::string> keys_;
    std::map<std::pair<std::string, std::string>, std::pair<std::uint32_t, std::string>> values_;
    std::map<platform::RegistryKey, std::string> open_;
    platform::RegistryKey next_ = 1;
};

}  // namespace quorrel::test
