#include "settings/settings_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// A disk that fills up part-way through the temporary file.
class FullDisk final : public platform::SystemFileOps {
public:
    void Write(const fs::path& file, std::string_view content) override
    {
        SystemFileOps::Write(file, content.substr(0, 5));
        throw fs::filesystem_error("Cannot write", file,
                                   std::make_error_code(std::errc::no_space_on_device));
    }
};

TEST_F(SettingsFileTest, AWriteReplacesTheWholeFileOrLeavesItAsItWas)
{
    const std::string old = "a much longer first line\r\nold\r\n60\r\nfourth\r\n";
    WriteFile(file_, old);
    const Settings written{" C:\\save ", "C:\\", "2.5"};
    FullDisk full;
    EXPECT_THROW(WriteSettingsFile(written, file_.string(), full), std::system_error);
    EXPECT_EQ(ReadFile(file_), old);
    EXPECT_FALSE(fs::exists(temporary_));

    WriteFile(temporary_, "half of a line much longer than the new file");  // left by a crash
    WriteSettingsFile(written, file_.string());
    EXPECT_EQ(ReadFile(file_), " C:\\save \r\nC:\\\r\n2.5\r\n");
    EXPECT_FALSE(fs::exists(temporary_));
    Settings read;
    ReadSettingsFile(read, file_.string());
    EXPECT_EQ(read, written);
}

// A rename that fails: a folder in the file's place, or another program holding it on Windows.
class RefusedRename final : public platform::SystemFileOps {
public:
    void Rename(const fs::path& from, const fs::path& to) override
    {
        throw fs::filesystem_error("Cannot rename", from, to,
                                   std::make_error_code(std::errc::permission_denied));
    }
};

TEST_F(SettingsFileTest, AFailedRenameLeavesTheFileAndNoTemporaryOne)
{
    const std::string old = "old\r\nold\r\n60\r\n";
    WriteFile(file_, old);
    RefusedRename refused;
    EXPECT_THROW(WriteSettingsFile({"a", "b", "5"}, file_.string(), refused), std::system_error);
    EXPECT_EQ(ReadFile(file_), old);
    EXPECT_FALSE(fs::exists(temporary_));
}

TEST_F(SettingsFileTest, TheNewFileIsOnDiskBeforeItsNameAndItsNameBeforeTheWriteCounts)
{
    test::WatchedFiles files;
    WriteSettingsFile({"a", "b", "5"}, file_.string(), files);
    EXPECT_EQ(files.calls, (std::vector<std::string>{
                               "Write " + temporary_.string(), "SyncFile " + temporary_.string(),
                               "Rename " + temporary_.string() + " -> " + file_.string(),
                               "SyncFolder " + folder_.path().string()}));
}

#ifndef _WIN32
// What stands in the file's place is refused at once: a FIFO is not waited on, a link is not
// followed, not even to settings that would read well.
TEST_F(SettingsFileTest, OnlyAPlainFileIsRead)
{
    const fs::path good = folder_.path() / "good.ini";
    WriteFile(good, "a\r\nb\r\n60\r\n");
    const auto refused = [this] {
        Settings state{"old", "old", "old"};
        EXPECT_THROW(ReadSettingsFile(state, file_.string()), std::system_error);
        EXPECT_EQ(state, (Settings{"old", "old", "old"}));
        fs::remove(file_);
    };
    for (const fs::path& target : {good, fs::path("/dev/zero"), folder_.path() / "gone"}) {
        SCOPED_TRACE(target);
        fs::create_symlink(target, file_);
        refused();
    }

    // With no writer, opening it would wait for ever; with one, it would be read.
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
    refused();
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
    const int writer = ::open(file_.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "a\r\nb\r\n60\r\n", 10), 10);
    refused();
    ::close(writer);
}
#endif

}  // namespace
}  // namespace quorrel
