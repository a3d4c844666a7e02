#include "platform/file_prefix.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::WriteFile;

TEST(FilePrefixTest, ReadsAtMostTheLimitAndLessOfAShorterFile)
{
    TempFolder folder;
    const fs::path file = folder.path() / "Hero.d2s";
    const std::string content = std::string(70000, 'a') + "end";
    WriteFile(file, content);
    EXPECT_EQ(ReadFilePrefix(file, 315), content.substr(0, 315));
    EXPECT_EQ(ReadFilePrefix(file, content.size() + 10), content);
    EXPECT_EQ(ReadFilePrefix(file, 0), "");
    WriteFile(file, "");
    EXPECT_EQ(ReadFilePrefix(file, 315), "");
}

TEST(FilePrefixTest, RefusesWhatIsNoPlainFileWithoutWaiting)
{
    TempFolder folder;
    EXPECT_THROW(ReadFilePrefix(folder.path() / "missing.d2s", 315), fs::filesystem_error);
    EXPECT_THROW(ReadFilePrefix(folder.folder("Sub.d2s"), 315), fs::filesystem_error);
#ifndef _WIN32
    WriteFile(folder.path() / "Real.d2s", "real");
    fs::create_symlink(folder.path() / "Real.d2s", folder.path() / "Link.d2s");
    EXPECT_THROW(ReadFilePrefix(folder.path() / "Link.d2s", 315), fs::filesystem_error);
    // A FIFO with no writer: opening it for reading in the usual way would wait forever.
    ASSERT_EQ(::mkfifo((folder.path() / "Fifo.d2s").c_str(), 0600), 0);
    EXPECT_THROW(ReadFilePrefix(folder.path() / "Fifo.d2s", 315), fs::filesystem_error);
#endif
}

}  // namespace
}  // namespace quorrel::platform
