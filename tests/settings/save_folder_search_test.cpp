#include "settings/save_folder_search.h"

#include <gtest/gtest.h>

#include "platform/memory_registry.h"
#include "platform/path_text.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using platform::JoinPath;

constexpr char kGameKey[] = "Software\\Blizzard Entertainment\\Diablo II";

// A home folder of a player, made up in a temporary folder.
class SaveFolderSearchTest : public ::testing::Test {
protected:
    // A folder under the home, made with its parents, holding these files.
    std::string Plant(std::initializer_list<std::string_view> parts,
                      std::initializer_list<const char*> files = {})
    {
        std::string folder = home_;
        for (const std::string_view part : parts) {
            folder = JoinPath(folder, part);
        }
        fs::create_directories(platform::ToPath(folder));
        for (const char* file : files) {
            test::WriteFile(platform::ToPath(JoinPath(folder, file)), file);
        }
        return folder;
    }

    test::TempFolder root_;
    std::string home_ = root_.folder("home").string();
    platform::MemoryRegistry registry_;
};

TEST_F(SaveFolderSearchTest, WineFoldersComePrefixByPrefixAndUserByUser)
{
    const std::string other = root_.folder("elsewhere").string();
    SaveFolderEnvironment environment{home_, "", "", other};
    EXPECT_TRUE(WineSaveFolders(environment).empty()) << "no prefix holds a user";

    const std::string lutris = Plant({"Games", "diablo-ii", "drive_c", "users", "steve"});
    const std::string wine = Plant({".wine", "drive_c", "users", "joe"});
    Plant({".wine", "drive_c", "users", "Public"});
    const std::string bottle =
        Plant({".local", "share", "bottles", "bottles", "D2", "drive_c", "users", "joe"});
    const std::string own = Plant({"..", "elsewhere", "drive_c", "users", "ann"});
    const auto windowsFolders = [](const std::string& user) {
        return std::vector<std::string>{
            JoinPath(JoinPath(user, "Saved Games"), "Diablo II Resurrected"),
            JoinPath(JoinPath(user, "Saved Games"), "Diablo II"),
            JoinPath(JoinPath(JoinPath(JoinPath(JoinPath(JoinPath(user, "AppData"), "Local"),
                                                "VirtualStore"),
                                       "Program Files (x86)"),
                              "Diablo II"),
                     "Save")};
    };
    std::vector<std::string> expected;
    const std::string publicUser = JoinPath(fs::path(wine).parent_path().string(), "Public");
    for (const std::string& user : {own, publicUser, wine, lutris, bottle}) {
        const std::vector<std::string> folders = windowsFolders(user);
        expected.insert(expected.end(), folders.begin(), folders.end());
    }
    const std::vector<std::string> found = WineSaveFolders(environment);
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(fs::path(found[i]).lexically_normal(), fs::path(expected[i]).lexically_normal())
            << i;
    }

    environment.winePrefix = JoinPath(home_, ".wine");
    EXPECT_EQ(WineSaveFolders(environment).size(), expected.size() - 3) << "~/.wine comes once";
}

TEST_F(SaveFolderSearchTest, TheFirstFolderThatHoldsASaveSetIsFound)
{
    const SaveFolderEnvironment environment{home_, "", "", ""};
    // Two save files only, then upper-case endings: neither is the game's folder.
    Plant({".wine", "drive_c", "users", "joe", "Saved Games", "Diablo II Resurrected"},
          {"Hero.d2s", "Hero.key"});
    Plant({".wine", "drive_c", "users", "joe", "Saved Games", "Diablo II"},
          {"Hero.D2S", "Hero.KEY", "Hero.MAP"});
    const std::string lutris =
        Plant({"Games", "diablo-ii", "drive_c", "users", "joe", "Saved Games", "Diablo II"},
              {"Hero.d2s", "Hero.key", "Hero.map"});
    Plant({".local", "share", "bottles", "bottles", "D2", "drive_c", "users", "joe", "Saved Games",
           "Diablo II"},
          {"Mage.d2s", "Mage.key", "Mage.map"});

    EXPECT_EQ(FirstSaveFolder(WineSaveFolders(environment)), lutris);
    EXPECT_EQ(FirstSaveFolder({JoinPath(home_, "missing"), lutris}), lutris);
    EXPECT_EQ(FirstSaveFolder({JoinPath(home_, "missing")}), "");
}

TEST_F(SaveFolderSearchTest, OnWindowsTheGamesOwnSavePathComesFirst)
{
    const std::string profile = Plant({"profile"});
    const std::string local = Plant({"profile", "AppData", "Local"});
    const SaveFolderEnvironment environment{"", profile, local, ""};
    const std::string resurrected =
        Plant({"profile", "Saved Games", "Diablo II Resurrected"}, {"A.d2s", "A.key", "A.map"});
    const std::string virtualStore = JoinPath(
        JoinPath(JoinPath(JoinPath(local, "VirtualStore"), "Program Files (x86)"), "Diablo II"),
        "Save");
    // What a user may do: read.
    registry_.GrantOnly(platform::kKeyRead);
    EXPECT_EQ(
        WindowsSaveFolders(environment, registry_),
        (std::vector<std::string>{
            resurrected, JoinPath(JoinPath(profile, "Saved Games"), "Diablo II"), virtualStore}));
    EXPECT_EQ(FirstSaveFolder(WindowsSaveFolders(environment, registry_)), resurrected);

    // The game stores its folder with a separator at the end.
    const std::string game = Plant({"Diablo II", "Save"}, {"B.d2s", "B.key", "B.map"});
    registry_.SetString(platform::kHKeyCurrentUser, kGameKey, "Save Path",
                        game + platform::kPathSeparator);
    EXPECT_EQ(FirstSaveFolder(WindowsSaveFolders(environment, registry_)), game);
    EXPECT_EQ(registry_.openKeyCount(), 0u);

    // A Save Path that holds no saves any more is passed over.
    fs::remove(platform::ToPath(JoinPath(game, "B.map")));
    EXPECT_EQ(FirstSaveFolder(WindowsSaveFolders(environment, registry_)), resurrected);
}

TEST_F(SaveFolderSearchTest, AVariableThatIsNotSetNeverLeadsToTheRoot)
{
    EXPECT_TRUE(WindowsSaveFolders({}, registry_).empty());
    EXPECT_TRUE(MacSaveFolders({}).empty());
    EXPECT_TRUE(WineSaveFolders({}).empty());
    EXPECT_TRUE(SaveFolderCandidates({}, registry_).empty());
    EXPECT_EQ(FindSaveFolder({}, registry_), "");

    EXPECT_EQ(MacSaveFolders({home_, "", "", ""}),
              std::vector<std::string>{JoinPath(
                  JoinPath(JoinPath(JoinPath(home_, "Library"), "Application Support"), "Blizzard"),
                  "Diablo II")});
}

}  // namespace
}  // namespace quorrel
