// File services on Windows semantics: backslashes, drive letters and roots, the current folder of
// a drive, hidden and system files, names in the ANSI code page, wildcards that ignore case.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <random>

#include "platform/drives.h"
#include "platform/file_copier.h"
#include "platform/file_system.h"
#include "platform/path_text.h"
#include "settings/settings_file.h"
#include "support/temp_folder.h"
#include "windows_test_support.h"

namespace quorrel::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

std::string UniqueName(const std::string& stem)
{
    std::random_device random;
    return stem + "-" + std::to_string(random());
}

// Puts the process into a folder for one test and back afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path& folder) : previous_(fs::current_path())
    {
        fs::current_path(folder);
    }
    ~CurrentFolder() { fs::current_path(previous_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    fs::path previous_;
};

TEST(WindowsPathsTest, ADriveRootJoinedWithANameIsAFolderAtThatRoot)
{
    EXPECT_EQ(kPathSeparator, '\\');
    EXPECT_EQ(JoinPath("C:\\", "Hero"), "C:\\\\Hero");
    EXPECT_EQ(JoinPath("C:\\Games", "Hero"), "C:\\Games\\Hero");
    if (!test::RunningUnderWine()) {
        GTEST_SKIP() << "writes at C:\\, which only a throw-away Wine prefix allows";
    }

    const std::string name = UniqueName("Hero");
    const std::string folder = JoinPath("C:\\", name);
    CreateOneDirectory(folder);
    const bool created = fs::is_directory(fs::path("C:\\") / name);
    RemoveTree(folder);
    EXPECT_TRUE(created) << folder << " is C:\\" << name;
    EXPECT_FALSE(fs::exists(fs::path("C:\\") / name));
}

TEST(WindowsPathsTest, AProgramAtADriveRootKeepsItsSettingsThere)
{
    const std::string root = test::ScratchDriveRoot();
    if (root.empty()) {
        GTEST_SKIP() << "no drive root to write at; scripts/test-windows.sh maps one";
    }
    const std::string file = SettingsFilePath(root);
    EXPECT_EQ(file, root + "\\Settings.ini");

    Module1 written;
    written.SaveGameDir = "C:\\Games\\Diablo II\\save";
    written.SnapshotDir = root;
    written.RefreshTime = "60";
    WriteSettingsFile(written, file);
    Module1 read;
    EXPECT_TRUE(ReadSettingsFile(read, file));
    fs::remove(fs::path(root) / "Settings.ini");
    EXPECT_EQ(read.SnapshotDir, root);
    EXPECT_EQ(read.SaveGameDir, written.SaveGameDir);
}

TEST(WindowsPathsTest, EachDriveKeepsItsOwnCurrentFolder)
{
    const TempFolder temp;
    const fs::path inside = temp.folder("inside");
    const std::string drive = DriveOf(inside.string());
    ASSERT_EQ(drive.size(), 2u);
    EXPECT_EQ(drive[1], ':');
    EXPECT_TRUE(SameDrive(drive, std::string(1, static_cast<char>(std::tolower(drive[0]))) + ":"));

    WriteFile(inside / "marker", "x");

    const CurrentFolder current(inside);
    EXPECT_EQ(CurrentDirectory(), inside.string());
    EXPECT_EQ(CurrentDirectoryOfDrive(drive), inside.string()) << "no trailing backslash";
    EXPECT_TRUE(Exists(drive + "marker")) << "a name after a bare drive is in its current folder";

    const std::string scratch = test::ScratchDriveRoot();
    if (!scratch.empty() && !SameDrive(DriveOf(scratch), drive)) {
        EXPECT_EQ(CurrentDirectoryOfDrive(DriveOf(scratch)), scratch)
            << "a drive never visited opens at its root, backslash kept";
    }
}

TEST(WindowsPathsTest, HiddenAndSystemFilesAreNotListed)
{
    const TempFolder folder;
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "desktop.ini", "Thumbs.db"}) {
        WriteFile(folder.path() / name, "x");
    }
    test::SetFileAttributeBits(folder.path() / "desktop.ini", true, true);
    test::SetFileAttributeBits(folder.path() / "Thumbs.db", false, true);
    test::SetFileAttributeBits(folder.path() / "Hero.map", true, false);

    EXPECT_EQ(ListFiles(folder.text()), (std::vector<std::string>{"Hero.d2s", "Hero.key"}));
    EXPECT_TRUE(IsOrdinaryFile(JoinPath(folder.text(), "Hero.d2s")));
    EXPECT_FALSE(IsOrdinaryFile(JoinPath(folder.text(), "Hero.map")));
    EXPECT_FALSE(IsOrdinaryFile(JoinPath(folder.text(), "Thumbs.db")));
    test::SetFileAttributeBits(folder.path() / "Hero.map", false, false);
}

