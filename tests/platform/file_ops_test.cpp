#include "platform/file_ops.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

TEST(FileOpsTest, CopyReplacesTheTargetWithTheSourceAndItsExactTime)
{
    const test::TempFolder root;
    const fs::path source = root.path() / "Hero.d2s";
    const fs::path target = root.path() / "copy.d2s";
    WriteFile(source, std::string(200000, 'n'));
    WriteFile(target, "an older and different copy");
    // A time with a fraction of a second, as the file system keeps it.
    const auto stamp =
        fs::last_write_time(source) - std::chrono::hours(30) + std::chrono::microseconds(123457);
    fs::last_write_time(source, stamp);

    SystemFiles().Copy(source, target);
    EXPECT_EQ(ReadFile(target), ReadFile(source));
    EXPECT_EQ(fs::last_write_time(target), fs::last_write_time(source));

    EXPECT_THROW(SystemFiles().Copy(root.path() / "gone", target), fs::filesystem_error);
    EXPECT_THROW(SystemFiles().Copy(root.folder("a folder"), target), fs::filesystem_error);
    // A failure to write names the file being written, not the one read.
    std::vector<fs::path> unwritable{root.path() / "missing" / "copy"};
    if (fs::exists("/dev/full")) {
        unwritable.push_back("/dev/full");
    }
    for (const fs::path& written : unwritable) {
        try {
            SystemFiles().Copy(source, written);
            ADD_FAILURE() << written << " went unreported";
        } catch (const fs::filesystem_error& error) {
            EXPECT_EQ(error.path1(), written);
        }
    }
}

TEST(FileOpsTest, WriteRenameAndRemoveReplaceWholeFiles)
{
    const test::TempFolder root;
    const fs::path file = root.path() / "Settings.ini";
    WriteFile(file, "a much longer old content");
    SystemFiles().Write(root.path() / "new", "short");
    SystemFiles().Rename(root.path() / "new", file);
    SystemFiles().SyncFolder(root.path());
    EXPECT_EQ(ReadFile(file), "short");
    EXPECT_FALSE(fs::exists(root.path() / "new"));

    SystemFiles().Remove(file);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_THROW(SystemFiles().Remove(file), fs::filesystem_error);
    EXPECT_THROW(SystemFiles().Rename(file, root.path() / "x"), fs::filesystem_error);
}

}  // namespace
}  // namespace quorrel::platform
