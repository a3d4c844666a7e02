#include "restore/restore_journal.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "restore/recover_restore.h"
#include "support/hero_folders.h"
#include "support/listed_names.h"

// The journal is read at every start from a folder anything may have written into: what cannot be
// followed is refused unread, and the recovery touches nothing and says what to do with each file.
namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace test;

TEST(RestoreJournalTest, AnyNameSurvivesTheJournal)
{
    const RestoreJournal named{
        true,
        {{"Hero of 12: the\nnorth.d2s", ".1 2\n.quorrel-new", ".x.quorrel-old", "AbC-_9 x"},
         {"notes.txt", ".notes.txt.quorrel-new", "", ""}}};
    EXPECT_EQ(DecodeJournal(EncodeJournal(named)), named);
}

TEST(RestoreJournalTest, AJournalThatCannotBeFollowedChangesNothingAndSaysWhatToDo)
{
    const auto text = [](std::string body) {
        return [body](const fs::path& journal) { WriteFile(journal, body); };
    };
    struct Row {
        const char* what;
        std::function<void(const fs::path& journal)> make;
        const char* reason;
    };
    const std::vector<Row> rows = {
        {"the version before", text("Quorrel restore journal 1\nplanned\nend\n"), "not whole"},
        {"cut short", text("Quorrel restore journal 2\nplanned\nplace 8:Hero.d2s 2:.x 0: 3:abc\n"),
         "not whole"},
        {"a NUL in a name",
         text("Quorrel restore journal 2\nplanned\nplace 9:Hero.d2s\0 2:.x 0: 0:\nend\n"s),
         "outside"},
        {"a name outside the folder",
         text("Quorrel restore journal 2\nplanned\nplace 11:../Hero.d2s 2:.x 0: 0:\nend\n"),
         "outside"},
        {"the journal as a temporary file",
         text("Quorrel restore journal 2\nplanned\nplace 8:Hero.d2s 24:" +
              std::string(kJournalName) + " 0: 0:\nend\n"),
         "twice"},
        {"larger than any restore writes",
         [](const fs::path& journal) {
             WriteFile(journal, "Quorrel restore journal 2\nplanned\n");
             fs::resize_file(journal, 64ull << 20);  // sparse: it takes no room
         },
         "larger"},
#ifndef _WIN32
        {"a link to an endless device",
         [](const fs::path& journal) { fs::create_symlink("/dev/zero", journal); }, "plain file"},
#endif
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder save;
        for (const char* name : {"Hero.d2s", ".Hero.d2s.quorrel-new", ".Hero.d2s.quorrel-old-2"}) {
            WriteFile(save.path() / name, name);
        }
        const fs::path journal = save.path() / kJournalName;
        row.make(journal);
        const std::vector<std::string> entries = Entries(save.path());
        try {
            RecoverRestore(save.text(), platform::SystemFiles());
            ADD_FAILURE() << "a journal that cannot be followed was followed";
        } catch (const UnusableJournal& error) {
            EXPECT_EQ(fs::path(error.file()), journal);
            EXPECT_NE(error.reason().find(row.reason), std::string::npos) << error.reason();
            std::set<std::string> leftovers;
            for (const Leftover& file : error.leftovers()) {
                leftovers.insert(fs::path(file.file).filename().string() + ": " + file.what);
            }
            EXPECT_EQ(leftovers,
                      (std::set<std::string>{
                          ".Hero.d2s.quorrel-new: a copy of Hero.d2s from the snapshot, perhaps "
                          "incomplete: delete it",
                          ".Hero.d2s.quorrel-old-2: Hero.d2s as it was before the restore: to "
                          "have it back, rename this file to Hero.d2s, in place of any file of "
                          "that name; otherwise delete it",
                          ".quorrel-restore.journal: the journal of the restore: delete it last"}));
        }
        EXPECT_EQ(Entries(save.path()), entries);
        EXPECT_EQ(ReadFile(save.path() / "Hero.d2s"), "Hero.d2s");
    }
}

}  // namespace
}  // namespace quorrel