TEST(WindowsPathsTest, WildcardsIgnoreLetterCaseInTheCopy)
{
    const TempFolder root;
    const fs::path source = root.folder("save");
    const fs::path target = root.folder("snapshot");
    for (const char* name : {"Hero.d2s", "HERO.KEY", "hero", "Heroine.map"}) {
        WriteFile(source / name, name);
    }
    WriteFile(target / "hero.d2s", "old");

    SystemFileCopier copier;
    copier.CopyFile(JoinPath(source.string(), "hero.*"), target.string());
    EXPECT_EQ(ListFiles(target.string()),
              (std::vector<std::string>{"hero", "hero.d2s", "HERO.KEY"}))
        << "an overwritten file keeps the name it had";
    EXPECT_EQ(ReadFile(target / "Hero.d2s"), "Hero.d2s");
}

// Folder and file names are ANSI text, as Settings.ini holds them: "é" is one byte, not UTF-8.
TEST(WindowsPathsTest, NamesInTheAnsiCodePageReachTheRightFiles)
{
    const std::optional<std::string> accent = test::InAnsiCodePage(L"\u00e9");
    if (!accent) {
        GTEST_SKIP() << "the ANSI code page has no \u00e9";
    }
    ASSERT_EQ(accent->size(), 1u);
    const TempFolder root;
    const std::string save = JoinPath(root.text(), "Sauvegard" + *accent);
    const std::string history = JoinPath(root.text(), "Historique " + *accent + "t" + *accent);
    const std::string hero = "H" + *accent + "ros";

    CreateOneDirectory(save);
    CreateOneDirectory(history);
    ASSERT_TRUE(fs::is_directory(root.path() / L"Sauvegard\u00e9"));
    WriteFile(root.path() / L"Sauvegard\u00e9" / L"H\u00e9ros.d2s", "save");
    WriteFile(root.path() / L"Sauvegard\u00e9" / L"H\u00e9ros.key", "key");

    EXPECT_EQ(ListFiles(save), (std::vector<std::string>{hero + ".d2s", hero + ".key"}));
    EXPECT_EQ(LastModifiedText(JoinPath(save, hero + ".d2s")).size(), 19u);
    SystemFileCopier copier;
    copier.CopyFile(JoinPath(save, hero + ".*"), history);
    EXPECT_EQ(ReadFile(root.path() / L"Historique \u00e9t\u00e9" / L"H\u00e9ros.d2s"), "save");

    Module1 written;
    written.SaveGameDir = save;
    written.SnapshotDir = history;
    written.RefreshTime = "60";
    const std::string file = JoinPath(root.text(), "Settings.ini");
    WriteSettingsFile(written, file);
    EXPECT_EQ(ReadFile(root.path() / "Settings.ini"), save + "\r\n" + history + "\r\n60\r\n");
    Module1 read;
    ASSERT_TRUE(ReadSettingsFile(read, file));
    EXPECT_EQ(ListFiles(read.SaveGameDir).size(), 2u);
}

TEST(WindowsPathsTest, TheProgramsFolderHoldsTheProgram)
{
    const std::string folder = ApplicationDirectory();
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(IsOrdinaryFile(JoinPath(folder, "quorrel_core_tests.exe")));
}

}  // namespace
}  // namespace quorrel::platform
