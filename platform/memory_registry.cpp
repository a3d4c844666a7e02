#include "platform/memory_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace quorrel::platform {

namespace {

bool IsRoot(RegistryKey key)
{
    return key >= 0x80000000u;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool MemoryRegistry::FullName(RegistryKey root, const std::string& subKey, std::string& name) const
{
    if (IsRoot(root)) {
        name = std::to_string(root);
    } else {
        const auto found = open_.find(root);
        if (found == open_.end()) {
            return false;
        }
        name = found->second;
    }
    // Windows takes no notice of a separator at either end of the path.
    std::string path = subKey;
    while (!path.empty() && path.front() == '\\') {
        path.erase(path.begin());
    }
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    if (!path.empty()) {
        name += "\\" + Lower(path);
    }
    return true;
}

void MemoryRegistry::SetValue(RegistryKey root, const std::string& subKey,
                              const std::string& valueName, std::uint32_t type,
                              std::vector<unsigned char> data)
{
    std::string name;
    if (!FullName(root, subKey, name)) {
        return;
    }
    for (std::size_t end = name.find('\\'); end != std::string::npos;
         end = name.find('\\', end + 1)) {
        keys_.insert(name.substr(0, end));
    }
    keys_.insert(name);
    values_[{name, Lower(valueName)}] = Value{type, std::move(data)};
}

void MemoryRegistry::SetString(RegistryKey root, const std::string& subKey,
                               const std::string& valueName, const std::string& text,
                               bool withTerminatingNul)
{
    std::vector<unsigned char> data(text.begin(), text.end());
    if (withTerminatingNul) {
        data.push_back(0);
    }
    SetValue(root, subKey, valueName, kRegSz, std::move(data));
}

long MemoryRegistry::RegOpenKeyExA(RegistryKey root, const std::string& subKey,
                                   std::uint32_t /*options*/, std::uint32_t samDesired,
                                   RegistryKey& result)
{
    std::string name;
    if (!FullName(root, subKey, name)) {
        return kErrorInvalidHandle;
    }
    if (!keys_.contains(name)) {
        return kErrorFileNotFound;
    }
    if ((samDesired & ~granted_) != 0) {
        return kErrorAccessDenied;
    }
    result = next_++;
    open_.emplace(result, name);
    return kErrorSuccess;
}

long MemoryRegistry::RegQueryValueExA(RegistryKey key, const std::string& valueName,
                                      std::uint32_t& type, unsigned char* data, std::uint32_t& size)
{
    const auto key_found = open_.find(key);
    if (key_found == open_.end()) {
        return kErrorInvalidHandle;
    }
    const auto found = values_.find({key_found->second, Lower(valueName)});
    if (found == values_.end()) {
        return kErrorFileNotFound;
    }
    const Value& value = found->second;
    const auto length = static_cast<std::uint32_t>(value.data.size());
    type = value.type;
    // Without a buffer the caller only asks for the length.
    if (data != nullptr && size < length) {
        size = length;
        return kErrorMoreData;
    }
    if (data != nullptr && length > 0) {
        std::memcpy(data, value.data.data(), length);
    }
    size = length;
    return kErrorSuccess;
}

long MemoryRegistry::RegCloseKey(RegistryKey key)
{
    if (open_.erase(key) == 0) {
        return IsRoot(key) ? kErrorSuccess : kErrorInvalidHandle;
    }
    return kErrorSuccess;
}

}  // namespace quorrel::platform
