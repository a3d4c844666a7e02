#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "support/watched_files.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

class SettingsFileTest : public ::testing::Test {
protected:
    test::TempFolder folder_;
    fs::path file_ = folder_.path() / "Settings.ini";
    fs::path temporary_ = folder_.path() / "Settings.ini.new";
};

TEST_F(SettingsFileTest, ThreeLinesEndedByCarriageReturnsAreReadOrTheFileIsInvalid)
{
    using namespace std::string_literals;
    const std::string longest(32 * 1024, 'a');
    struct Row {
        std::string content;
        bool valid;
        Settings read;  // from {"old", "old", "old"}: a file found invalid keeps what was read
    };
    for (const Row& row : {
             Row{" D:\\save \r\nD:\\History\r\n60\r\nfourth\r\n",
                 true,
                 {" D:\\save ", "D:\\History", "60"}},
             Row{"a\rb\r\n\r\n", true, {"a", "b", ""}},  // a bare CR ends a line too
             Row{"x\r\ny\r\n45", true, {"x", "y", "45"}},
             Row{"first\r\nsecond\r\n", false, {"first", "second", "old"}},
             Row{"one\ntwo\nthree\n", false, {"one\ntwo\nthree\n", "old", "old"}},
             Row{longest + "\r\nb\r\n60\r\n", true, {longest, "b", "60"}},
             Row{"a\r\n" + std::string(40 * 1024, 'b') + "\r\n60\r\n", false, {"a", "old", "old"}},
             Row{longest + "a\r\nb\r\n60\r\n", false, {"old", "old", "old"}},
             Row{"D:\\save\0x\r\nD:\\History\r\n60\r\n"s, false, {"old", "old", "old"}},
             Row{"a\r\nb\r\n6\0"s, false, {"a", "b", "old"}},
             // A byte-order mark marks UTF-8; it belongs to no folder.
             Row{"\xEF\xBB\xBF"
                 "D:\\J\xC3\xB6rg\r\nb\r\n60\r\n",
                 true,
                 {"D:\\J\xC3\xB6rg", "b", "60"}},
             Row{"\xEF\xBB\xBF", false, {"", "old", "old"}},
         }) {
        SCOPED_TRACE(row.content.substr(0, 40));
        WriteFile(file_, row.content);
        Settings state{"old", "old", "old"};
        bool valid = true;
        try {
            ReadSettingsFile(state, file_.string());
        } catch (const std::runtime_error&) {
            valid = false;
        }
        EXPECT_EQ(valid, row.valid);
        EXPECT_EQ(state, row.read);
    }
}

// Written whole or not at all: the new file is on disk before its name, its name before the
// write counts, and a disk that fills up, or a rename that fails (a folder in the file's place,
// another program holding it on Windows), leaves the old file and no temporary one.
TEST_F(SettingsFileTest, AWriteReplacesTheWholeFileOrLeavesItAsItWas)
{
    const std::string old = "a much longer first line\r\nold\r\n60\r\nfourth\r\n";
    const Settings written{" C:\\save ", "C:\\", "2.5"};
    for (const char* failing : {"Write", "Rename"}) {
        SCOPED_TRACE(failing);
        WriteFile(file_, old);
        test::WatchedFiles files;
        files.before = [failing](std::string_view operation, const fs::path& file) {
            if (operation == failing) {
                WriteFile(file, "half");
                throw fs::filesystem_error("Cannot write", file,
                                           std::make_error_code(std::errc::no_space_on_device));
            }
        };
        EXPECT_THROW(WriteSettingsFile(written, file_.string(), files), std::system_error);
        EXPECT_EQ(ReadFile(file_), old);
        EXPECT_FALSE(fs::exists(temporary_));
    }

    WriteFile(temporary_, "half of a line much longer than the new file");  // left by a crash
    test::WatchedFiles files;
    WriteSettingsFile(written, file_.string(), files);
    EXPECT_EQ(files.calls, (std::vector<std::string>{
                               "Write " + temporary_.string(), "SyncFile " + temporary_.string(),
                               "Rename " + temporary_.string() + " -> " + file_.string(),
                               "SyncFolder " + folder_.path().string()}));
    EXPECT_EQ(ReadFile(file_), " C:\\save \r\nC:\\\r\n2.5\r\n");
    EXPECT_FALSE(fs::exists(temporary_));
    Settings read;
    ReadSettingsFile(read, file_.string());
    EXPECT_EQ(read, written);
}

#ifdef _WIN32
// Settings on a drive that is gone (a stick pulled out): the failure is reported.
TEST_F(SettingsFileTest, SettingsOnADriveThatIsGoneAreReportedNotSaved)
{
    char letter = 'Z';
    while (letter > 'D' && fs::exists(std::string(1, letter) + ":\\")) {
        --letter;
    }
    const std::string file = std::string(1, letter) + ":\\Quorrel\\Settings.ini";
    EXPECT_THROW(WriteSettingsFile({"a", "b", "5"}, file), std::system_error);
}
#endif

#ifndef _WIN32
// Read as a plain file only (see the file services' table): a link is not followed, not even to
// settings that would read well.
TEST_F(SettingsFileTest, ALinkInTheFilesPlaceIsNotFollowed)
{
    const fs::path good = folder_.path() / "good.ini";
    WriteFile(good, "a\r\nb\r\n60\r\n");
    fs::create_symlink(good, file_);
    Settings state{"old", "old", "old"};
    EXPECT_THROW(ReadSettingsFile(state, file_.string()), std::system_error);
    EXPECT_EQ(state, (Settings{"old", "old", "old"}));
}
#endif

}  // namespace
}  // namespace quorrel
