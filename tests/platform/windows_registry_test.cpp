// The registry of a Wine prefix, read through advapi32's ANSI calls: first the platform layer,
// then the About box's lookups over it. Writing under HKEY_LOCAL_MACHINE is only for a
// throw-away prefix, so these tests skip on a Windows machine.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "about/get_key_value.h"
#include "about/start_sys_info.h"
#include "platform/file_system.h"
#include "platform/path_text.h"
#include "platform/program_starter.h"
#include "platform/registry.h"
#include "support/temp_folder.h"
#include "windows_test_support.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using platform::kHKeyLocalMachine;

class WindowsRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::RunningUnderWine()) {
            GTEST_SKIP()
                << "writes under HKEY_LOCAL_MACHINE, which only a throw-away Wine prefix allows";
        }
        key_.emplace("SOFTWARE\\Quorrel Tests " +
                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    bool Read(const std::string& valueName)
    {
        return GetKeyValue(*registry_, kHKeyLocalMachine, key_->name(), valueName, value_);
    }

    std::unique_ptr<platform::Registry> registry_ = platform::MakeSystemRegistry();
    std::optional<test::MachineKey> key_;
    std::string value_ = "before";
};

TEST_F(WindowsRegistryTest, KeysOpenQueryAndCloseThroughThirtyTwoBitHandles)
{
    key_->SetValue("PATH", platform::kRegSz, std::string_view("C:\\Tools\\info.exe\0", 18));
    platform::RegistryKey key = 0;
    ASSERT_EQ(registry_->RegOpenKeyExA(kHKeyLocalMachine, key_->name(), 0, platform::kKeyRead, key),
              platform::kErrorSuccess);

    std::array<unsigned char, 8> small{};
    std::uint32_t type = 0;
    std::uint32_t size = small.size();
    EXPECT_EQ(registry_->RegQueryValueExA(key, "PATH", type, small.data(), size),
              platform::kErrorMoreData);
    EXPECT_EQ(size, 18u) << "the length the value needs";

    std::array<unsigned char, 64> buffer{};
    size = buffer.size();
    ASSERT_EQ(registry_->RegQueryValueExA(key, "path", type, buffer.data(), size),
              platform::kErrorSuccess)
        << "value names ignore case";
    EXPECT_EQ(type, platform::kRegSz);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), size),
              std::string("C:\\Tools\\info.exe\0", 18));
    EXPECT_EQ(registry_->RegQueryValueExA(key, "MISSING", type, buffer.data(), size),
              platform::kErrorFileNotFound);

    EXPECT_EQ(registry_->RegCloseKey(key), platform::kErrorSuccess);
    EXPECT_EQ(registry_->RegCloseKey(key), platform::kErrorInvalidHandle);
    EXPECT_EQ(registry_->RegQueryValueExA(key, "PATH", type, buffer.data(), size),
              platform::kErrorInvalidHandle);
    EXPECT_EQ(registry_->RegOpenKeyExA(kHKeyLocalMachine, key_->name() + "\\Missing", 0,
                                       platform::kKeyRead, key),
              platform::kErrorFileNotFound);
}

TEST_F(WindowsRegistryTest, AStringReadsTheSameWithOrWithoutItsNul)
{
    key_->SetValue("WITH", platform::kRegSz, std::string_view("C:\\Tools\0", 9));
    key_->SetValue("WITHOUT", platform::kRegSz, "C:\\Tools");
    EXPECT_TRUE(Read("WITH"));
    EXPECT_EQ(value_, "C:\\Tools");
    value_ = "before";
    EXPECT_TRUE(Read("WITHOUT"));
    EXPECT_EQ(value_, "C:\\Tools");

    const std::optional<std::string> accent = test::InAnsiCodePage(L"\u00e9");
    if (accent) {
        const std::string folder = "C:\\Outils " + *accent + "t" + *accent;
        key_->SetValue("ANSI", platform::kRegSz, folder);
        EXPECT_TRUE(Read("ANSI"));
        EXPECT_EQ(value_, folder) << "read back in the ANSI code page";
    }
}

TEST_F(WindowsRegistryTest, AnExpandableStringLeavesTheTextAsItWas)
{
    key_->SetValue("PATH", platform::kRegExpandSz,
                   std::string_view("%ProgramFiles%\\info.exe\0", 24));
    EXPECT_TRUE(Read("PATH"));
    EXPECT_EQ(value_, "before");
}

TEST_F(WindowsRegistryTest, AValueOverTheBufferCountsAsMissing)
{
    const std::string fits(1023, 'a');  // with its NUL, exactly the 1024 bytes of the buffer
    key_->SetValue("FITS", platform::kRegSz, fits + '\0');
    key_->SetValue("LONG", platform::kRegSz, fits + "a" + '\0');
    EXPECT_TRUE(Read("FITS"));
    EXPECT_EQ(value_, fits);
    EXPECT_FALSE(Read("LONG"));
    EXPECT_EQ(value_, "");
    value_ = "before";
    EXPECT_FALSE(Read("MISSING"));
    EXPECT_EQ(value_, "");
}

// The About box's two lookups, in the keys where Windows keeps them, starting a stand-in for
// the tool that records how it was started.
TEST_F(WindowsRegistryTest, SystemInfoStartsTheToolThatTheRegistryNames)
{
    const test::TempFolder root;
    const fs::path named = root.folder("Named Tool");
    const fs::path located = root.folder("Shared Tools");
    fs::copy_file(test::ShowProbeProgram(), named / "info.exe");
    fs::copy_file(test::ShowProbeProgram(), located / "msinfo32.exe");

    test::MachineKey toolPath("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    test::MachineKey toolFolder("SOFTWARE\\Microsoft\\Shared Tools Location");
    platform::SystemProgramStarter starter;

    toolPath.SetValue("PATH", platform::kRegSz, (named / "info.exe").string() + '\0');
    toolFolder.SetValue("MSINFO", platform::kRegSz, located.string());
    EXPECT_TRUE(StartSysInfo(*registry_, starter));
    EXPECT_EQ(test::WaitForFile(named / "show_command.txt", std::chrono::seconds(30)), "1")
        << "the full path comes first, started as a normal window";

    toolPath.DeleteValue("PATH");
    EXPECT_TRUE(StartSysInfo(*registry_, starter));
    EXPECT_EQ(test::WaitForFile(located / "show_command.txt", std::chrono::seconds(30)), "1")
        << "then MSINFO32.EXE in the folder, whatever the case of its name";

    toolFolder.SetValue("MSINFO", platform::kRegSz, named.string());
    EXPECT_FALSE(StartSysInfo(*registry_, starter)) << "a folder without MSINFO32.EXE";
    toolPath.SetValue("PATH", platform::kRegExpandSz, (named / "info.exe").string() + '\0');
    EXPECT_FALSE(StartSysInfo(*registry_, starter)) << "an expandable string gives no path";
}

}  // namespace
}  // namespace quorrel
