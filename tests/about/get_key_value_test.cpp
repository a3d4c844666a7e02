#include "about/get_key_value.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/memory_registry.h"

namespace quorrel {
namespace {

constexpr const char* kKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

// Reads PATH, starting from a text that shows whether it was written, with only the read access
// that an ordinary user has on HKEY_LOCAL_MACHINE.
bool Read(platform::MemoryRegistry& registry, std::string& value)
{
    registry.GrantOnly(platform::kKeyRead);
    value = "before";
    return GetKeyValue(registry, platform::kHKeyLocalMachine, kKey, "PATH", value);
}

TEST(GetKeyValueTest, ValuesReadUpToTheBuffersSizeWithOrWithoutTheirNul)
{
    using Case = std::tuple<std::uint32_t, std::string, bool, std::string>;
    const std::string full(1024, 'a');
    for (const auto& [type, stored, read, value] : {
             Case{platform::kRegSz, std::string("C:\\msinfo32.exe", 16), true, "C:\\msinfo32.exe"},
             Case{platform::kRegSz, "C:\\msinfo32.exe", true, "C:\\msinfo32.exe"},
             Case{platform::kRegSz, full, true, full},
             Case{platform::kRegSz, full + '\0', false, ""},  // 1025 bytes
             Case{platform::kRegSz, std::string(1, '\0'), true, ""},
             Case{platform::kRegExpandSz, std::string("%x%", 4), true, "before"},  // left alone
             Case{platform::kRegDword, std::string("\x00\x01\x00\x00", 4), true, "256"},
         }) {
        SCOPED_TRACE(testing::Message() << "type " << type << ", " << stored.size() << " bytes");
        platform::MemoryRegistry registry;
        registry.SetValue(platform::kHKeyLocalMachine, kKey, "PATH", type,
                          {stored.begin(), stored.end()});
        std::string text;
        EXPECT_EQ(Read(registry, text), read);
        EXPECT_EQ(text, value);
        EXPECT_EQ(registry.openKeyCount(), 0u);
    }
}

TEST(GetKeyValueTest, AMissingKeyIsFalseAndAValueWithoutDataEmptyWhateverItsType)
{
    platform::MemoryRegistry registry;
    std::string value;
    EXPECT_FALSE(Read(registry, value));
    EXPECT_EQ(value, "");

    for (const std::uint32_t type : {platform::kRegSz, platform::kRegExpandSz}) {
        registry.SetValue(platform::kHKeyLocalMachine, kKey, "PATH", type, {});
        EXPECT_TRUE(Read(registry, value));
        EXPECT_EQ(value, "");
        EXPECT_EQ(registry.openKeyCount(), 0u);
    }
}

}  // namespace
}  // namespace quorrel
