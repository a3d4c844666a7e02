#include "settings/save_folder_search.h"

#include <gtest/gtest.h>

#include "platform/path_text.h"
#include "support/memory_registry.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using Folders = std::vector<std::string>;

class SaveFolderSearchTest : public ::testing::Test {
protected:
    std::string Plant(const std::string& relative, std::initializer_list<const char*> files = {})
    {
        const fs::path folder = root_.path() / fs::path(relative).make_preferred();
        fs::create_directories(folder);
        for (const char* file : files) {
            test::WriteFile(folder / file, file);
        }
        return platform::ToText(folder);
    }

    Folders Relative(const Folders& folders) const
    {
        Folders relative;
        for (const std::string& folder : folders) {
            relative.push_back(fs::relative(folder, root_.path()).generic_string());
        }
        return relative;
    }

    static Folders Places(const std::string& user)
    {
        return {user + "/Saved Games/Diablo II Resurrected", user + "/Saved Games/Diablo II",
                user + "/AppData/Local/VirtualStore/Program Files (x86)/Diablo II/Save"};
    }

    test::TempFolder root_;
    std::string home_ = Plant("home");
};

TEST_F(SaveFolderSearchTest, WineFoldersComePrefixByPrefixUserByUserAndTheGamesSavePathFirst)
{
    SaveFolderEnvironment environment{home_, "", "", Plant("elsewhere")};
    // $WINEPREFIX, ~/.wine, Lutris' games and Bottles' bottles; users in order of name, letter
    // case aside, as the folder box shows them, made in neither that order nor its reverse.
    const char* users[] = {"elsewhere/drive_c/users/ann",
                           "home/.wine/drive_c/users/ann",
                           "home/.wine/drive_c/users/joe",
                           "home/.wine/drive_c/users/Public",
                           "home/Games/diablo-ii/drive_c/users/steve",
                           "home/.local/share/bottles/bottles/D2/drive_c/users/joe"};
    for (const std::size_t user : {2, 3, 1, 0, 4, 5}) {
        Plant(users[user]);
    }
    Folders expected;
    for (const char* user : users) {
        const Folders places = Places(user);
        expected.insert(expected.end(), places.begin(), places.end());
    }
    EXPECT_EQ(Relative(WineSaveFolders(environment)), expected);

    environment.winePrefix = platform::JoinPath(home_, ".wine");
    EXPECT_EQ(WineSaveFolders(environment).size(), 15u) << "~/.wine comes once";
    EXPECT_EQ(Relative(MacSaveFolders(environment)),
              Folders{"home/Library/Application Support/Blizzard/Diablo II"});

    // On Windows the game's Save Path comes first; a variable that is not set never gives a root.
    test::MemoryRegistry registry;
    EXPECT_EQ(WindowsSaveFolders({}, &registry).size() + MacSaveFolders({}).size() +
                  WineSaveFolders({}).size(),
              0u);
    const SaveFolderEnvironment windows{"", Plant("home/profile"),
                                        Plant("home/profile/AppData/Local"), ""};
    const Folders places = Places("home/profile");
    EXPECT_EQ(Relative(WindowsSaveFolders(windows, &registry)), places);
    // Two save files only, then upper-case endings: neither is the game's folder.
    Plant(places[0], {"A.d2s", "A.key"});
    Plant(places[1], {"A.D2S", "A.KEY", "A.MAP"});
    const std::string store = Plant(places[2], {"A.d2s", "A.key", "A.map"});
    const std::string game = Plant("Diablo II/Save", {"B.d2s", "B.key", "B.map"});
    registry.Set(platform::kHKeyCurrentUser, "Software\\Blizzard Entertainment\\Diablo II",
                 "Save Path", platform::kRegSz, game + platform::kPathSeparator + '\0');
    EXPECT_EQ(FirstSaveFolder(WindowsSaveFolders(windows, &registry)), game);

    // A Save Path that holds no saves any more is passed over.
    fs::remove(platform::ToPath(platform::JoinPath(game, "B.map")));
    EXPECT_EQ(FirstSaveFolder(WindowsSaveFolders(windows, &registry)), store);
    EXPECT_EQ(FirstSaveFolder({platform::JoinPath(home_, "missing")}), "");
}

}  // namespace
}  // namespace quorrel
