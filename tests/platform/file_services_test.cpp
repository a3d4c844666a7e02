// The file layer that every reader and writer of the program goes through: the one folder walk,
// the one plain-file open, the durable file operations and the folder lock.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/file_content.h"
#include "platform/file_lister.h"
#include "platform/file_ops.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/folder_lock.h"
#include "platform/path_text.h"
#include "support/another_copy.h"
#include "support/file_times.h"
#include "support/listed_names.h"
#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::ListedNames;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;
using Kind = FolderLock::Kind;

// The kind of entry that the walk reports for a name, or none.
std::optional<EntryKind> WalkedKind(const fs::path& folder, const std::string& name)
{
    std::optional<EntryKind> kind;
    WalkFolder(folder.string(), [&](const FolderEntry& entry) {
        if (entry.name == name) {
            kind = entry.kind;
        }
    });
    return kind;
}

TEST(FileServicesTest, WhatIsNoPlainFileIsWalkedAsWhatItIsAndNeverReadWrittenOrWaitedOn)
{
    const TempFolder root;
    const fs::path folder = root.folder("save");
    const fs::path outside = root.path() / "outside";
    WriteFile(outside, "a secret outside the save folder");
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> make;
        std::optional<EntryKind> walked;
        bool folder = false;
    };
    const Row rows[] = {
        {"missing", [](const fs::path&) {}, std::nullopt},
        {"folder", [](const fs::path& at) { fs::create_directory(at); }, EntryKind::Folder, true},
#ifndef _WIN32
        {"link to a file", [&](const fs::path& at) { fs::create_symlink(outside, at); },
         EntryKind::Other},
        {"dangling link", [&](const fs::path& at) { fs::create_symlink(root.path() / "gone", at); },
         EntryKind::Other},
        {"link to dev zero", [](const fs::path& at) { fs::create_symlink("/dev/zero", at); },
         EntryKind::Other},
        // Opening a FIFO the usual way would wait for ever for its other end.
        {"FIFO", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
         EntryKind::Other},
#endif
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path entry = folder / row.name;
        row.make(entry);
        EXPECT_EQ(WalkedKind(folder, row.name), row.walked);
        try {
            ReadPlainFile(entry, [](std::string_view) { ADD_FAILURE() << "read"; });
            ADD_FAILURE() << "read without a failure";
        } catch (const fs::filesystem_error& error) {
            EXPECT_EQ(error.path1(), entry);
        }
        EXPECT_THROW(SystemFiles().Copy(entry, root.path() / "copy"), fs::filesystem_error);
        EXPECT_FALSE(fs::exists(root.path() / "copy"));
        if (row.folder) {
            EXPECT_TRUE(FolderLock::TryLock(entry.string(), Kind::Shared).has_value());
        } else {
            EXPECT_THROW(FolderLock::TryLock(entry.string(), Kind::Shared), fs::filesystem_error);
        }
        if (row.walked) {
            EXPECT_THROW(AppendInOneWrite(entry, "entry"), fs::filesystem_error);
        } else {
            AppendInOneWrite(entry, "entry");  // a missing log is made
            EXPECT_EQ(ReadFile(entry), "entry");
            fs::remove(entry);
        }
    }
    EXPECT_EQ(ReadFile(outside), "a secret outside the save folder");
}

