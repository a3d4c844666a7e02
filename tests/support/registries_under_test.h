#pragma once

#include <memory>
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
class RegistryUnderTest {
public:
    virtual ~RegistryUnderTest() = default;
    virtual const char* name() const = 0;
    virtual platform::Registry& registry() = 0;

    // Stores exactly these bytes under HKEY_LOCAL_MACHINE, a text in the registry's own
    // encoding. False, with nothing stored, when that encoding lacks one of its characters.
    virtual bool Set(const std::string& key, const std::string& value, std::uint32_t type,
                     const std::string& bytes) = 0;

    // Removes every value stored so far.
    virtual void Clear() = 0;
};

class InMemory final : public RegistryUnderTest {
public:
    const char* name() const override { return "in memory"; }
    platform::Registry& registry() override { return memory; }
    bool Set(const std::string& key, const std::string& value, std::uint32_t type,
             const std::string& bytes) override
    {
        memory.SetValue(platform::kHKeyLocalMachine, key, value, type, bytes);
        return true;
    }
    void Clear() override { memory = MemoryRegistry(); }

    MemoryRegistry memory;
};

#ifdef _WIN32
// The machine's own registry, read through advapi32's ANSI calls. Only a throw-away Wine prefix
// lets the tests write under HKEY_LOCAL_MACHINE.
class InWine final : public RegistryUnderTest {
public:
    ~InWine() override { Clear(); }
    const char* name() const override { return "Wine's"; }
    platform::Registry& registry() override { return *system_; }
    bool Set(const std::string& key, const std::string& value, std::uint32_t type,
             const std::string& bytes) override
    {
        const std::optional<std::string> text =
            type == platform::kRegDword ? std::optional(bytes) : platform::ToCodePage(bytes);
        if (text) {
            SetMachineValue(key, value, type, *text);
            stored_.emplace_back(key, value);
        }
        return text.has_value();
    }
    void Clear() override
    {
        for (const auto& [key, value] : stored_) {
            DeleteMachineValue(key, value);
        }
        stored_.clear();
    }

private:
    std::unique_ptr<platform::Registry> system_ = platform::MakeSystemRegistry();
    std::vector<std::pair<std::string, std::string>> stored_;
};
#endif

// A registry in memory everywhere, and Wine's own when the tests run under Wine.
inline std::vector<std::unique_ptr<RegistryUnderTest>> RegistriesUnderTest()
{
    std::vector<std::unique_ptr<RegistryUnderTest>> registries;
    registries.push_back(std::make_unique<InMemory>());
#ifdef _WIN32
    if (RunningUnderWine()) {
        registries.push_back(std::make_unique<InWine>());
    }
#endif
    return registries;
}

}  // namespace quorrel::test
