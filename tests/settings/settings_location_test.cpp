#include "settings/settings_location.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/qt/folder_probe.h"
#include "settings/settings_file.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

TEST(SettingsLocationTest, ThePortableFolderWinsWheneverItHoldsOrTakesTheFileUnlessSetUpThere)
{
    const test::TempFolder root;
    const fs::path program = root.folder("program");
    const std::string config = (root.path() / "config" / "Quorrel").string();
    // A file beside the program, a program folder that takes files, the setup program's
    // uninstaller beside the program, a configuration folder; whether the file goes beside.
    for (const auto& [fileThere, takesFiles, uninstaller, configKnown, beside] :
         {std::tuple{true, false, false, true, true}, std::tuple{false, false, false, true, false},
          std::tuple{false, false, false, false, true}, std::tuple{false, true, true, true, false},
          std::tuple{true, true, true, true, true}, std::tuple{false, true, false, true, true}}) {
        fs::remove(program / "Settings.ini");
        fs::remove(program / kUninstallerName);
        if (fileThere) {
            test::WriteFile(program / "Settings.ini", "");
        }
        if (uninstaller) {
            test::WriteFile(program / kUninstallerName, "MZ");
        }
        EXPECT_EQ(SettingsFileLocation(program.string(), configKnown ? config : "",
                                       [&](const std::string&) { return takesFiles; }),
                  SettingsFilePath(beside ? program.string() : config))
            << fileThere << takesFiles << uninstaller << configKnown;
    }

    // The probe leaves nothing behind. As root nothing is read-only to us, so an installed copy's
    // folder that takes no files is a file; its settings go to a folder made on the first save.
    EXPECT_TRUE(platform::CanCreateFilesIn(program.string()));
    EXPECT_TRUE(fs::is_empty(program));
    test::WriteFile(root.path() / "quorrel.exe", "a program");
    const std::string file = SettingsFileLocation((root.path() / "quorrel.exe").string(), config,
                                                  platform::CanCreateFilesIn);
    ASSERT_EQ(file, SettingsFilePath(config));
    EXPECT_FALSE(fs::exists(config)) << "nothing is made before the settings are saved";
    WriteSettingsFile({"save", "history", "60"}, file);
    EXPECT_TRUE(fs::exists(file));
}

}  // namespace
}  // namespace quorrel
