#include "settings/save_folder_search.h"

#include <gtest/gtest.h>

#include "platform/path_text.h"
#include "support/memory_registry.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using Folders = std::vector<std::string>;
using platform::JoinPath;

// A home folder of a player, made up in a temporary folder.
class SaveFolderSearchTest : public ::testing::Test {
protected:
    // A folder under the temporary root, made with its parents, holding these files.
    std::string Plant(const std::string& relative, std::initializer_list<const char*> files = {})
    {
        const fs::path folder = root_.path() / fs::path(relative).make_preferred();
        fs::create_directories(folder);
        for (const char* file : files) {
            test::WriteFile(folder / file, file);
        }
        return platform::ToText(folder);
    }

    // The folders as paths under the temporary root, written with "/".
    Folders Relative(const Folders& folders) const
    {
        Folders relative;
        for (const std::string& folder : folders) {
            relative.push_back(fs::path(folder)
                                   .lexically_normal()
                                   .lexically_relative(root_.path())
                                   .generic_string());
        }
        return relative;
    }

    test::TempFolder root_;
    std::string home_ = Plant("home");
    test::MemoryRegistry registry_;
};

TEST_F(SaveFolderSearchTest, WineFoldersComePrefixByPrefixAndUserByUser)
{
    SaveFolderEnvironment environment{home_, "", "", Plant("elsewhere")};
    EXPECT_TRUE(WineSaveFolders(environment).empty()) << "no prefix holds a user";
    // Users made in neither their order of name nor its reverse.
    for (const char* user : {"joe", "Public", "ann"}) {
        Plant(std::string("home/.wine/drive_c/users/") + user);
    }
    // $WINEPREFIX, ~/.wine, Lutris' games and Bottles' bottles; users in order of name, letter
    // case aside, as the folder box shows them.
    Folders expected;
    for (const char* user : {"elsewhere/drive_c/users/ann", "home/.wine/drive_c/users/ann",
                             "home/.wine/drive_c/users/joe", "home/.wine/drive_c/users/Public",
                             "home/Games/diablo-ii/drive_c/users/steve",
                             "home/.local/share/bottles/bottles/D2/drive_c/users/joe"}) {
        Plant(user);
        for (const char* place :
             {"Saved Games/Diablo II Resurrected", "Saved Games/Diablo II",
              "AppData/Local/VirtualStore/Program Files (x86)/Diablo II/Save"}) {
            expected.push_back(std::string(user) + "/" + place);
        }
    }
    EXPECT_EQ(Relative(WineSaveFolders(environment)), expected);

    environment.winePrefix = JoinPath(home_, ".wine");
    EXPECT_EQ(WineSaveFolders(environment).size(), 15u) << "~/.wine comes once";
}

TEST_F(SaveFolderSearchTest, TheFirstFolderThatHoldsASaveSetIsFound)
{
    // Two save files only, then upper-case endings: neither is the game's folder.
    Plant("home/.wine/drive_c/users/joe/Saved Games/Diablo II Resurrected",
          {"Hero.d2s", "Hero.key"});
    Plant("home/.wine/drive_c/users/joe/Saved Games/Diablo II",
          {"Hero.D2S", "Hero.KEY", "Hero.MAP"});
    const std::string lutris = Plant("home/Games/diablo-ii/drive_c/users/joe/Saved Games/Diablo II",
                                     {"Hero.d2s", "Hero.key", "Hero.map"});
    Plant("home/.local/share/bottles/bottles/D2/drive_c/users/joe/Saved Games/Diablo II",
          {"Mage.d2s", "Mage.key", "Mage.map"});
    EXPECT_EQ(FirstSaveFolder(WineSaveFolders({home_, "", "", ""})), lutris);
    EXPECT_EQ(FirstSaveFolder({JoinPath(home_, "missing")}), "");
}

TEST_F(SaveFolderSearchTest, OnWindowsTheGamesOwnSavePathComesFirst)
{
    const SaveFolderEnvironment environment{"", Plant("home/profile"),
                                            Plant("home/profile/AppData/Local"), ""};
    const std::string resurrected =
        Plant("home/profile/Saved Games/Diablo II Resurrected", {"A.d2s", "A.key", "A.map"});
    EXPECT_EQ(Relative(WindowsSaveFolders(environment, &registry_)),
              (Folders{"home/profile/Saved Games/Diablo II Resurrected",
                       "home/profile/Saved Games/Diablo II",
                       "home/profile/AppData/Local/VirtualStore/Program Files (x86)/Diablo II/"
                       "Save"}));

    // The game stores its folder with a separator at the end.
    const std::string game = Plant("Diablo II/Save", {"B.d2s", "B.key", "B.map"});
    registry_.SetString(platform::kHKeyCurrentUser, "Software\\Blizzard Entertainment\\Diablo II",
                        "Save Path", game + platform::kPathSeparator);
    EXPECT_EQ(FirstSaveFolder(WindowsSaveFolders(environment, &registry_)), game);

    // A Save Path that holds no saves any more is passed over.
    fs::remove(platform::ToPath(JoinPath(game, "B.map")));
    EXPECT_EQ(FirstSaveFolder(WindowsSaveFolders(environment, &registry_)), resurrected);
}

TEST_F(SaveFolderSearchTest, AVariableThatIsNotSetNeverLeadsToTheRoot)
{
    EXPECT_TRUE(WindowsSaveFolders({}, &registry_).empty());
    EXPECT_TRUE(MacSaveFolders({}).empty());
    EXPECT_TRUE(WineSaveFolders({}).empty());
    EXPECT_EQ(FindSaveFolder({}, &registry_), "");
    EXPECT_EQ(Relative(MacSaveFolders({home_, "", "", ""})),
              Folders{"home/Library/Application Support/Blizzard/Diablo II"});
}

}  // namespace
}  // namespace quorrel
