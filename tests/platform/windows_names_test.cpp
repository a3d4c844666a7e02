// Players whose folders carry names outside the ANSI code page (Jörg, Дмитрий), lie deeper than
// Windows' old limit of 260 characters, or keep the history at the root of a drive: the settings
// name the folders, a check takes a snapshot there, the Load dialog lists it, a restore puts it
// back byte for byte, and a restore that fails names the file it failed on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "platform/file_system.h"
#include "platform/path_text.h"
#include "restore/restore_folder.h"
#include "settings/settings_file.h"
#include "support/listed_names.h"
#include "support/snapshot_scene.h"
#include "windows_test_support.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using platform::JoinPath;
using platform::ToPath;

const auto Read = [](const std::string& file) { return test::ReadFile(ToPath(file)); };
const auto Write = [](const std::string& file, const std::string& text) {
    platform::SystemFiles().Write(ToPath(file), text);
};

const std::string kUmlaut = "J\xc3\xb6rg";  // Jörg
const std::string kCyrillic =
    "\xd0\x94\xd0\xbc\xd0\xb8\xd1\x82\xd1\x80\xd0\xb8\xd0\xb9";  // Дмитрий
const wchar_t* const kWideUmlaut = L"J\u00f6rg";
const wchar_t* const kWideCyrillic = L"\u0414\u043c\u0438\u0442\u0440\u0438\u0439";

struct Player {
    const char* what;
    std::string name;        // a folder under the temporary folder
    const wchar_t* wide;     // the same as Windows names it
    std::size_t deeperThan;  // 0: right there
    bool devicePrefix;       // the folders given as "\\?\C:\..."
    bool historyAtRoot;      // the history and the settings at the root of drive Q:
};

class WindowsNamesTest : public ::testing::TestWithParam<Player> {};

TEST_P(WindowsNamesTest, SettingsSnapshotAndRestoreKeepTheFolders)
{
    const Player& player = GetParam();
    test::SnapshotScene scene;  // run with the player's settings in place of its own
    std::string home = JoinPath(scene.root.text(), player.name);
    platform::CreateOneDirectory(home);
    ASSERT_TRUE(fs::is_directory(scene.root.path() / player.wide)) << "as the player sees it";
    while (ToPath(home).native().size() <= player.deeperThan) {  // each level made
        home = JoinPath(home, player.name + std::string(60, 'x'));
        platform::CreateOneDirectory(home);
    }
    home = player.devicePrefix ? "\\\\?\\" + home : home;
    const std::string save = JoinPath(home, "Saved Games " + player.name);
    platform::CreateOneDirectory(save);
    const char* drive = std::getenv("QUORREL_TEST_DRIVE");
    ASSERT_TRUE(drive != nullptr || !player.historyAtRoot) << "scripts/test-windows.sh maps one";
    const std::string history =
        player.historyAtRoot ? std::string(drive) + "\\" : JoinPath(home, "History");
    if (!player.historyAtRoot) {
        platform::CreateOneDirectory(history);
    }
    const std::string hero = player.name + "Hero";
    const std::vector<std::string> names = {hero + ".d2s", hero + ".key", hero + ".map"};
    for (const std::string& name : names) {
        Write(JoinPath(save, name), "before: " + name);
    }

    const Settings written{save, history, "1"};
    const std::string settingsFile = SettingsFilePath(player.historyAtRoot ? history : home);
    WriteSettingsFile(written, settingsFile);
    ReadSettingsFile(scene.settings, settingsFile);
    ASSERT_EQ(scene.settings, written);
    scene.Start();
    Write(JoinPath(save, names[0]), "saved: " + names[0]);
    test::Touch(ToPath(JoinPath(save, names[0])));
    scene.cycle.Timer1_Timer();
    EXPECT_EQ(scene.beeper.beeps, 1);
    EXPECT_EQ(scene.LogText(), "");

    const std::string snapshotName = hero + "-06-12-2026-15-04-09";
    const std::string snapshot = JoinPath(history, snapshotName);
    const std::shared_ptr<void> cleanUp(nullptr, [&](void*) {  // what the C runtime cannot reach
        platform::RemoveTree(snapshot);
        platform::RemoveTree(JoinPath(scene.root.text(), player.name));
        fs::remove(ToPath(settingsFile));
    });
    // As the Load dialog lists it: the folder box's chain, its sub-folders, the snapshot's files.
    const std::string listed = platform::FolderChain(history).back().path;
    EXPECT_EQ(platform::ListSubFolders(listed), std::vector<std::string>{snapshotName});
    ASSERT_EQ(test::ListedNames(JoinPath(listed, snapshotName)), names);
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

    // A folder where a save file should be: the restore stops there and names it.
    fs::remove(ToPath(JoinPath(save, names[1])));
    platform::CreateOneDirectory(JoinPath(save, names[1]));
    try {
        RestoreFolder(snapshot, save, platform::SystemFiles());
        ADD_FAILURE() << "the restore went through";
    } catch (const RestoreError& failure) {
        EXPECT_EQ(platform::FullPath(failure.file()), platform::FullPath(JoinPath(save, names[1])));
        EXPECT_EQ(failure.state(), SaveFolderState::AsBefore);
    }
}

