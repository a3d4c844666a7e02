#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace quorrel {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

class SettingsFileTest : public ::testing::Test {
protected:
    bool Read(const std::string& content)
    {
        WriteFile(file_, content);
        return ReadSettingsFile(state_, file_.string());
    }

    TempFolder folder_;
    std::filesystem::path file_ = folder_.path() / "Settings.ini";
    Module1 state_;
};

TEST_F(SettingsFileTest, LinesEndAtCarriageReturnsOnly)
{
    EXPECT_TRUE(Read(" D:\\Games\\save \r\nD:\\History\r\n60\r\nignored fourth\r\n"));
    EXPECT_EQ(state_.SaveGameDir, " D:\\Games\\save ");
    EXPECT_EQ(state_.SnapshotDir, "D:\\History");
    EXPECT_EQ(state_.RefreshTime, "60");

    EXPECT_TRUE(Read("a\rb\r\n\r\n")) << "a bare CR ends a line; an empty third line is a line";
    EXPECT_EQ(state_.SaveGameDir, "a");
    EXPECT_EQ(state_.SnapshotDir, "b");
    EXPECT_EQ(state_.RefreshTime, "");

    EXPECT_TRUE(Read("x\r\ny\r\n45")) << "the last line may end at the end of the file";
    EXPECT_EQ(state_.RefreshTime, "45");
}

TEST_F(SettingsFileTest, ShortFilesFailKeepingWhatWasRead)
{
    state_.RefreshTime = "old";
    EXPECT_FALSE(Read("first\r\nsecond\r\n"));
    EXPECT_EQ(state_.SaveGameDir, "first");
    EXPECT_EQ(state_.SnapshotDir, "second");
    EXPECT_EQ(state_.RefreshTime, "old");

    EXPECT_FALSE(Read("one\ntwo\nthree\n")) << "line feeds alone are ordinary characters";
    EXPECT_EQ(state_.SaveGameDir, "one\ntwo\nthree\n");

    EXPECT_FALSE(ReadSettingsFile(state_, (folder_.path() / "missing.ini").string()));
}

TEST_F(SettingsFileTest, WriteReplacesTheWholeFileAndReadsBack)
{
    WriteFile(file_, "a much longer first line\r\nsecond\r\nthird\r\nfourth\r\n");
    Module1 written;
    written.SaveGameDir = " C:\\save ";
    written.SnapshotDir = "C:\\";
    written.RefreshTime = "2.5";
    WriteSettingsFile(written, file_.string());

    EXPECT_EQ(ReadFile(file_), " C:\\save \r\nC:\\\r\n2.5\r\n");
    EXPECT_TRUE(ReadSettingsFile(state_, file_.string()));
    EXPECT_EQ(state_.SaveGameDir, written.SaveGameDir);
    EXPECT_EQ(state_.SnapshotDir, written.SnapshotDir);
    EXPECT_EQ(state_.RefreshTime, written.RefreshTime);
}

TEST_F(SettingsFileTest, FailedWriteLeavesTheOldFileWhole)
{
    WriteFile(file_, "old\r\nold\r\n60\r\n");
    // A folder where the temporary file must go makes the write fail, even for root.
    std::filesystem::create_directory(folder_.path() / "Settings.ini.new");
    Module1 written;
    written.SaveGameDir = "new";
    EXPECT_THROW(WriteSettingsFile(written, file_.string()), std::runtime_error);
    EXPECT_EQ(ReadFile(file_), "old\r\nold\r\n60\r\n");
}

}  // namespace
}  // namespace quorrel
