#include <gtest/gtest.h>

#include "platform/file_copier.h"
#include "platform/file_system.h"
#include "platform/path_text.h"
#include "platform/wildcard.h"
#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::WriteFile;

TEST(FileServicesTest, ListingHasPlainVisibleFilesSortedByName)
{
    TempFolder folder;
    WriteFile(folder.path() / "A.key", "x");
    // Windows keeps one file for names that differ only in case.
    const bool foldsCase = fs::exists(folder.path() / "a.key");
    for (const char* name : {"b.d2s", ".hidden", "a.key", "C.map"}) {
        WriteFile(folder.path() / name, "x");
    }
    folder.folder("Sub.d2s");
    std::vector<std::string> expected{"A.key", "a.key", "b.d2s", "C.map"};
    if (foldsCase) {
        expected.erase(expected.begin() + 1);
    }
    EXPECT_EQ(ListFiles(folder.text()), expected);
    EXPECT_THROW(ListFiles(JoinPath(folder.text(), "missing")), std::system_error);
}

TEST(FileServicesTest, WildcardsFollowWindowsRules)
{
    EXPECT_TRUE(MatchesWildcard("Hero.d2s", "Hero.*", false));
    EXPECT_TRUE(MatchesWildcard("Hero", "Hero.*", false)) << "a trailing .* matches no extension";
    EXPECT_TRUE(MatchesWildcard("anything", "*.*", false));
    EXPECT_FALSE(MatchesWildcard("Heroine.d2s", "Hero.*", false));
    EXPECT_FALSE(MatchesWildcard("hero.d2s", "Hero.*", false));
    EXPECT_TRUE(MatchesWildcard("hero.d2s", "Hero.*", true));
    EXPECT_TRUE(MatchesWildcard("a.b.c", "a?b*", false));
    EXPECT_TRUE(MatchesWildcard("Hero.d2s", "Hero*.d2s", false)) << "a star takes an empty run";
    EXPECT_TRUE(MatchesWildcard("Hero.d2s", "*Hero.d2s***", false)) << "and so do trailing ones";
    EXPECT_TRUE(MatchesWildcard("", "**", false));
    EXPECT_FALSE(MatchesWildcard("Hero.d2s", "Hero.d2s?", false));
    EXPECT_FALSE(MatchesWildcard("Hero.d2", "*.d2s*", false));
}

TEST(FileServicesTest, CopyTakesMatchingFilesOnlyOverwritingAndKeepingTimes)
{
    TempFolder root;
    const fs::path source = root.folder("source");
    const fs::path target = root.folder("target");
    WriteFile(source / "Hero.d2s", "new");
    WriteFile(source / "Hero", "bare");
    WriteFile(source / "Heroine.d2s", "other");
    root.folder("source/Hero.dir");
    WriteFile(target / "Hero.d2s", "old");
    const auto stamp = fs::last_write_time(source / "Hero.d2s") - std::chrono::hours(5);
    fs::last_write_time(source / "Hero.d2s", stamp);

    SystemFileCopier copier;
    copier.CopyFile(JoinPath(source.string(), "Hero.*"), target.string());
    EXPECT_EQ(ListFiles(target.string()), (std::vector<std::string>{"Hero", "Hero.d2s"}));
    EXPECT_EQ(test::ReadFile(target / "Hero.d2s"), "new");
    EXPECT_EQ(fs::last_write_time(target / "Hero.d2s"), stamp);

    EXPECT_THROW(copier.CopyFile(JoinPath(source.string(), "Mage.*"), target.string()),
                 std::system_error);
}

TEST(FileServicesTest, CreatingAFolderTakesOneLevelAndNoExistingName)
{
    TempFolder root;
    EXPECT_NO_THROW(CreateOneDirectory(JoinPath(root.text(), "one")));
    EXPECT_THROW(CreateOneDirectory(JoinPath(root.text(), "one")), std::system_error);
    EXPECT_THROW(CreateOneDirectory(JoinPath(root.text(), "two/three")), std::system_error);
    EXPECT_EQ(LastModifiedText(JoinPath(root.text(), "one")).size(), 19u);
}

}  // namespace
}  // namespace quorrel::platform
