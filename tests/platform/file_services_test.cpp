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

// The failure a step reports; one that names no path and no error if the step went through.
template <class Step>
fs::filesystem_error FailureOf(Step step)
{
    try {
        step();
    } catch (const fs::filesystem_error& failure) {
        return failure;
    }
    return fs::filesystem_error("went through", std::error_code());
}

TEST(FileServicesTest, WhatIsNoPlainFileIsWalkedAsWhatItIsAndNeverReadWrittenOrWaitedOn)
{
    const TempFolder root;
    const fs::path folder = root.folder("save"), outside = root.path() / "outside";
    WriteFile(outside, "a secret outside the save folder");
    const std::pair<const char*, std::function<void(const fs::path&)>> rows[] = {
        {"missing", [](const fs::path&) {}},
        {"folder", [](const fs::path& at) { fs::create_directory(at); }},
#ifndef _WIN32
        {"link to a file", [&](const fs::path& at) { fs::create_symlink(outside, at); }},
        {"dangling link",
         [&](const fs::path& at) { fs::create_symlink(root.path() / "gone", at); }},
        // Opening a FIFO the usual way would wait for ever for its other end.
        {"FIFO", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); }},
#endif
    };
    for (const auto& [name, make] : rows) {
        SCOPED_TRACE(name);
        const fs::path entry = folder / name;
        make(entry);
        const bool isFolder = name == std::string("folder"),
                   missing = !fs::exists(fs::symlink_status(entry));
        std::optional<EntryKind> walked;
        WalkFolder(folder.string(), [&](const FolderEntry& found) {
            walked = found.name == name ? std::optional(found.kind) : walked;
        });
        EXPECT_EQ(walked, missing ? std::nullopt
                                  : std::optional(isFolder ? EntryKind::Folder : EntryKind::Other));
        const auto read = [&] { ReadPlainFile(entry, [](std::string_view) { ADD_FAILURE(); }); };
        EXPECT_EQ(FailureOf(read).path1(), entry);
        EXPECT_THROW(SystemFiles().Copy(entry, root.path() / "copy"), fs::filesystem_error);
        EXPECT_FALSE(fs::exists(root.path() / "copy"));
        const auto lock = [&] { EXPECT_TRUE(FolderLock::TryLock(entry.string(), Kind::Shared)); };
        EXPECT_EQ(FailureOf(lock).path1().empty(), isFolder);
        if (!missing) {  // a missing log is made (see the error log's tests)
            EXPECT_THROW(AppendInOneWrite(entry, "entry"), fs::filesystem_error);
        }
    }
    EXPECT_EQ(ReadFile(outside), "a secret outside the save folder");
}

TEST(FileServicesTest, ListingsHaveTheVisiblePlainFilesOrFoldersSortedByNameFilesWithStamps)
{
    const TempFolder folder;
    for (const char* name :
         {"b.d2s", ".hidden", "C.map", "A.key"}) {  // neither sorted nor reversed
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
                                               {"b.d2s", false, false}}) {
        WriteFile(folder.path() / name, "x");
        test::SetHiddenAndSystem(folder.path() / name, hidden, system);
        EXPECT_EQ(IsOrdinaryFile(JoinPath(folder.text(), name)), !hidden && !system);
        EXPECT_EQ(IsHiddenOrSystem(folder.text(), name), hidden || system) << name;
    }
#endif
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
    EXPECT_EQ(first, (Names{"A.key", "b.d2s", "C.map"}));
    test::SetModified(folder.path() / "b.d2s", test::kSomeSecond, 0);
    EXPECT_EQ(listed(), first);
    WriteFile(folder.path() / "B.map", "x");
    fs::remove(folder.path() / "C.map");
    EXPECT_EQ(listed(), (Names{"A.key", "b.d2s", "B.map"}));
    EXPECT_THROW(lister.list(JoinPath(folder.text(), "missing")), fs::filesystem_error);
    EXPECT_EQ(lister.count(), 0u);
}

// Stamps tell apart saves within one second: 100 ns later, or at the same instant, another size.
TEST(FileServicesTest, ASaveIsReadUpToALimitOrCopiedWithItsStampAndNeverReplacedByAMove)
{
    const TempFolder root;
    const fs::path source = root.path() / "Hero.d2s", target = root.path() / "copy.d2s";
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

    EXPECT_EQ(FailureOf([&] { SystemFiles().Copy(source, root.path() / "no/copy"); }).path1(),
              root.path() / "no/copy");
#ifndef _WIN32
    EXPECT_EQ(FailureOf([&] { SystemFiles().Copy(source, "/dev/full"); }).path1(), "/dev/full");
#endif
    // What the game wrote a moment ago, a file or an empty folder, is never replaced by a move.
    root.folder("empty");
    for (const fs::path& taken : {source, root.path() / "empty"}) {
        EXPECT_EQ(FailureOf([&] { SystemFiles().Move(target, taken); }).code(),
                  std::errc::file_exists);
    }
    EXPECT_EQ(ReadFile(source), std::string(200000, 'n'));
    SystemFiles().Remove(target);
    EXPECT_THROW(SystemFiles().Remove(target), fs::filesystem_error);
    EXPECT_THROW(SystemFiles().Rename(target, root.path() / "x"), fs::filesystem_error);
    EXPECT_THROW(SystemFiles().Move(target, root.path() / "x"), fs::filesystem_error);
    // New Direcory makes one folder inside the open one, never the folders above it.
    EXPECT_THROW(CreateOneDirectory(JoinPath(root.text(), "two/three")), std::system_error);
}

// Two paths to one folder take one lock: while another copy checks the folder through a link, a
// restore waits and a check goes beside it.
TEST(FolderLockTest, ALockTakenThroughALinkIsTheFoldersAndLeavesNothingInIt)
{
    const TempFolder root;
    const fs::path folder = root.folder("save");
    WriteFile(folder / "Hero.d2s", "x");
    const auto folderTime = fs::last_write_time(folder);
#ifndef _WIN32
    const fs::path other = root.path() / "link";
    fs::create_directory_symlink(folder, other);
#else
    const fs::path other = folder;
#endif
    {
        const test::AnotherCopy checking(other.string(), Kind::Shared);
        ASSERT_TRUE(checking.holds());
        EXPECT_FALSE(FolderLock::TryLock(folder.string(), Kind::Exclusive).has_value());
        EXPECT_TRUE(FolderLock::TryLock(folder.string(), Kind::Shared).has_value());
    }
    EXPECT_TRUE(FolderLock::TryLock(folder.string(), Kind::Exclusive).has_value()) << "let go";
    EXPECT_EQ(test::Entries(folder), Names{"Hero.d2s"});
    EXPECT_EQ(fs::last_write_time(folder), folderTime);
}

}  // namespace
}  // namespace quorrel::platform
