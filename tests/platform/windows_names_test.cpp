// Players whose folders carry names outside the ANSI code page (Jörg, Дмитрий), or lie deeper
// than Windows' old limit of 260 characters: the settings name the folders, a check takes a
// snapshot there, and a restore puts it back, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_text.h"
#include "restore/restore_folder.h"
#include "settings/settings_file.h"
#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"
#include "support/listed_names.h"
#include "support/temp_folder.h"
#include "windows_test_support.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using platform::JoinPath;
using platform::ToPath;

const std::string kUmlaut = "J\xc3\xb6rg";  // Jörg
const std::string kCyrillic =
    "\xd0\x94\xd0\xbc\xd0\xb8\xd1\x82\xd1\x80\xd0\xb8\xd0\xb9";  // Дмитрий
const wchar_t* const kWideUmlaut = L"J\u00f6rg";
const wchar_t* const kWideCyrillic = L"\u0414\u043c\u0438\u0442\u0440\u0438\u0439";

// Folders below `folder`, each level made, until the path is longer than `length` characters.
std::string DeepFolder(std::string folder, std::size_t length, const std::string& level)
{
    while (ToPath(folder).native().size() <= length) {
        folder = JoinPath(folder, level);
        platform::CreateOneDirectory(folder);
    }
    return folder;
}

std::string Read(const std::string& file)
{
    return test::ReadFile(ToPath(file));
}

void Write(const std::string& file, const std::string& content)
{
    platform::SystemFiles().Write(ToPath(file), content);
}

struct Player {
    const char* what;
    std::string name;        // a folder under the temporary folder
    const wchar_t* wide;     // the same as Windows names it
    std::size_t deeperThan;  // 0: right there
    bool devicePrefix;       // the folders given as "\\?\C:\..."
};

class WindowsNamesTest : public ::testing::TestWithParam<Player> {};

TEST_P(WindowsNamesTest, SettingsSnapshotAndRestoreKeepTheFolders)
{
    const Player& player = GetParam();
    const test::TempFolder temp;
    std::string home = JoinPath(temp.text(), player.name);
    platform::CreateOneDirectory(home);
    ASSERT_TRUE(fs::is_directory(temp.path() / player.wide)) << "named as the player sees it";
    if (player.deeperThan > 0) {
        home = DeepFolder(home, player.deeperThan, player.name + std::string(60, 'x'));
    }
    if (player.devicePrefix) {
        home = "\\\\?\\" + home;
    }
    const std::string save = JoinPath(home, "Saved Games " + player.name);
    const std::string history = JoinPath(home, "History");
    platform::CreateOneDirectory(save);
    platform::CreateOneDirectory(history);
    const std::string hero = player.name + "Hero";
    const std::vector<std::string> names = {hero + ".d2s", hero + ".key", hero + ".map"};
    for (const std::string& name : names) {
        Write(JoinPath(save, name), "before: " + name);
    }

    const Settings written{save, history, "1"};
    const std::string settingsFile = SettingsFilePath(home);
    WriteSettingsFile(written, settingsFile);
    Settings state;
    ReadSettingsFile(state, settingsFile);
    ASSERT_EQ(state, written);

    test::ManualTimer timer;
    test::FakeClock clock;
    test::CountingBeeper beeper;
    const std::string log = JoinPath(temp.text(), "Log.txt");
    SnapshotCycle cycle(state, timer, {clock, beeper, platform::SystemFiles(), log});
    cycle.SetCheckPeriod();
    cycle.RecordSaveFolder();
    Write(JoinPath(save, names[0]), "saved: " + names[0]);
    test::Touch(ToPath(JoinPath(save, names[0])));
    cycle.Timer1_Timer();
    EXPECT_EQ(beeper.beeps, 1);
    EXPECT_FALSE(fs::exists(ToPath(log))) << Read(log);

    const std::string snapshot = JoinPath(history, hero + "-06-12-2026-15-04-09");
    ASSERT_EQ(test::ListedNames(snapshot), names);
    EXPECT_EQ(Read(JoinPath(snapshot, names[0])), "saved: " + names[0]);
    EXPECT_EQ(Read(JoinPath(snapshot, names[1])), "before: " + names[1]);

    for (const std::string& name : names) {
        Write(JoinPath(save, name), "played on: " + name);
    }
    RestoreFolder(snapshot, save, platform::SystemFiles());
    EXPECT_EQ(test::ListedNames(save), names) << "the restore's own files are gone";
    for (const std::string& name : names) {
        EXPECT_EQ(Read(JoinPath(save, name)), Read(JoinPath(snapshot, name))) << name;
    }
}

