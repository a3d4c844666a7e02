// The registry of a Wine prefix read through advapi32's ANSI calls, and the system-information
// tool that it names started as a program. Writing under HKEY_LOCAL_MACHINE is only for a
// throw-away prefix, so these tests skip on a Windows machine.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>

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

const std::string kTestKey = "SOFTWARE\\Quorrel Tests";
const std::string kToolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

class WindowsRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::RunningUnderWine()) {
            GTEST_SKIP() << "writes under HKEY_LOCAL_MACHINE, which only a Wine prefix allows";
        }
    }
    void TearDown() override
    {
        if (!test::RunningUnderWine()) {
            return;
        }
        test::DeleteMachineKey(kTestKey);
        test::DeleteMachineValue(kToolPathKey, "PATH");
        test::DeleteMachineValue(kToolFolderKey, "MSINFO");
    }

    std::unique_ptr<platform::Registry> registry_ = platform::MakeSystemRegistry();
};

TEST_F(WindowsRegistryTest, GetKeyValueReadsStringsAndNumbersThatFitItsBuffer)
{
    const std::string fits(1023, 'a');  // with its NUL, exactly the 1024 bytes of the buffer
    // An ANSI value comes to the program as UTF-8, which may no longer fit the buffer.
    const bool cp1252 = test::AnsiCodePage() == 1252;
    const std::string e = cp1252 ? "\xe9" : "e";
    const std::string utf8E = cp1252 ? "\xc3\xa9" : "e";
    const std::tuple<const char*, std::uint32_t, std::string, bool, std::string> values[] = {
        {"WithNul", platform::kRegSz, {"C:\\Tools\0", 9}, true, "C:\\Tools"},
        {"WithoutNul", platform::kRegSz, "C:\\Tools", true, "C:\\Tools"},
        {"Ansi", platform::kRegSz, "C:\\Outils " + e + "t" + e, true,
         "C:\\Outils " + utf8E + "t" + utf8E},
        {"WiderInUtf8", platform::kRegSz, fits.substr(1) + e + '\0', !cp1252,
         cp1252 ? "" : fits.substr(1) + e},
        {"Expandable", platform::kRegExpandSz, {"%ProgramFiles%\\a.exe\0", 21}, true, "before"},
        {"Number", platform::kRegDword, {"\x2a\x01\0\0", 4}, true, "298"},
        {"Fits", platform::kRegSz, fits + '\0', true, fits},
        {"TooLong", platform::kRegSz, fits + "a" + '\0', false, ""},
        {"Missing", platform::kRegSz, "", false, ""},
    };
    for (const auto& [name, type, bytes, found, value] : values) {
        if (!bytes.empty()) {
            test::SetMachineValue(kTestKey, name, type, bytes);
        }
        std::string read = "before";
        EXPECT_EQ(GetKeyValue(*registry_, kHKeyLocalMachine, kTestKey, name, read), found) << name;
        EXPECT_EQ(read, value) << name;
    }
    std::string read = "before";
    EXPECT_FALSE(GetKeyValue(*registry_, kHKeyLocalMachine, kTestKey + "\\Missing", "Fits", read));
    EXPECT_EQ(read, "");

    // The program's 32-bit number for an open key is forgotten once the key is closed.
    platform::RegistryKey key = 0;
    ASSERT_EQ(registry_->RegOpenKeyExA(kHKeyLocalMachine, kTestKey, 0, platform::kKeyRead, key),
              platform::kErrorSuccess);
    EXPECT_EQ(registry_->RegCloseKey(key), platform::kErrorSuccess);
    EXPECT_EQ(registry_->RegCloseKey(key), platform::kErrorInvalidHandle);
}

// A stand-in for the tool records the show command it was started with beside itself.
TEST_F(WindowsRegistryTest, SystemInfoStartsTheToolThatTheRegistryNamesAsANormalWindow)
{
    const fs::path probe =
        platform::ToPath(platform::JoinPath(test::ProgramDirectory(), "quorrel_show_probe.exe"));
    const test::TempFolder root;
    // Blanks in the folders' names must not cut the program's name short.
    const fs::path named = root.folder("Named Tool");
    const fs::path located = root.folder("Shared Tools");
    fs::copy_file(probe, named / "info.exe");
    fs::copy_file(probe, located / "msinfo32.exe");

    const std::string info = (named / "info.exe").string();
    const std::tuple<std::string, std::uint32_t, fs::path, fs::path> cases[] = {
        {info + '\0', platform::kRegSz, located, named},  // the full path comes first
        {"", platform::kRegSz, located, located},         // then MSINFO32.EXE, in any case
        {"", platform::kRegSz, named, {}},                // a folder without MSINFO32.EXE
        // Once the full path is read, the folder is no longer looked at: a path that names no
        // program, or a folder, an expandable string (read as nothing) and an empty string.
        {(named / "missing.exe").string(), platform::kRegSz, located, {}},
        {named.string(), platform::kRegSz, located, {}},
        {info + '\0', platform::kRegExpandSz, located, {}},
        {std::string(1, '\0'), platform::kRegSz, located, {}},
    };
    platform::SystemProgramStarter starter;
    for (const auto& [path, type, folder, started] : cases) {
        if (path.empty()) {
            test::DeleteMachineValue(kToolPathKey, "PATH");
        } else {
            test::SetMachineValue(kToolPathKey, "Path", type, path);
        }
        test::SetMachineValue(kToolFolderKey, "MsInfo", platform::kRegSz, folder.string());
        if (started.empty()) {
            EXPECT_ANY_THROW(StartSysInfo(*registry_, starter)) << path;
        } else {
            EXPECT_NO_THROW(StartSysInfo(*registry_, starter)) << path;
        }
        std::string shown;  // the started program writes it in its own time
        for (int tries = 0; !started.empty() && shown.empty() && tries < 1500; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            shown = test::ReadFile(started / "show_command.txt");
        }
        EXPECT_EQ(shown, started.empty() ? "" : "1") << path;
    }
}

}  // namespace
}  // namespace quorrel
