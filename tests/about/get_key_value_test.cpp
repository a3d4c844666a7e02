#include "about/get_key_value.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/memory_registry.h"

namespace quorrel {
namespace {

TEST(GetKeyValueTest, ValuesAreReadUpToTheBuffersSizeWithOrWithoutTheirNul)
{
    constexpr const char* kKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    const std::string full(1024, 'a');
    // The value's type (0: no key at all) and bytes; whether it is read, and as what.
    using Case = std::tuple<std::uint32_t, std::string, bool, std::string>;
    for (const auto& [type, stored, read, value] : {
             Case{platform::kRegSz, std::string("C:\\msinfo32.exe", 16), true, "C:\\msinfo32.exe"},
             Case{platform::kRegSz, "C:\\msinfo32.exe", true, "C:\\msinfo32.exe"},
             Case{platform::kRegSz, full, true, full},
             Case{platform::kRegSz, full + '\0', false, ""},  // 1025 bytes
             Case{platform::kRegSz, std::string(1, '\0'), true, ""},
             Case{platform::kRegSz, "", true, ""},
             Case{platform::kRegExpandSz, "", true, ""},
             Case{platform::kRegExpandSz, std::string("%x%", 4), true, "before"},  // left alone
             Case{platform::kRegDword, std::string("\x00\x01\x00\x00", 4), true, "256"},
             Case{0, "", false, ""},
         }) {
        SCOPED_TRACE(testing::Message() << "type " << type << ", " << stored.size() << " bytes");
        platform::MemoryRegistry registry;
        if (type != 0) {
            registry.SetValue(platform::kHKeyLocalMachine, kKey, "PATH", type,
                              {stored.begin(), stored.end()});
        }
        // Only the read access that an ordinary user has on HKEY_LOCAL_MACHINE.
        registry.GrantOnly(platform::kKeyRead);
        std::string text = "before";
        EXPECT_EQ(GetKeyValue(registry, platform::kHKeyLocalMachine, kKey, "PATH", text), read);
        EXPECT_EQ(text, value);
        EXPECT_EQ(registry.openKeyCount(), 0u);
    }
}

}  // namespace
}  // namespace quorrel