// Settings.ini stays in the ANSI code page while that holds every character, as Windows tools of
// the program's age read it; a folder beyond it makes the file UTF-8 with a byte-order mark.
TEST(WindowsSettingsTest, TheFileIsAnsiWhereItCanBeAndUtf8WithAMarkWhereNot)
{
    ASSERT_EQ(test::AnsiCodePage(), 1252u) << "the rows are written for code page 1252";
    // A drive root ends with a backslash, so a name joined to it follows a second one.
    EXPECT_EQ(JoinPath("C:\\", "Hero"), "C:\\\\Hero");
    const test::TempFolder temp;
    const std::string file = SettingsFilePath(temp.text());
    // The bytes that the program writes for the settings, or (false) that a player wrote by hand.
    const std::string bom = "\xef\xbb\xbf", a = "\xc4\x81";  // Best fit would write "a" for it.
    const std::tuple<Settings, std::string, bool> table[] = {
        {{"C:\\save", "D:\\History", "60"}, "C:\\save\r\nD:\\History\r\n60\r\n", true},
        {{"C:\\" + kUmlaut, "D:\\H", "1"}, "C:\\J\xf6rg\r\nD:\\H\r\n1\r\n", true},
        {{kUmlaut, kCyrillic, "1"}, bom + kUmlaut + "\r\n" + kCyrillic + "\r\n1\r\n", true},
        {{"C:\\" + a, "D:\\H", "1"}, bom + "C:\\" + a + "\r\nD:\\H\r\n1\r\n", true},
        {{kUmlaut, "\xc3\xa9t\xc3\xa9", "60"}, "J\xf6rg\r\n\xe9t\xe9\r\n60\r\n", false},
    };
    for (const auto& [settings, bytes, written] : table) {
        SCOPED_TRACE(bytes);
        if (written) {
            WriteSettingsFile(settings, file);
            EXPECT_EQ(Read(file), bytes);
        } else {
            test::WriteFile(ToPath(file), bytes);
        }
        Settings read;
        ReadSettingsFile(read, file);
        EXPECT_EQ(read, settings);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Players, WindowsNamesTest,
    ::testing::Values(Player{"Umlaut", kUmlaut, kWideUmlaut, 0, false, false},
                      Player{"Cyrillic", kCyrillic, kWideCyrillic, 0, false, false},
                      Player{"AccentAtADriveRoot", "H\xc3\xa9ros", L"H\u00e9ros", 0, false, true},
                      Player{"LongUmlaut", kUmlaut, kWideUmlaut, 270, false, false},
                      Player{"LongCyrillic", kCyrillic, kWideCyrillic, 400, false, false},
                      Player{"LongPrefixed", kCyrillic, kWideCyrillic, 270, true, false}),
    [](const ::testing::TestParamInfo<Player>& info) { return info.param.what; });

}  // namespace
}  // namespace quorrel
