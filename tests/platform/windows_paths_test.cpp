// File services on Windows semantics: the current folder of each drive, hidden and system files.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <tuple>

#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/path_text.h"
#include "support/listed_names.h"
#include "support/temp_folder.h"
#include "windows_test_support.h"

namespace quorrel::platform {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::ListedNames;
using test::TempFolder;
using test::WriteFile;

TEST(WindowsPathsTest, EachDriveKeepsItsOwnCurrentFolder)
{
    const TempFolder temp;
    const fs::path inside = temp.folder("inside");
    WriteFile(inside / "marker", "x");
    const std::string drive = DriveOf(inside.string());
    ASSERT_EQ(drive.size(), 2u);
    EXPECT_TRUE(SameDrive(drive, std::string(1, static_cast<char>(std::tolower(drive[0]))) + ":"));

    fs::current_path(inside);
    EXPECT_EQ(CurrentDirectory(), inside.string());
    EXPECT_EQ(CurrentDirectoryOfDrive(drive), inside.string()) << "no trailing backslash";
    EXPECT_TRUE(fs::exists(ToPath(drive + "marker")))
        << "a name after a bare drive is in its current folder";
    const std::string scratch = test::ScratchDriveRoot();
    if (!scratch.empty() && !SameDrive(DriveOf(scratch), drive)) {
        EXPECT_EQ(CurrentDirectoryOfDrive(DriveOf(scratch)), scratch)
            << "a drive never visited opens at its root, backslash kept";
    }
    fs::current_path(temp.path().parent_path());  // a current folder cannot be removed
}

TEST(WindowsPathsTest, HiddenAndSystemFilesAreNotListed)
{
    const TempFolder folder;
    const std::tuple<const char*, bool, bool> files[] = {{"Hero.d2s", false, false},
                                                         {"Hero.key", false, false},
                                                         {"Hero.map", true, false},
                                                         {"Thumbs.db", false, true},
                                                         {"desktop.ini", true, true}};
    for (const auto& [name, hidden, system] : files) {
        WriteFile(folder.path() / name, "x");
        test::SetHiddenAndSystem(folder.path() / name, hidden, system);
    }
    EXPECT_EQ(ListedNames(folder.text()), (Names{"Hero.d2s", "Hero.key"}));
    for (const auto& [name, hidden, system] : files) {
        EXPECT_EQ(IsOrdinaryFile(JoinPath(folder.text(), name)), !hidden && !system) << name;
        EXPECT_EQ(IsHiddenOrSystem(folder.text(), name), hidden || system) << name;
    }
}

}  // namespace
}  // namespace quorrel::platform
