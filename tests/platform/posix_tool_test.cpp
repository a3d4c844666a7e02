#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "about/get_key_value.h"
#include "platform/program_starter.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

void WriteProgram(const fs::path& file, const std::string& content, bool executable = true)
{
    test::WriteFile(file, content);
    fs::permissions(file, executable ? fs::perms::owner_all : fs::perms::owner_read);
}

TEST(SystemRegistryTest, AnswersWithTheFirstSystemInformationProgramOnThePath)
{
    const test::TempFolder first;
    const test::TempFolder second;
    // Neither a file that cannot be run nor a folder is a program.
    WriteProgram(first.path() / "hardinfo", "", false);
    first.folder("hardinfo2");
    WriteProgram(second.path() / "gnome-system-monitor", "");
    WriteProgram(second.path() / "hardinfo", "");
    const std::string saved = std::getenv("PATH");
    ::setenv("PATH", (":" + first.text() + ":" + second.text()).c_str(), 1);
    const auto registry = platform::MakeSystemRegistry();
    ::setenv("PATH", saved.c_str(), 1);

    std::string tool;
    EXPECT_TRUE(GetKeyValue(*registry, platform::kHKeyLocalMachine,
                            "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", tool));
    EXPECT_EQ(tool, (second.path() / "hardinfo").string());
}

TEST(SystemProgramStarterTest, StartsAProgramWithoutWaitingAndRefusesWhatCannotRun)
{
    const test::TempFolder folder;
    platform::SystemProgramStarter starter;
    WriteProgram(folder.path() / "plain", "#!/bin/sh\n", false);
    for (const fs::path& program :
         {folder.path() / "missing", folder.path(), folder.path() / "plain"}) {
        EXPECT_THROW(starter.Shell(program.string(), 1), std::system_error) << program;
    }

    // The tool waits for a word from this test: had Shell waited for it, it would never return.
    const fs::path word = folder.path() / "word";
    const fs::path mark = folder.path() / "mark";
    ASSERT_EQ(::mkfifo(word.c_str(), 0600), 0);
    WriteProgram(folder.path() / "tool",
                 "#!/bin/sh\nread x < '" + word.string() + "'\n: > '" + mark.string() + "'\n");
    starter.Shell((folder.path() / "tool").string(), 1);
    std::ofstream(word) << "go\n";
    for (int wait = 0; wait < 100 && !fs::exists(mark); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(fs::exists(mark));
}

}  // namespace
}  // namespace quorrel
