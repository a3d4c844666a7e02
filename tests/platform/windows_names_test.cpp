// Folders named outside the ANSI code page (Дмитрий) or deeper than 260 characters: the settings
// name them, a check takes a snapshot there, File > Load lists it and a restore puts it back.
#include <gtest/gtest.h>

#include <utility>

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
const wchar_t* const kWideCyrillic = L"\u0414\u043c\u0438\u0442\u0440\u0438\u0439";

TEST(WindowsNamesTest, SettingsSnapshotAndRestoreKeepTheFolders)
{
    for (const auto& [deeperThan, devicePrefix] :
         {std::pair<std::size_t, bool>{400, false}, {270, true}}) {
        SCOPED_TRACE(deeperThan);
        test::SnapshotScene scene;  // run with the player's settings in place of its own
        std::string home = JoinPath(scene.root.text(), kCyrillic);
        platform::CreateOneDirectory(home);
        const std::shared_ptr<void> cleanUp(nullptr, [&](void*) {  // where TempFolder cannot reach
            platform::RemoveTree(JoinPath(scene.root.text(), kCyrillic));
        });
        ASSERT_TRUE(fs::is_directory(scene.root.path() / kWideCyrillic)) << "as the player sees it";
        while (ToPath(home).native().size() <= deeperThan) {  // each level made
            home = JoinPath(home, kCyrillic + std::string(60, 'x'));
            platform::CreateOneDirectory(home);
        }
        home = devicePrefix ? "\\\\?\\" + home : home;
        const std::string save = JoinPath(home, "Saved Games " + kCyrillic);
        const std::string history = JoinPath(home, "History");
        platform::CreateOneDirectory(save);
        platform::CreateOneDirectory(history);
        const std::string hero = kCyrillic + "Hero";
        const std::vector<std::string> names = {hero + ".d2s", hero + ".key", hero + ".map"};
        for (const std::string& name : names) {
            Write(JoinPath(save, name), "before: " + name);
        }

        const Settings written{save, history, "1"};
        const std::string settingsFile = SettingsFilePath(home);
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
        // As the Load dialog lists it.
        const std::string listed = platform::FolderChain(history).back().path;
        EXPECT_EQ(platform::ListSubFolders(listed), std::vector<std::string>{snapshotName});
        ASSERT_EQ(test::ListedNames(JoinPath(listed, snapshotName)), names);
        EXPECT_EQ(Read(JoinPath(snapshot, names[0])), "saved: " + names[0]);

        for (const std::string& name : names) {
            Write(JoinPath(save, name), "played on: " + name);
        }
        RestoreFolder(snapshot, save, platform::SystemFiles());
        EXPECT_EQ(test::ListedNames(save), names) << "the restore's own files are gone";
        for (const std::string& name : names) {
            EXPECT_EQ(Read(JoinPath(save, name)), Read(JoinPath(snapshot, name))) << name;
        }
    }
}

// Settings.ini stays in the ANSI code page while that holds every character, as Windows tools of
// the program's age read it; a folder beyond it makes the file UTF-8 with a byte-order mark.
TEST(WindowsSettingsTest, TheFileIsAnsiWhereItCanBeAndUtf8WithAMarkWhereNot)
{
    // A drive root ends with a backslash, so a name joined to it follows a second one.
    EXPECT_EQ(JoinPath("C:\\", "Hero"), "C:\\\\Hero");
    const test::TempFolder temp;
    const std::string file = SettingsFilePath(temp.text());
    const std::string bom = "\xef\xbb\xbf", a = "\xc4\x81";  // Best fit would write "a" for it.
    const std::pair<Settings, std::string> table[] = {
        {{"C:\\" + kUmlaut, "D:\\H", "1"}, "C:\\J\xf6rg\r\nD:\\H\r\n1\r\n"},
        {{kUmlaut, kCyrillic, "1"}, bom + kUmlaut + "\r\n" + kCyrillic + "\r\n1\r\n"},
        {{"C:\\" + a, "D:\\H", "1"}, bom + "C:\\" + a + "\r\nD:\\H\r\n1\r\n"},
    };
    for (const auto& [settings, bytes] : table) {
        SCOPED_TRACE(bytes);
        WriteSettingsFile(settings, file);
        EXPECT_EQ(Read(file), bytes);
        Settings read;
        ReadSettingsFile(read, file);
        EXPECT_EQ(read, settings);
    }
}

}  // namespace
}  // namespace quorrel
