// A player whose save folder and character carry an accent, with the program installed at the
// root of a drive that also holds the history, while the game saves on drive C:. The program's
// text is UTF-8; Settings.ini holds it in the ANSI code page, where "é" is one byte in code page
// 1252, not two as in UTF-8. A drive root ends with a backslash, so a name joined to it follows a
// second one.
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path_text.h"
#include "settings/settings_file.h"
#include "support/listed_names.h"
#include "support/snapshot_scene.h"
#include "windows_test_support.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

TEST(WindowsSnapshotTest, AnAccentedCharacterIsKeptAtADriveRoot)
{
    EXPECT_EQ(platform::JoinPath("C:\\", "Hero"), "C:\\\\Hero");
    EXPECT_EQ(platform::JoinPath("C:\\Games", "Hero"), "C:\\Games\\Hero");
    const std::string root = test::ScratchDriveRoot();
    if (root.empty()) {
        GTEST_SKIP() << "no drive root to write at; scripts/test-windows.sh maps one";
    }
    const bool cp1252 = test::AnsiCodePage() == 1252;
    const std::string e = "\xc3\xa9";
    const std::wstring wideE = L"\u00e9";
    const test::TempFolder temp;
    const std::string save = platform::JoinPath(temp.text(), "Sauvegard" + e);
    platform::CreateOneDirectory(save);
    const fs::path wideSave = temp.path() / (L"Sauvegard" + wideE);
    ASSERT_TRUE(fs::is_directory(wideSave));
    ASSERT_EQ(save.substr(0, 2), "C:");
    for (const wchar_t* name : {L"ros.d2s", L"ros.key", L"ros.map"}) {
        test::WriteFile(wideSave / (L"H" + wideE + name), "a file of the game's");
    }
    test::WriteFile(wideSave / L"Mage.d2s", "a file of the game's");

    const Settings written{save, root, "60"};
    const std::string settings = SettingsFilePath(root);
    WriteSettingsFile(written, settings);
    const std::string bytes = test::ReadFile(fs::path(root) / "Settings.ini");
    Settings state;
    ReadSettingsFile(state, settings);
    fs::remove(fs::path(root) / "Settings.ini");
    // Elsewhere the code page may lack "é", and the file is then UTF-8 with its mark.
    std::string inFile = cp1252 ? save : "\xef\xbb\xbf" + save;
    if (cp1252) {
        inFile.replace(inFile.find(e), e.size(), "\xe9");
    }
    EXPECT_EQ(bytes, inFile + "\r\n" + root + "\r\n60\r\n");
    EXPECT_EQ(state, written);

    test::SnapshotScene scene;
    scene.settings = state;
    scene.Start();
    test::Touch(wideSave / (L"H" + wideE + L"ros.key"));
    scene.cycle.Timer1_Timer();

    // Looked for as std::filesystem names it, right under the root.
    const fs::path snapshot = fs::path(root) / (L"H" + wideE + L"ros-06-12-2026-15-04-09");
    const std::vector<std::string> copied = fs::is_directory(snapshot)
                                                ? test::ListedNames(platform::ToText(snapshot))
                                                : std::vector<std::string>{};
    fs::remove_all(snapshot);
    const std::string hero = "H" + e + "ros";
    EXPECT_EQ(copied, (std::vector<std::string>{hero + ".d2s", hero + ".key", hero + ".map"}));
    EXPECT_EQ(scene.beeper.beeps, 1);
    EXPECT_EQ(scene.LogText(), "");
}

}  // namespace
}  // namespace quorrel
