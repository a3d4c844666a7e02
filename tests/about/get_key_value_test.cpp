#include "about/get_key_value.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/memory_registry.h"

namespace quorrel {
namespace {

constexpr const char* kKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

class GetKeyValueTest : public ::testing::Test {
protected:
    // Starts from a text that shows whether the value was written.
    bool Read()
    {
        value_ = "before";
        return GetKeyValue(registry_, platform::kHKeyLocalMachine, kKey, "PATH", value_);
    }
    void Set(std::uint32_t type, const std::string& bytes)
    {
        registry_.SetValue(platform::kHKeyLocalMachine, kKey, "PATH", type,
                           {bytes.begin(), bytes.end()});
    }

    platform::MemoryRegistry registry_;
    std::string value_;
};

TEST_F(GetKeyValueTest, AStringReadsTheSameWithOrWithoutItsNulUpToTheBuffersSize)
{
    // An ordinary user may only read HKEY_LOCAL_MACHINE.
    registry_.GrantOnly(platform::kKeyRead);
    for (const std::string& stored : {std::string("C:\\msinfo32.exe", 16), std::string(1024, 'a'),
                                      std::string("C:\\msinfo32.exe")}) {
        Set(platform::kRegSz, stored);
        EXPECT_TRUE(Read());
        EXPECT_EQ(value_, stored.c_str());
    }

    Set(platform::kRegSz, std::string(1024, 'a') + '\0');
    EXPECT_FALSE(Read());
    EXPECT_EQ(value_, "");
    EXPECT_EQ(registry_.openKeyCount(), 0u);
}

TEST_F(GetKeyValueTest, AMissingKeyOrValueGivesFalseAndAnEmptyText)
{
    EXPECT_FALSE(Read());
    EXPECT_EQ(value_, "");
    registry_.SetString(platform::kHKeyLocalMachine, kKey, "Other", "x");
    EXPECT_FALSE(Read());
    EXPECT_EQ(value_, "");
}

TEST_F(GetKeyValueTest, OtherTypesLeaveTheTextAndADwordIsItsDecimalValue)
{
    Set(platform::kRegExpandSz, std::string("%x%", 4));
    EXPECT_TRUE(Read());
    EXPECT_EQ(value_, "before");
    Set(platform::kRegDword, std::string("\x00\x01\x00\x00", 4));
    EXPECT_TRUE(Read());
    EXPECT_EQ(value_, "256");
}

TEST_F(GetKeyValueTest, AValueWithoutDataIsAnErrorThatClosesTheKey)
{
    Set(platform::kRegSz, "");
    EXPECT_THROW(Read(), std::runtime_error);
    EXPECT_EQ(registry_.openKeyCount(), 0u);

    // A lone NUL is an empty string, not an error.
    Set(platform::kRegSz, std::string(1, '\0'));
    EXPECT_TRUE(Read());
    EXPECT_EQ(value_, "");
}

}  // namespace
}  // namespace quorrel