TEST(FileServicesTest, AListingHasTheVisiblePlainFilesSortedByNameWithTheirStamps)
{
    const TempFolder folder;
    WriteFile(folder.path() / "A.key", "x");
    // Windows keeps one file for names that differ only in case.
    const bool foldsCase = fs::exists(folder.path() / "a.key");
    for (const char* name : {"b.d2s", ".hidden", "a.key", "C.map"}) {
        WriteFile(folder.path() / name, "x");
    }
    folder.folder("Sub.d2s");
    EXPECT_EQ(ListedNames(folder.text()), (foldsCase ? Names{"A.key", "b.d2s", "C.map"}
                                                     : Names{"A.key", "a.key", "b.d2s", "C.map"}));
    EXPECT_THROW(ListFolder(JoinPath(folder.text(), "missing")), fs::filesystem_error);
    for (const ListedFile& file : ListFolder(folder.text())) {
        EXPECT_EQ(file.stamp, FileStamp(JoinPath(folder.text(), file.name))) << file.name;
    }

    // Listed again and again, as a check does.
    FileLister lister;
    const auto readAgain = [&] {
        lister.list(folder.text());
        for (std::size_t i = 0; i < lister.count(); ++i) {
            EXPECT_EQ(lister.stamp(i), FileStamp(JoinPath(folder.text(), lister.name(i))));
        }
        return lister.names();
    };
    const Names first = readAgain();
    test::SetModified(folder.path() / "b.d2s", test::kSomeSecond, 0);
    EXPECT_EQ(readAgain(), first) << "the same files, new stamps";
    WriteFile(folder.path() / "B.map", "x");
    fs::remove(folder.path() / "C.map");
    EXPECT_EQ(readAgain(), (foldsCase ? Names{"A.key", "b.d2s", "B.map"}
                                      : Names{"A.key", "a.key", "b.d2s", "B.map"}));
    EXPECT_THROW(lister.list(JoinPath(folder.text(), "missing")), fs::filesystem_error);
    EXPECT_EQ(lister.count(), 0u);
}

