#include <gtest/gtest.h>

#include <string>

#include "restore/recover_restore.h"
#include "restore/restore_error.h"
#include "restore/restore_journal.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

// The journal is read at every start from a folder that anything may have written into: what is
// there instead of a journal is refused unread, never waited on or read without end.
namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace test;

TEST(JournalFileTest, ANameHoldingANulIsRefused)
{
    const std::string place = "place 9:Hero.d2s\0 22:.Hero.d2s.quorrel-new 0: 1\n"s;
    for (const std::string& line :
         {place, "place 8:Hero.d2s 22:.Hero\0d2s.quorrel-new 0: 1\n"s,
          "place 8:Hero.d2s 21:.Hero.d2s.quorrel-new 22:.Hero.d2s.quorrel-ol\0d 1\n"s}) {
        SCOPED_TRACE(line);
        EXPECT_THROW(DecodeJournal("Quorrel restore journal 1\nplanned\n" + line + "end\n"),
                     JournalUnreadable);
    }
}

// What stands in the journal's place: the recovery reports it, changes nothing and returns.
void ExpectRefusedUnread(const fs::path& save, const std::string& reasonPart)
{
    const fs::path journal = save / kJournalName;
    try {
        RecoverRestore(save.string(), platform::SystemFiles());
        ADD_FAILURE() << "a journal that is none was followed";
    } catch (const RestoreError& error) {
        EXPECT_EQ(fs::path(error.file()), journal);
        EXPECT_NE(error.reason().find(reasonPart), std::string::npos) << error.reason();
        EXPECT_EQ(error.state(), SaveFolderState::Unfinished);
    }
    EXPECT_TRUE(fs::exists(fs::symlink_status(journal))) << "it is left where it is";
}

TEST(JournalFileTest, AJournalLargerThanAnyRestoreWritesIsRefusedUnread)
{
    TempFolder folder;
    const fs::path journal = folder.path() / kJournalName;
    WriteFile(journal, "Quorrel restore journal 1\nplanned\n");
    fs::resize_file(journal, 64ull << 20);  // sparse: it takes no room
    ExpectRefusedUnread(folder.path(), "larger");
}

TEST(JournalFileTest, AFifoInTheJournalsPlaceIsNeitherOpenedNorWaitedOn)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no FIFO that a file name can stand for";
#else
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder.path() / kJournalName).c_str(), 0600), 0);
    ExpectRefusedUnread(folder.path(), "plain file");
#endif
}

TEST(JournalFileTest, ALinkInTheJournalsPlaceIsNotFollowed)
{
#ifdef _WIN32
    GTEST_SKIP() << "Making a link needs a privilege that the Windows tests do not have";
#else
    // To an endless device, and to a journal that would be whole.
    TempFolder folder;
    fs::create_symlink("/dev/zero", folder.path() / kJournalName);
    ExpectRefusedUnread(folder.path(), "plain file");

    TempFolder other;
    WriteFile(other.path() / "elsewhere", "Quorrel restore journal 1\nplanned\nend\n");
    fs::create_symlink(other.path() / "elsewhere", other.path() / kJournalName);
    ExpectRefusedUnread(other.path(), "plain file");
#endif
}

}  // namespace
}  // namespace quorrel
