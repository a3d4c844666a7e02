#pragma once

#include <string>

#include "platform/registry.h"

namespace quorrel {

// Reads one value of the registry into KeyVal: a string as its text without the terminating NUL,
// a DWORD as the decimal text of its 32-bit value; a value of any other type leaves KeyVal as it
// was. A value that holds no data at all reads as an empty text, whatever its type. Returns
// false, with KeyVal empty, when the key cannot be opened or the value cannot be read (missing,
// or longer than 1024 bytes). Never throws.
bool GetKeyValue(platform::Registry& registry, platform::RegistryKey KeyRoot,
                 const std::string& KeyName, const std::string& SubKeyRef, std::string& KeyVal);

}  // namespace quorrel
