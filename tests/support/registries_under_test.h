#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/memory_registry.h"

#ifdef _WIN32
#include "platform/code_page.h"
#include "platform/windows_test_support.h"
#endif

namespace quorrel::test {

// A registry that the registry tests store values in and read back through the program's calls.
struct RegistryUnderTest {
    const char* name;
    platform::Registry& registry;
    // Stores exactly these bytes under HKEY_LOCAL_MACHINE, a text in the registry's own
    // encoding. False, with nothing stored, when that encoding lacks one of its characters.
    std::function<bool(const std::string& key, const std::string& value, std::uint32_t type,
                       const std::string& bytes)>
        set;
    std::function<void()> clear;  // removes every value stored
};

// Runs a test on a registry held in memory, then under Wine on Wine's own, whose
// HKEY_LOCAL_MACHINE a throw-away prefix lets the tests write.
inline void OnEveryRegistry(const std::function<void(const RegistryUnderTest&)>& test)
{
    MemoryRegistry memory;
    test({"in memory", memory,
          [&memory](const std::string& key, const std::string& value, std::uint32_t type,
                    const std::string& bytes) {
              memory.SetValue(platform::kHKeyLocalMachine, key, value, type, bytes);
              return true;
          },
          [&memory] { memory.Clear(); }});
#ifdef _WIN32
    if (!RunningUnderWine()) {
        return;
    }
    const std::unique_ptr<platform::Registry> system = platform::MakeSystemRegistry();
    std::vector<std::pair<std::string, std::string>> stored;
    const auto clear = [&stored] {
        for (const auto& [key, value] : stored) {
            DeleteMachineValue(key, value);
        }
        stored.clear();
    };
    test({"Wine's", *system,
          [&stored](const std::string& key, const std::string& value, std::uint32_t type,
                    const std::string& bytes) {
              const std::optional<std::string> text =
                  type == platform::kRegDword ? std::optional(bytes) : platform::ToCodePage(bytes);
              if (text) {
                  SetMachineValue(key, value, type, *text);
                  stored.emplace_back(key, value);
              }
              return text.has_value();
          },
          clear});
    clear();
#endif
}

}  // namespace quorrel::test
