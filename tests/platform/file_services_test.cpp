#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/file_content.h"
#include "platform/file_copier.h"
#include "platform/file_lister.h"
#include "platform/file_ops.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "platform/wildcard.h"
#include "support/file_times.h"
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
    for (const ListedFile& file : ListFolder(folder.text())) {
        EXPECT_EQ(file.stamp, FileStamp(JoinPath(folder.text(), file.name))) << file.name;
    }
}

TEST(FileServicesTest, ListerReadAgainFollowsEveryChange)
{
    TempFolder folder;
    for (const char* name : {"b.d2s", "C.key", "a.map"}) {
        WriteFile(folder.path() / name, "x");
    }
    FileLister lister;
    lister.setPath(folder.text());
    const std::string stampOfB = lister.stamp(1);
    test::SetModified(folder.path() / "b.d2s", test::kSomeSecond, 0);
    lister.setPath(folder.text());
    EXPECT_EQ(lister.names(), (std::vector<std::string>{"a.map", "b.d2s", "C.key"}));
    EXPECT_NE(lister.stamp(1), stampOfB) << "the same files: only the stamps are new";
    EXPECT_EQ(lister.stamp(1), FileStamp(JoinPath(folder.text(), "b.d2s")));

    WriteFile(folder.path() / "B.key", "x");
    fs::remove(folder.path() / "a.map");
    lister.setPath(folder.text());
    EXPECT_EQ(lister.names(), (std::vector<std::string>{"b.d2s", "B.key", "C.key"}));
    for (std::size_t i = 0; i < lister.count(); ++i) {
        EXPECT_EQ(lister.stamp(i), FileStamp(JoinPath(folder.text(), lister.name(i))));
    }
    EXPECT_THROW(lister.setPath(JoinPath(folder.text(), "missing")), std::system_error);
    EXPECT_EQ(lister.count(), 0u);
}

TEST(FileServicesTest, StampsTellApartSavesWithinOneSecond)
{
    TempFolder folder;
    const fs::path file = folder.path() / "Hero.key";
    const auto stampAt = [&](const std::string& content, std::int32_t nanoseconds) {
        WriteFile(file, content);
        test::SetModified(file, test::kSomeSecond, nanoseconds);
        return FileStamp(file.string());
    };
    const std::string first = stampAt("key 1", 100000000);
    // Nanoseconds since 1970 and the size, in base 64: the same text on every system.
    EXPECT_EQ(first, "1ZkicKpxBi05");
    const std::string later = stampAt("key 2", 100000100);
    EXPECT_NE(later, first) << "100 ns later, the finest step Windows keeps";
    const std::string longer = stampAt("key 22", 100000100);
    EXPECT_NE(longer, later) << "the same instant, another size";
    const std::vector<ListedFile> listed = ListFolder(folder.text());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].stamp, longer);
}

#ifndef _WIN32
TEST(FileServicesTest, LinksAndSpecialFilesAreNeitherListedNorOpened)
{
    TempFolder root;
    const fs::path folder = root.folder("save");
    WriteFile(root.path() / "shadow", "a secret outside the save folder");
    WriteFile(folder / "Hero.d2s", std::string(200000, 's'));
    fs::create_symlink(root.path() / "shadow", folder / "Hero.key");
    fs::create_symlink(root.path() / "gone", folder / "Gone.d2s");
    fs::create_directory_symlink(root.path(), folder / "Up.d2s");
    // Opening a FIFO for reading would wait for a writer that never comes.
    ASSERT_EQ(::mkfifo((folder / "Hero.map").c_str(), 0600), 0);
    EXPECT_EQ(ListFiles(folder.string()), std::vector<std::string>{"Hero.d2s"});

    std::string read;
    ReadPlainFile(folder / "Hero.d2s", [&read](std::string_view piece) { read += piece; });
    EXPECT_EQ(read, std::string(200000, 's'));
    const auto ignore = [](std::string_view) {};
    for (const fs::path& refused :
         {folder / "Hero.key", folder / "Hero.map", fs::path("/dev/zero")}) {
        EXPECT_THROW(ReadPlainFile(refused, ignore), fs::filesystem_error) << refused;
        EXPECT_THROW(SystemFiles().Copy(refused, root.path() / "copy"), fs::filesystem_error)
            << refused;
    }
    EXPECT_FALSE(fs::exists(root.path() / "copy"));
}
#endif

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
#ifndef _WIN32
    fs::create_symlink(source / "Heroine.d2s", source / "Hero.lnk");
#endif
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
}

}  // namespace
}  // namespace quorrel::platform
