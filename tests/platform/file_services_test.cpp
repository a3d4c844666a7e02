#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>

#include "platform/posix/entry_types.h"
#endif

#include "platform/file_content.h"
#include "platform/file_lister.h"
#include "platform/file_ops.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "support/file_times.h"
#include "support/listed_names.h"
#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::ListedNames;
using test::TempFolder;
using test::WriteFile;

TEST(FileServicesTest, ListingHasPlainVisibleFilesSortedByNameAndTheirStamps)
{
    TempFolder folder;
    WriteFile(folder.path() / "A.key", "x");
    // Windows keeps one file for names that differ only in case.
    const bool foldsCase = fs::exists(folder.path() / "a.key");
    for (const char* name : {"b.d2s", ".hidden", "a.key", "C.map"}) {
        WriteFile(folder.path() / name, "x");
    }
    folder.folder("Sub.d2s");
    EXPECT_EQ(ListedNames(folder.text()), (foldsCase ? Names{"A.key", "b.d2s", "C.map"}
                                                     : Names{"A.key", "a.key", "b.d2s", "C.map"}));
    EXPECT_THROW(ListFolder(JoinPath(folder.text(), "missing")), std::system_error);
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
    const auto readAgain = [&] {
        lister.list(folder.text());
        for (std::size_t i = 0; i < lister.count(); ++i) {
            EXPECT_EQ(lister.stamp(i), FileStamp(JoinPath(folder.text(), lister.name(i))));
        }
        return lister.names();
    };
    readAgain();
    test::SetModified(folder.path() / "b.d2s", test::kSomeSecond, 0);
    EXPECT_EQ(readAgain(), (Names{"a.map", "b.d2s", "C.key"})) << "the same files, new stamps";

    WriteFile(folder.path() / "B.key", "x");
    fs::remove(folder.path() / "a.map");
    EXPECT_EQ(readAgain(), (Names{"b.d2s", "B.key", "C.key"}));
    EXPECT_THROW(lister.list(JoinPath(folder.text(), "missing")), std::system_error);
    EXPECT_EQ(lister.count(), 0u);
}

TEST(FileServicesTest, SubFoldersAreVisibleFoldersSortedAsFilesAre)
{
    TempFolder root;
    for (const char* name : {"beta", "Alpha", ".hidden", "alpha2"}) {
        root.folder(name);
    }
    WriteFile(root.path() / "file", "x");
#ifndef _WIN32
    fs::create_directory_symlink(root.path() / "beta", root.path() / "Link");
    fs::create_symlink(root.path() / "file", root.path() / "FileLink");
    const Names expected{"Alpha", "alpha2", "beta", "Link"};
#else
    const Names expected{"Alpha", "alpha2", "beta"};
#endif
    EXPECT_EQ(ListSubFolders(root.text()), expected);
    EXPECT_EQ(ListSubFolders(JoinPath(root.text(), "beta")), Names{});
    for (const char* notAFolder : {"missing", "file"}) {
        EXPECT_THROW(ListSubFolders(JoinPath(root.text(), notAFolder)), fs::filesystem_error)
            << notAFolder;
    }
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
    const std::string later = stampAt("key 2", 100000100);
    EXPECT_NE(later, first) << "100 ns later, the finest step Windows keeps";
    EXPECT_NE(stampAt("key 22", 100000100), later) << "the same instant, another size";
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
    fs::create_directory(folder / "Sub.key");
    WriteFile(folder / ".Hidden.d2s", "x");
    EXPECT_EQ(ListedNames(folder.string()), Names{"Hero.d2s"});
    // Where the file system gives no entry types, each entry's own status tells the same.
    posix::gListingIgnoresEntryTypes = true;
    const Names listed = ListedNames(folder.string());
    posix::gListingIgnoresEntryTypes = false;
    EXPECT_EQ(listed, Names{"Hero.d2s"}) << "listed as on a file system without entry types";

    std::string read;
    ReadPlainFile(folder / "Hero.d2s", [&read](std::string_view piece) { read += piece; });
    EXPECT_EQ(read, std::string(200000, 's'));
    for (const fs::path& refused :
         {folder / "Hero.key", folder / "Hero.map", fs::path("/dev/zero")}) {
        EXPECT_THROW(ReadPlainFile(refused, [](std::string_view) {}), fs::filesystem_error)
            << refused;
        EXPECT_THROW(SystemFiles().Copy(refused, root.path() / "copy"), fs::filesystem_error)
            << refused;
    }
    EXPECT_FALSE(fs::exists(root.path() / "copy"));
}
#endif

TEST(FileServicesTest, CreatingAFolderTakesOneLevelAndNoExistingName)
{
    TempFolder root;
    EXPECT_NO_THROW(CreateOneDirectory(JoinPath(root.text(), "one")));
    EXPECT_THROW(CreateOneDirectory(JoinPath(root.text(), "one")), std::system_error);
    EXPECT_THROW(CreateOneDirectory(JoinPath(root.text(), "two/three")), std::system_error);
}

}  // namespace
}  // namespace quorrel::platform