TEST(FileServicesTest, SubFoldersAreTheVisibleFoldersSortedAsFilesAre)
{
    const TempFolder root;
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
    const TempFolder folder;
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

TEST(FileServicesTest, APlainFileIsReadUpToTheLimitInPieces)
{
    const TempFolder folder;
    const fs::path file = folder.path() / "Hero.d2s";
    const std::string content = std::string(200000, 's') + "end";
    WriteFile(file, content);
    const auto read = [&](std::size_t limit) {
        std::string bytes;
        ReadPlainFile(
            file, [&bytes](std::string_view piece) { bytes += piece; }, limit);
        return bytes;
    };
    EXPECT_EQ(read(content.size() + 10), content);
    EXPECT_EQ(read(315), content.substr(0, 315));
    EXPECT_EQ(read(0), "");
    WriteFile(file, "");
    EXPECT_EQ(read(315), "");
}

TEST(FileServicesTest, ACopyHasTheSourcesBytesAndExactTimeAndAFailureNamesTheFileWritten)
{
    const TempFolder root;
    const fs::path source = root.path() / "Hero.d2s";
    const fs::path target = root.path() / "copy.d2s";
    WriteFile(source, std::string(200000, 'n'));
    WriteFile(target, "an older and different copy");
    test::SetModified(source, test::kSomeSecond, 123456700);
    SystemFiles().Copy(source, target);
    EXPECT_EQ(ReadFile(target), ReadFile(source));
    EXPECT_EQ(FileStamp(target.string()), FileStamp(source.string()));

    std::vector<fs::path> unwritable{root.path() / "missing" / "copy"};
    if (fs::exists("/dev/full")) {
        unwritable.push_back("/dev/full");
    }
    for (const fs::path& written : unwritable) {
        try {
            SystemFiles().Copy(source, written);
            ADD_FAILURE() << written << " went unreported";
        } catch (const fs::filesystem_error& error) {
            EXPECT_EQ(error.path1(), written);
        }
    }
}

TEST(FileServicesTest, RenameReplacesAndMoveNeverDoes)
{
    const TempFolder root;
    const fs::path file = root.path() / "Settings.ini";
    WriteFile(file, "a much longer old content");
    SystemFiles().Write(root.path() / "new", "short");
    SystemFiles().Rename(root.path() / "new", file);
    SystemFiles().SyncFolder(root.path());
    EXPECT_EQ(ReadFile(file), "short");
    EXPECT_FALSE(fs::exists(root.path() / "new"));

    // What the game wrote a moment ago, a file or an empty folder, is never replaced.
    WriteFile(root.path() / "staged", "ours");
    root.folder("empty");
    for (const char* taken : {"Settings.ini", "empty"}) {
        try {
            SystemFiles().Move(root.path() / "staged", root.path() / taken);
            ADD_FAILURE() << taken << " was replaced";
        } catch (const fs::filesystem_error& error) {
            EXPECT_EQ(error.code(), std::errc::file_exists) << taken;
        }
    }
    EXPECT_EQ(ReadFile(file), "short");
    SystemFiles().Move(root.path() / "staged", root.path() / "placed");
    SystemFiles().Move(root.path() / "empty", root.path() / "moved");
    EXPECT_EQ(ReadFile(root.path() / "placed"), "ours");
    EXPECT_TRUE(fs::is_directory(root.path() / "moved"));

    SystemFiles().Remove(file);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_THROW(SystemFiles().Remove(file), fs::filesystem_error);
    EXPECT_THROW(SystemFiles().Rename(file, root.path() / "x"), fs::filesystem_error);
    EXPECT_THROW(SystemFiles().Move(file, root.path() / "x"), fs::filesystem_error);
}

TEST(FileServicesTest, CreatingAFolderTakesOneLevelAndNoExistingName)
{
    const TempFolder root;
    EXPECT_NO_THROW(CreateOneDirectory(JoinPath(root.text(), "one")));
    EXPECT_THROW(CreateOneDirectory(JoinPath(root.text(), "one")), std::system_error);
    EXPECT_THROW(CreateOneDirectory(JoinPath(root.text(), "two/three")), std::system_error);
}

TEST(FolderLockTest, OnlySharedLocksStandBesideEachOtherAndALockGoesWithItsHolder)
{
    const TempFolder root;
    const fs::path folder = root.folder("save");
    WriteFile(folder / "Hero.d2s", "x");
    const fs::file_time_type folderTime = fs::last_write_time(folder);
    struct Row {
        Kind other;
        Kind mine;
        bool both;
    };
    for (const Row& row :
         {Row{Kind::Shared, Kind::Shared, true}, Row{Kind::Shared, Kind::Exclusive, false},
          Row{Kind::Exclusive, Kind::Shared, false},
          Row{Kind::Exclusive, Kind::Exclusive, false}}) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(row.other) << " then " << static_cast<int>(row.mine));
        {
            const test::AnotherCopy other(folder.string(), row.other);
            ASSERT_TRUE(other.holds());
            EXPECT_EQ(FolderLock::TryLock(folder.string(), row.mine).has_value(), row.both);
        }
        EXPECT_TRUE(FolderLock::TryLock(folder.string(), row.mine).has_value()) << "let go";
    }
    // Nothing of the lock's is left in the folder, or touches its time.
    EXPECT_EQ(test::Entries(folder), Names{"Hero.d2s"});
    EXPECT_EQ(fs::last_write_time(folder), folderTime);
}

#ifndef _WIN32
TEST(FolderLockTest, TwoPathsToOneFolderTakeOneLockAndADeadHolderLetsGo)
{
    const TempFolder root;
    const fs::path folder = root.folder("save");
    fs::create_directory_symlink(folder, root.path() / "link");
    {
        const test::AnotherCopy other((root.path() / "link").string(), Kind::Exclusive);
        ASSERT_TRUE(other.holds());
        EXPECT_FALSE(FolderLock::TryLock(folder.string(), Kind::Shared).has_value());
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const std::optional<FolderLock> lock =
            FolderLock::TryLock(folder.string(), Kind::Exclusive);
        const char told = lock ? 'y' : 'n';
        static_cast<void>(::write(ready[1], &told, 1));
        for (;;) {
            ::pause();
        }
    }
    char told = 0;
    ASSERT_EQ(::read(ready[0], &told, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(told, 'y');
    EXPECT_FALSE(FolderLock::TryLock(folder.string(), Kind::Shared).has_value());
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(FolderLock::TryLock(folder.string(), Kind::Exclusive).has_value())
        << "a copy that died never stands in the way";
}
#endif

}  // namespace
}  // namespace quorrel::platform