// Settings.ini stays in the ANSI code page while that holds every character, as Windows tools of
// the program's age read it; a folder beyond it makes the file UTF-8 with a byte-order mark.
TEST(WindowsSettingsTest, TheFileIsAnsiWhereItCanBeAndUtf8WithAMarkWhereNot)
{
    const bool cp1252 = test::AnsiCodePage() == 1252;
    if (!cp1252) {
        GTEST_SKIP() << "the rows are written for code page 1252, this system has "
                     << test::AnsiCodePage();
    }
    const test::TempFolder temp;
    const std::string file = SettingsFilePath(temp.text());
    struct Row {
        Settings settings;
        std::string bytes;
    };
    for (const Row& row : {
             Row{{"C:\\save", "D:\\History", "60"}, "C:\\save\r\nD:\\History\r\n60\r\n"},
             Row{{"C:\\" + kUmlaut, "D:\\H", "1"}, "C:\\J\xf6rg\r\nD:\\H\r\n1\r\n"},
             Row{{"C:\\" + kUmlaut, "D:\\" + kCyrillic, "1"},
                 "\xef\xbb\xbf"
                 "C:\\" +
                     kUmlaut + "\r\nD:\\" + kCyrillic + "\r\n1\r\n"},
             // Best fit would write "a" for "ā", and name another folder.
             Row{{"C:\\\xc4\x81", "D:\\H", "1"},
                 "\xef\xbb\xbf"
                 "C:\\\xc4\x81\r\nD:\\H\r\n1\r\n"},
         }) {
        SCOPED_TRACE(row.bytes);
        WriteSettingsFile(row.settings, file);
        EXPECT_EQ(Read(file), row.bytes);
        Settings read;
        ReadSettingsFile(read, file);
        EXPECT_EQ(read, row.settings);
    }

    // Written by hand: in the code page, or as UTF-8 with a mark by an editor.
    test::WriteFile(ToPath(file), "C:\\J\xf6rg\r\nD:\\\xe9t\xe9\r\n60\r\n");
    Settings ansi;
    ReadSettingsFile(ansi, file);
    EXPECT_EQ(ansi, (Settings{"C:\\" + kUmlaut, "D:\\\xc3\xa9t\xc3\xa9", "60"}));
    test::WriteFile(ToPath(file),
                    "\xef\xbb\xbf"
                    "C:\\" +
                        kCyrillic + "\r\nD:\\H\r\n60\r\n");
    Settings utf8;
    ReadSettingsFile(utf8, file);
    EXPECT_EQ(utf8, (Settings{"C:\\" + kCyrillic, "D:\\H", "60"}));
}

INSTANTIATE_TEST_SUITE_P(
    Players, WindowsNamesTest,
    ::testing::Values(Player{"Umlaut", kUmlaut, kWideUmlaut, 0, false},
                      Player{"Cyrillic", kCyrillic, kWideCyrillic, 0, false},
                      Player{"LongUmlaut", kUmlaut, kWideUmlaut, 270, false},
                      Player{"LongCyrillic", kCyrillic, kWideCyrillic, 400, false},
                      Player{"LongPrefixed", kCyrillic, kWideCyrillic, 270, true}),
    [](const ::testing::TestParamInfo<Player>& info) { return info.param.what; });

}  // namespace
}  // namespace quorrel
