#include "about/get_key_value.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/registries_under_test.h"

namespace quorrel {
namespace {

const std::string kKey = "SOFTWARE\\Quorrel Tests";

TEST(GetKeyValueTest, ValuesAreReadUpToTheBuffersSizeWithOrWithoutTheirNul)
{
    using namespace std::string_literals;
    const std::string a1023(1023, 'a');
    struct Row {
        const char* name;
        std::uint32_t type;
        std::optional<std::string> stored;  // none: no such value
        bool read;
        std::string value;
    };
    const Row rows[] = {
        {"WithNul", platform::kRegSz, "C:\\Tools\0"s, true, "C:\\Tools"},
        {"WithoutNul", platform::kRegSz, "C:\\Tools", true, "C:\\Tools"},
        // An ANSI value comes to the program as UTF-8, which may no longer fit the buffer.
        {"Accented", platform::kRegSz, "C:\\Outils \xc3\xa9t\xc3\xa9\0"s, true,
         "C:\\Outils \xc3\xa9t\xc3\xa9"},
        {"WiderInUtf8", platform::kRegSz, a1023.substr(1) + "\xc3\xa9" + '\0', false, ""},
        {"Fits", platform::kRegSz, a1023 + '\0', true, a1023},
        {"FitsWithoutNul", platform::kRegSz, a1023 + 'a', true, a1023 + 'a'},
        {"TooLong", platform::kRegSz, a1023 + "a" + '\0', false, ""},
        {"OnlyNul", platform::kRegSz, "\0"s, true, ""},
        {"Empty", platform::kRegSz, "", true, ""},
        {"Expandable", platform::kRegExpandSz, "%ProgramFiles%\\a.exe\0"s, true, "before"},
        {"EmptyExpandable", platform::kRegExpandSz, "", true, ""},
        {"Number", platform::kRegDword, "\x2a\x01\0\0"s, true, "298"},
        {"Missing", platform::kRegSz, std::nullopt, false, ""},
    };
    std::vector<std::string> untried;
    test::OnEveryRegistry([&](const test::RegistryUnderTest& store) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << store.name << " registry, " << row.name);
            if (row.stored && !store.set(kKey, row.name, row.type, *row.stored)) {
                untried.push_back(row.name);
                continue;
            }
            std::string text = "before";
            EXPECT_EQ(
                GetKeyValue(store.registry, platform::kHKeyLocalMachine, kKey, row.name, text),
                row.read);
            EXPECT_EQ(text, row.value);
        }
        std::string text = "before";
        EXPECT_FALSE(GetKeyValue(store.registry, platform::kHKeyLocalMachine, kKey + "\\Missing",
                                 "Fits", text));
        EXPECT_EQ(text, "");

        // A key's handle is forgotten once the key is closed.
        platform::RegistryKey key = 0;
        ASSERT_EQ(store.registry.RegOpenKeyExA(platform::kHKeyLocalMachine, kKey, 0,
                                               platform::kKeyRead, key),
                  platform::kErrorSuccess);
        EXPECT_EQ(store.registry.RegCloseKey(key), platform::kErrorSuccess);
        EXPECT_EQ(store.registry.RegCloseKey(key), platform::kErrorInvalidHandle);
    });
    if (!untried.empty()) {
        GTEST_SKIP() << "the code page lacks a character of " << untried.front();
    }
}

}  // namespace
}  // namespace quorrel
