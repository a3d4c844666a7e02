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
    // Whether the file reads as a whole.
    bool Read(const std::string& content)
    {
        WriteFile(file_, content);
        try {
            ReadSettingsFile(state_, file_.string());
            return true;
        } catch (const std::runtime_error&) {
            return false;
        }
    }

    TempFolder folder_;
    std::filesystem::path file_ = folder_.path() / "Settings.ini";
    Settings state_;
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

    EXPECT_THROW(ReadSettingsFile(state_, (folder_.path() / "missing.ini").string()),
                 std::system_error);
}

TEST_F(SettingsFileTest, OverlongLinesAndNulsMakeTheFileInvalid)
{
    const std::string longest(32 * 1024, 'a');
    EXPECT_TRUE(Read(longest + "\r\nb\r\n60\r\n")) << "32 KiB is the most a line may hold";
    EXPECT_EQ(state_.SaveGameDir, longest);

    state_ = Settings{};
    EXPECT_FALSE(Read("a\r\n" + std::string(40 * 1024, 'b') + "\r\n60\r\n"));
    EXPECT_EQ(state_.SaveGameDir, "a");
    EXPECT_EQ(state_.SnapshotDir, "") << "the overlong line is not taken";

    using namespace std::string_literals;
    EXPECT_FALSE(Read("D:\\save\0x\r\nD:\\History\r\n60\r\n"s))
        << "a NUL would cut the folder short";
    EXPECT_FALSE(Read("a\r\nb\r\n6\0"s));
}

TEST_F(SettingsFileTest, WriteReplacesTheWholeFileAndReadsBack)
{
    WriteFile(file_, "a much longer first line\r\nsecond\r\nthird\r\nfourth\r\n");
    Settings written;
    written.SaveGameDir = " C:\\save ";
    written.SnapshotDir = "C:\\";
    written.RefreshTime = "2.5";
    WriteSettingsFile(written, file_.string());

    EXPECT_EQ(ReadFile(file_), " C:\\save \r\nC:\\\r\n2.5\r\n");
    ReadSettingsFile(state_, file_.string());
    EXPECT_EQ(state_, written);
}

// A disk that fills up part-way through the temporary file.
class FullDisk final : public platform::SystemFileOps {
public:
    void Write(const std::filesystem::path& file, std::string_view content) override
    {
        SystemFileOps::Write(file, content.substr(0, 5));
        throw std::filesystem::filesystem_error(
            "Cannot write", file, std::make_error_code(std::errc::no_space_on_device));
    }
};

TEST_F(SettingsFileTest, FailedWriteLeavesTheOldFileWholeAndNoTemporaryFile)
{
    const std::string old = "old\r\nold\r\n60\r\n";
    WriteFile(file_, old);
    Settings written{"new save", "new history", "30"};
    FullDisk full;
    try {
        WriteSettingsFile(written, file_.string(), full);
        ADD_FAILURE() << "a full disk went unreported";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_space_on_device);
    }
    EXPECT_EQ(ReadFile(file_), old);
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "Settings.ini.new"));

    // A temporary file left by a crash is simply overwritten next time.
    WriteFile(folder_.path() / "Settings.ini.new", "half a line");
    WriteSettingsFile(written, file_.string());
    EXPECT_EQ(ReadFile(file_), "new save\r\nnew history\r\n30\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "Settings.ini.new"));
}

}  // namespace
}  // namespace quorrel
