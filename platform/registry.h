#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quorrel::platform {

// The registry as the program reads it: open a key, query one value into the caller's buffer,
// close. Handles are 32-bit, as the program holds them. The names of the Windows constants carry
// a "k" so that they never meet the macros of <windows.h>.
using RegistryKey = std::uint32_t;

inline constexpr RegistryKey kHKeyCurrentUser = 0x80000001;
inline constexpr RegistryKey kHKeyLocalMachine = 0x80000002;

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorMoreData = 234;

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegDword = 4;

inline constexpr std::uint32_t kKeyRead = 0x20019;

class Registry {
public:
    virtual ~Registry() = default;

    // Returns kErrorSuccess and the new key's handle in result, or an error code.
    virtual long RegOpenKeyExA(RegistryKey root, const std::string& subKey, std::uint32_t options,
                               std::uint32_t samDesired, RegistryKey& result) = 0;

    // Copies the value's data into data (size bytes of room) and sets type and size to the
    // value's type and length. A buffer too small gives kErrorMoreData; a missing value
    // kErrorFileNotFound.
    virtual long RegQueryValueExA(RegistryKey key, const std::string& valueName,
                                  std::uint32_t& type, unsigned char* data,
                                  std::uint32_t& size) = 0;

    virtual long RegCloseKey(RegistryKey key) = 0;
};

#ifdef _WIN32
// The machine's registry, through advapi32. Linux and macOS have none.
std::unique_ptr<Registry> MakeSystemRegistry();
#endif

}  // namespace quorrel::platform
