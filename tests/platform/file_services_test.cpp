// The file layer that every reader and writer of the program goes through: the one folder walk,
// the one plain-file open, the durable file operations and the folder lock.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#ifndef _WIN32
#include <sys/stat.h>
#else
#include "windows_test_support.h"
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
using test::ReadFile, test::TempFolder, test::WriteFile;
using Kind = FolderLock::Kind;

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
    };
    const Row rows[] = {
        {"missing", [](const fs::path&) {}, std::nullopt},
        {"folder", [](const fs::path& at) { fs::create_directory(at); }, EntryKind::Folder},
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
        std::optional<EntryKind> walked;
        WalkFolder(folder.string(), [&](const FolderEntry& found) {
            walked = found.name == row.name ? std::optional(found.kind) : walked;
        });
        EXPECT_EQ(walked, row.walked);
        try {
            ReadPlainFile(entry, [](std::string_view) { ADD_FAILURE() << "read"; });
            ADD_FAILURE() << "read without a failure";
        } catch (const fs::filesystem_error& error) {
            EXPECT_EQ(error.path1(), entry);
        }
        EXPECT_THROW(SystemFiles().Copy(entry, root.path() / "copy"), fs::filesystem_error);
        EXPECT_FALSE(fs::exists(root.path() / "copy"));
        if (row.walked == EntryKind::Folder) {
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

// ListFolder and FileLister (the file list boxes) and ListSubFolders (the directory list box).
TEST(FileServicesTest, ListingsHaveTheVisiblePlainFilesOrFoldersSortedByNameFilesWithStamps)
{
    const TempFolder folder;
    WriteFile(folder.path() / "A.key", "x");
    // Windows keeps one file for names that differ only in case.
    const bool foldsCase = fs::exists(folder.path() / "a.key");
    for (const char* name : {"b.d2s", ".hidden", "a.key", "C.map"}) {
        WriteFile(folder.path() / name, "x");
    }
    for (const char* name : {"beta", "Alpha", ".hidden.d2s", "alpha2"}) {
        folder.folder(name);
    }
#ifndef _WIN32
    fs::create_directory_symlink(folder.path() / "beta", folder.path() / "Link");
    EXPECT_EQ(ListSubFolders(folder.text()), (Names{"Alpha", "alpha2", "beta", "Link"}));
#else
    EXPECT_EQ(ListSubFolders(folder.text()), (Names{"Alpha", "alpha2", "beta"}));
    // Files hidden or marked as the system's are no save files either.
    for (const auto& [name, hidden, system] : {std::tuple{"Hero.map", true, false},
                                               {"Thumbs.db", false, true},
                                               {"desktop.ini", true, true},
                                               {"b.d2s", false, false}}) {
        WriteFile(folder.path() / name, "x");
        test::SetHiddenAndSystem(folder.path() / name, hidden, system);
        EXPECT_EQ(IsOrdinaryFile(JoinPath(folder.text(), name)), !hidden && !system);
        EXPECT_EQ(IsHiddenOrSystem(folder.text(), name), hidden || system) << name;
    }
#endif
    EXPECT_EQ(ListSubFolders(JoinPath(folder.text(), "beta")), Names{});
    EXPECT_THROW(ListSubFolders(JoinPath(folder.text(), "b.d2s")), fs::filesystem_error);

    // Listed again and again, as a check does: new stamps, then other files.
    FileLister lister;
    const auto listed = [&] {
        lister.list(folder.text());
        for (std::size_t i = 0; i < lister.count(); ++i) {
            EXPECT_EQ(lister.stamp(i), FileStamp(JoinPath(folder.text(), lister.name(i))));
        }
        EXPECT_EQ(test::ListedNames(folder.text()), lister.names());
        return lister.names();
    };
    const Names first = listed();
    EXPECT_EQ(first, (foldsCase ? Names{"A.key", "b.d2s", "C.map"}
                                : Names{"A.key", "a.key", "b.d2s", "C.map"}));
    test::SetModified(folder.path() / "b.d2s", test::kSomeSecond, 0);
    EXPECT_EQ(listed(), first);
    WriteFile(folder.path() / "B.map", "x");
    fs::remove(folder.path() / "C.map");
    EXPECT_EQ(listed(), (foldsCase ? Names{"A.key", "b.d2s", "B.map"}
                                   : Names{"A.key", "a.key", "b.d2s", "B.map"}));
    EXPECT_THROW(lister.list(JoinPath(folder.text(), "missing")), fs::filesystem_error);
    EXPECT_EQ(lister.count(), 0u);
}

// Stamps tell apart saves within one second: 100 ns later (the finest step Windows keeps), or at
// the same instant with another size.
TEST(FileServicesTest, ASaveIsReadUpToALimitOrCopiedWithItsStampAndNeverReplacedByAMove)
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
    test::SetModified(target, test::kSomeSecond, 123456800);
    EXPECT_NE(FileStamp(target.string()), FileStamp(source.string())) << "100 ns later";
    WriteFile(target, "another size");
    test::SetModified(target, test::kSomeSecond, 123456700);
    EXPECT_NE(FileStamp(target.string()), FileStamp(source.string())) << "the same instant";
    WriteFile(target, "");
    for (const auto& [file, limit] : std::initializer_list<std::pair<fs::path, std::size_t>>{
             {source, 200010}, {source, 315}, {source, 0}, {target, 315}}) {
        std::string bytes;
        ReadPlainFile(
            file, [&bytes](std::string_view piece) { bytes += piece; }, limit);
        EXPECT_EQ(bytes, ReadFile(file).substr(0, limit)) << file << " " << limit;
    }

    for (const fs::path& written : {root.path() / "missing" / "copy", fs::path("/dev/full")}) {
        if (!fs::exists(written.parent_path())) {
            continue;  // Windows has no full device
        }
        try {
            SystemFiles().Copy(source, written);
            ADD_FAILURE() << written << " went unreported";
        } catch (const fs::filesystem_error& error) {
            EXPECT_EQ(error.path1(), written);
        }
    }
    // What the game wrote a moment ago, a file or an empty folder, is never replaced by a move.
    // (A rename that replaces is seen in the settings file's tests.)
    root.folder("empty");
    for (const fs::path& taken : {source, root.path() / "empty"}) {
        try {
            SystemFiles().Move(target, taken);
            ADD_FAILURE() << taken << " was replaced";
        } catch (const fs::filesystem_error& error) {
            EXPECT_EQ(error.code(), std::errc::file_exists) << taken;
        }
    }
    EXPECT_EQ(ReadFile(source), std::string(200000, 'n'));
    SystemFiles().Remove(target);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_THROW(SystemFiles().Remove(target), fs::filesystem_error);
    EXPECT_THROW(SystemFiles().Rename(target, root.path() / "x"), fs::filesystem_error);
    EXPECT_THROW(SystemFiles().Move(target, root.path() / "x"), fs::filesystem_error);
    // New Direcory makes one folder inside the open one, never the folders above it.
    EXPECT_THROW(CreateOneDirectory(JoinPath(root.text(), "two/three")), std::system_error);
}

// Another copy's lock is taken through a link: two paths to one folder take one lock. (That a
// killed copy's lock goes is seen in the snapshot kill loop.)
TEST(FolderLockTest, OnlySharedLocksStandBesideEachOtherAndALockGoesWithItsHolder)
{
    const TempFolder root;
    const fs::path folder = root.folder("save");
    WriteFile(folder / "Hero.d2s", "x");
    const fs::file_time_type folderTime = fs::last_write_time(folder);
#ifndef _WIN32
    const fs::path other = root.path() / "link";
    fs::create_directory_symlink(folder, other);
#else
    const fs::path other = folder;
#endif
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
            const test::AnotherCopy copy(other.string(), row.other);
            ASSERT_TRUE(copy.holds());
            EXPECT_EQ(FolderLock::TryLock(folder.string(), row.mine).has_value(), row.both);
        }
        EXPECT_TRUE(FolderLock::TryLock(folder.string(), row.mine).has_value()) << "let go";
    }
    // Nothing of the lock's is left in the folder, or touches its time.
    EXPECT_EQ(test::Entries(folder), Names{"Hero.d2s"});
    EXPECT_EQ(fs::last_write_time(folder), folderTime);
}

}  // namespace
}  // namespace quorrel::platform
