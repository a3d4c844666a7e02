#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "platform/program_starter.h"
#include "support/temp_folder.h"
#include "windows_test_support.h"

namespace quorrel::platform {
namespace {

namespace fs = std::filesystem;

TEST(WindowsProgramStarterTest, StartsWithTheShowCommandWithoutWaiting)
{
    const test::TempFolder root;
    // A blank in the folder's name must not cut the program's name short.
    const fs::path folder = root.folder("System Tools");
    fs::copy_file(test::ShowProbeProgram(), folder / "probe.exe");

    SystemProgramStarter starter;
    starter.Shell((folder / "probe.exe").string(), ProgramStarter::kShowNormal);
    EXPECT_EQ(test::WaitForFile(folder / "show_command.txt", std::chrono::seconds(30)), "1");

    EXPECT_THROW(starter.Shell((folder / "missing.exe").string(), ProgramStarter::kShowNormal),
                 std::system_error);
    EXPECT_THROW(starter.Shell(folder.string(), ProgramStarter::kShowNormal), std::system_error);
}

}  // namespace
}  // namespace quorrel::platform
