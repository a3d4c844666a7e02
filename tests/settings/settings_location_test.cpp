#include "settings/settings_location.h"

#include <gtest/gtest.h>

#include "platform/folder_probe.h"
#include "platform/path_text.h"
#include "settings/settings_file.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

class SettingsLocationTest : public ::testing::Test {
protected:
    TempFolder root_;
    std::string program_ = root_.folder("program").string();
    std::string config_ = (root_.path() / "config" / "Quorrel").string();
};

TEST_F(SettingsLocationTest, ThePortableFolderWinsWheneverItHoldsOrTakesTheFile)
{
    struct Row {
        bool fileThere;
        bool folderTakesFiles;
        bool configurationFolderKnown;
        bool beside;
    };
    for (const Row& row :
         {Row{false, true, true, true}, Row{true, false, true, true}, Row{true, true, true, true},
          Row{false, false, true, false}, Row{false, false, false, true}}) {
        fs::remove(fs::path(program_) / "Settings.ini");
        if (row.fileThere) {
            WriteFile(fs::path(program_) / "Settings.ini", "");
        }
        const std::string location =
            SettingsFileLocation(program_, row.configurationFolderKnown ? config_ : "",
                                 [&](const std::string&) { return row.folderTakesFiles; });
        EXPECT_EQ(location, SettingsFilePath(row.beside ? program_ : config_))
            << row.fileThere << row.folderTakesFiles << row.configurationFolderKnown;
    }
}

TEST_F(SettingsLocationTest, AnInstalledCopySavesIntoAConfigurationFolderMadeOnTheFirstSave)
{
    // As root nothing is read-only to us, so the program folder that takes no files is a file.
    const std::string installed = (root_.path() / "quorrel.exe").string();
    WriteFile(installed, "a program");
    EXPECT_TRUE(platform::CanCreateFilesIn(program_));
    EXPECT_TRUE(fs::is_empty(program_)) << "the probe leaves nothing behind";
    EXPECT_FALSE(platform::CanCreateFilesIn(installed));
    EXPECT_FALSE(platform::CanCreateFilesIn((root_.path() / "missing").string()));

    EXPECT_EQ(SettingsFileLocation(program_, config_, platform::CanCreateFilesIn),
              SettingsFilePath(program_));
    const std::string file = SettingsFileLocation(installed, config_, platform::CanCreateFilesIn);
    ASSERT_EQ(file, SettingsFilePath(config_));
    EXPECT_FALSE(fs::exists(config_)) << "nothing is made before the settings are saved";

    const Settings settings{"save", "history", "60"};
    WriteSettingsFile(settings, file);
    EXPECT_EQ(ReadFile(file), "save\r\nhistory\r\n60\r\n");

    // A file where a folder should be: the save fails and leaves the file alone.
    const std::string blocked = (fs::path(installed) / "Quorrel" / "Settings.ini").string();
    EXPECT_THROW(WriteSettingsFile(settings, blocked), std::system_error);
    EXPECT_EQ(ReadFile(installed), "a program");
}

}  // namespace
}  // namespace quorrel
