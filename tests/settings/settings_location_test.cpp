#include "settings/settings_location.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/qt/folder_probe.h"
#include "settings/settings_file.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

class SettingsLocationTest : public ::testing::Test {
protected:
    test::TempFolder root_;
    std::string program_ = root_.folder("program").string();
    std::string config_ = (root_.path() / "config" / "Quorrel").string();
};

TEST_F(SettingsLocationTest, ThePortableFolderWinsWheneverItHoldsOrTakesTheFile)
{
    // A file beside the program, a program folder that takes files, the setup program's
    // uninstaller beside the program, a configuration folder.
    for (const auto& [fileThere, takesFiles, uninstaller, configKnown, beside] :
         {std::tuple{false, true, false, true, true}, std::tuple{true, false, false, true, true},
          std::tuple{false, false, false, true, false},
          std::tuple{false, false, false, false, true}, std::tuple{false, true, true, true, false},
          std::tuple{true, true, true, true, true}, std::tuple{false, true, true, false, true}}) {
        fs::remove(fs::path(program_) / "Settings.ini");
        fs::remove(fs::path(program_) / kUninstallerName);
        if (fileThere) {
            test::WriteFile(fs::path(program_) / "Settings.ini", "");
        }
        if (uninstaller) {
            test::WriteFile(fs::path(program_) / kUninstallerName, "MZ");
        }
        EXPECT_EQ(SettingsFileLocation(program_, configKnown ? config_ : "",
                                       [&](const std::string&) { return takesFiles; }),
                  SettingsFilePath(beside ? program_ : config_))
            << fileThere << takesFiles << uninstaller << configKnown;
    }
}

TEST_F(SettingsLocationTest, AnInstalledCopySavesIntoAConfigurationFolderMadeOnTheFirstSave)
{
    EXPECT_TRUE(platform::CanCreateFilesIn(program_));
    EXPECT_TRUE(fs::is_empty(program_)) << "the probe leaves nothing behind";
    // As root nothing is read-only to us, so the program folder that takes no files is a file.
    const std::string installed = (root_.path() / "quorrel.exe").string();
    test::WriteFile(installed, "a program");
    const std::string file = SettingsFileLocation(installed, config_, platform::CanCreateFilesIn);
    ASSERT_EQ(file, SettingsFilePath(config_));
    EXPECT_FALSE(fs::exists(config_)) << "nothing is made before the settings are saved";

    WriteSettingsFile({"save", "history", "60"}, file);
    EXPECT_EQ(test::ReadFile(file), "save\r\nhistory\r\n60\r\n");
}

}  // namespace
}  // namespace quorrel
