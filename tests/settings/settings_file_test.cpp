#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "platform/number_text.h"
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
    // The content, whether it is valid, and what is read over {"old", "old", "old"}.
    const std::tuple<std::string, bool, Settings> rows[] = {
        {" D:\\s \r\nD:\\H\r\n60\r\nfourth\r\n", true, {" D:\\s ", "D:\\H", "60"}},
        {"a\rb\r\n\r\n", true, {"a", "b", ""}},  // a bare CR ends a line too
        {"x\r\ny\r\n45", true, {"x", "y", "45"}},
        {"first\r\nsecond\r\n", false, {"first", "second", "old"}},
        {"one\ntwo\nthree\n", false, {"one\ntwo\nthree\n", "old", "old"}},
        {longest + "\r\nb\r\n60\r\n", true, {longest, "b", "60"}},
        {longest + "a\r\nb\r\n60\r\n", false, {"old", "old", "old"}},
        {"a\r\nb\r\n6\0"s, false, {"a", "b", "old"}},
        // A byte-order mark marks UTF-8; it belongs to no folder.
        {"\xEF\xBB\xBFJ\xC3\xB6rg\r\nb\r\n60\r\n", true, {"J\xC3\xB6rg", "b", "60"}},
    };
    const auto read = [this] {
        Settings state{"old", "old", "old"};
        try {
            ReadSettingsFile(state, file_.string());
            return std::pair(true, state);
        } catch (const std::runtime_error&) {
            return std::pair(false, state);
        }
    };
    for (const auto& [content, valid, settings] : rows) {
        SCOPED_TRACE(content.substr(0, 40));
        WriteFile(file_, content);
        EXPECT_EQ(read(), std::pair(valid, settings));
    }
#ifndef _WIN32
    // Read as a plain file only: a link is not followed, not even to settings that read well.
    fs::rename(file_, folder_.path() / "good.ini");
    fs::create_symlink(folder_.path() / "good.ini", file_);
    EXPECT_EQ(read(), std::pair(false, Settings{"old", "old", "old"}));
#endif
}

// Written whole or not at all: the new file is on disk before its name, its name before the
// write counts, and a failed write or rename leaves the old file and no temporary one.
TEST_F(SettingsFileTest, AWriteReplacesTheWholeFileOrLeavesItAsItWas)
{
    const std::string old = "a much longer first line\r\nold\r\n60\r\nfourth\r\n";
    for (const std::string failing : {"Write", "Rename", ""}) {
        SCOPED_TRACE(failing);
        WriteFile(file_, old);
        WriteFile(temporary_, "half of a line much longer than the new file");
        test::WatchedFiles files;
        files.before = [failing](std::string_view operation, const fs::path& file) {
            if (operation == failing) {
                WriteFile(file, "half");
                throw fs::filesystem_error("Cannot write", file,
                                           std::make_error_code(std::errc::no_space_on_device));
            }
        };
        if (failing.empty()) {
            WriteSettingsFile({" C:\\save ", "C:\\", "2.5"}, file_.string(), files);
            EXPECT_EQ(files.calls,
                      (std::vector<std::string>{
                          "Write " + temporary_.string(), "SyncFile " + temporary_.string(),
                          "Rename " + temporary_.string() + " -> " + file_.string(),
                          "SyncFolder " + folder_.path().string()}));
            EXPECT_EQ(ReadFile(file_), " C:\\save \r\nC:\\\r\n2.5\r\n");
        } else {
            EXPECT_THROW(WriteSettingsFile({"a", "b", "5"}, file_.string(), files),
                         std::system_error);
            EXPECT_EQ(ReadFile(file_), old);
        }
        EXPECT_FALSE(fs::exists(temporary_));
    }
#ifdef _WIN32
    // A drive that is gone (a stick pulled out) is reported, not climbed for ever.
    std::string drive = "Z:\\";
    while (fs::exists(drive)) {
        --drive[0];
    }
    EXPECT_THROW(WriteSettingsFile({"a", "b", "5"}, drive + "Quorrel\\Settings.ini"),
                 std::system_error);
#endif
}

// The refresh time's number: strtod alone would take hexadecimal, "nan" and a leading line break.
TEST(NumberTextTest, OnlyDecimalNumbersAreRead)
{
    EXPECT_EQ(platform::ParseNumber(" -1e2\t"), -100.0);
    for (const char* text : {" ", "-", "- 5", "6O", "0x10", "nan", ".", "\n5", "1e999"}) {
        EXPECT_FALSE(platform::ParseNumber(text).has_value()) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace quorrel
