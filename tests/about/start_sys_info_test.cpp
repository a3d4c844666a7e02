#include "about/start_sys_info.h"

#include <gtest/gtest.h>

#include "platform/memory_registry.h"
#include "platform/path_text.h"
#include "support/fake_program_starter.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

constexpr const char* kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

class StartSysInfoTest : public ::testing::Test {
protected:
    void Set(const char* key, const char* name, const std::string& text)
    {
        registry_.SetString(platform::kHKeyLocalMachine, key, name, text);
    }
    bool Start() { return StartSysInfo(registry_, starter_); }

    test::TempFolder folder_;
    platform::MemoryRegistry registry_;
    test::RecordingProgramStarter starter_;
};

TEST_F(StartSysInfoTest, TheFullPathComesFirstAndIsStartedInANormalWindow)
{
    const std::string tool = (folder_.path() / "tool").string();
    test::WriteFile(tool, "");
    Set(kPathKey, "PATH", tool);
    Set(kFolderKey, "MSINFO", folder_.text());
    EXPECT_TRUE(Start());
    ASSERT_EQ(starter_.started.size(), 1u);
    EXPECT_EQ(starter_.started[0].program, tool);
    EXPECT_EQ(starter_.started[0].showCommand, 1);
}

TEST_F(StartSysInfoTest, WithoutTheFullPathTheToolIsLookedForInTheFolder)
{
    Set(kFolderKey, "MSINFO", folder_.text());
    EXPECT_FALSE(Start());
    // A folder of that name is not the program.
    folder_.folder("MSINFO32.EXE");
    EXPECT_FALSE(Start());
    EXPECT_TRUE(starter_.started.empty());

    const test::TempFolder other;
    test::WriteFile(other.path() / "MSINFO32.EXE", "");
    Set(kFolderKey, "MSINFO", other.text());
    EXPECT_TRUE(Start());
    ASSERT_EQ(starter_.started.size(), 1u);
    EXPECT_EQ(starter_.started[0].program, platform::JoinPath(other.text(), "MSINFO32.EXE"));
}

TEST_F(StartSysInfoTest, EveryFailureEndsInFalse)
{
    EXPECT_FALSE(Start());

    // Once the full path is read, the folder is no longer looked at.
    test::WriteFile(folder_.path() / "MSINFO32.EXE", "");
    Set(kFolderKey, "MSINFO", folder_.text());
    Set(kPathKey, "PATH", (folder_.path() / "missing.exe").string());
    EXPECT_FALSE(Start());
    // An expandable string is read as nothing, which cannot be started.
    registry_.SetValue(platform::kHKeyLocalMachine, kPathKey, "PATH", platform::kRegExpandSz,
                       {'x', 0});
    EXPECT_FALSE(Start());
    // A full path without data is an error that ends the lookup.
    registry_.SetValue(platform::kHKeyLocalMachine, kPathKey, "PATH", platform::kRegSz, {});
    EXPECT_FALSE(Start());

    EXPECT_TRUE(starter_.started.empty());
    EXPECT_EQ(registry_.openKeyCount(), 0u);
}

}  // namespace
}  // namespace quorrel
