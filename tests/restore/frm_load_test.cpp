#include "restore/frm_load.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "platform/qt/dir_list_box.h"
#include "restore/restore_journal.h"
#include "support/another_copy.h"
#include "support/gui_fakes.h"
#include "support/hero_folders.h"
#include "support/save_header.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;
using platform::MsgBoxIcon;

// The dialog over Hero's scene (see HeroScene), whose folder is SnapshotDir. The clock names a
// safety snapshot Hero-06-12-2026-15-04-09.
struct LoadScene {
    HeroScene scene;
    FakeClock clock;
    RecordingDialogs dialogs;
    WatchedFiles files;
    Settings settings{scene.save.string(), scene.root.text(), "60"};
    QWidget parent;
    std::unique_ptr<AnotherCopy> otherCopy;
    fs::path safetySnapshot = scene.root.path() / "Hero-06-12-2026-15-04-09";

    // Opens the dialog and in it, unless empty, this folder.
    std::unique_ptr<frmLoad> Open(const fs::path& folder = {})
    {
        auto dialog = std::make_unique<frmLoad>(settings, clock, files, dialogs, &parent);
        dialog->show();
        if (!folder.empty()) {
            EXPECT_TRUE(dialog->Dir1().setPath(QString::fromStdString(folder.string())));
        }
        return dialog;
    }

    // Presses Load on the folder; returns the dialog, closed unless it waits for another choice.
    std::unique_ptr<frmLoad> Load(const fs::path& folder)
    {
        auto dialog = Open(folder);
        dialog->cmdLoad().click();
        return dialog;
    }

    // A folder of the history with these files.
    fs::path Folder(const std::string& name, const std::vector<std::string>& files)
    {
        for (const std::string& file : files) {
            WriteFile(scene.root.folder(name) / file, "x");
        }
        return scene.root.path() / name;
    }
};

// What goes wrong, and the boxes that say so: their words, in order, and the last one's icon.
struct Refusal {
    const char* what;
    std::function<void(LoadScene&)> prepare;
    std::function<void(LoadScene&)> press;  // Load on the snapshot when empty
    std::vector<std::string> words;
    MsgBoxIcon icon = MsgBoxIcon::Critical;
    std::string gameSaves;  // a save file that the game writes meanwhile
    bool asBefore = true;   // the save folder is left as it was, the game's save aside
    bool safetySnapshot = false;
};

// The game saves Hero.d2s, once, before the first `operation` on a file for which `where` holds.
void GameSaves(LoadScene& s, const char* operation,
               const std::function<bool(const fs::path& file)>& where)
{
    s.files.before = [&s, operation, where, saved = false](std::string_view now,
                                                           const fs::path& file) mutable {
        if (!saved && now == operation && where(file)) {
            WriteFile(s.scene.save / "Hero.d2s", "saved by the game meanwhile");
            saved = true;
        }
    };
}

TEST(FrmLoadTest, EachFailureIsReportedAndNeverPassedOffAsSuccess)
{
    const std::string invalid = "Please select a valid save game directory";
    const std::string notRestored = "The snapshot could not be restored.\n\n";
    const std::string asItWas = "\n\nThe save game directory was left as it was.";
    const std::string interrupted =
        "Quorrel was interrupted while restoring a snapshot into the save game directory\n";
    const auto kill = [](const char* operation, const std::string& ending) {
        return [=](LoadScene& s) {
            KillRestore(s.scene.snapshot, s.scene.save,
                        [=](std::string_view now, const fs::path& file) {
                            return now == operation && file.filename().string().ends_with(ending);
                        });
        };
    };
    const std::vector<Refusal> refusals = {
        {"too few save files",
         nullptr,
         [](LoadScene& s) {
             s.Load(s.Folder("two", {"Hero.d2s", "Hero.key"}));
         },
         {invalid},
         MsgBoxIcon::Information},
        {"upper-case endings",
         nullptr,
         [](LoadScene& s) {
             s.Load(s.Folder("upper", {"Hero.D2S", "Hero.KEY", "Hero.MAP"}));
         },
         {invalid},
         MsgBoxIcon::Information},
        {"a snapshot merely highlighted: SnapshotDir itself is checked",
         nullptr,
         [](LoadScene& s) {
             auto dialog = s.Open();
             QListWidget& list = dialog->Dir1().list();
             list.setCurrentItem(list.findItems("Hero-29-11-2026-20-15-00", Qt::MatchExactly)[0]);
             dialog->cmdLoad().click();
         },
         {invalid},
         MsgBoxIcon::Information},
        {"the disk fills up",
         [](LoadScene& s) { FillUp(s.files, s.scene.save, "Hero.map"); },
         nullptr,
         {notRestored, "Hero.map\n" + std::make_error_code(std::errc::no_space_on_device).message(),
          asItWas},
         MsgBoxIcon::Critical,
         "",
         true,
         true},
        {"another copy restores into the save folder",
         [](LoadScene& s) {
             s.otherCopy = std::make_unique<AnotherCopy>(s.scene.save.string(),
                                                         platform::FolderLock::Kind::Exclusive);
         },
         nullptr,
         {notRestored,
          "\nAnother copy of Quorrel is restoring a snapshot into it, or putting it "
          "in order. Try again once it has finished." +
              asItWas}},
        {"SnapshotDir was moved away",
         [](LoadScene& s) { s.settings.SnapshotDir = (s.scene.root.path() / "moved").string(); },
         [](LoadScene& s) {
             auto dialog = s.Open();
             dialog->Dir1().setPath(QString::fromStdString(s.scene.snapshot.string()));
             dialog->cmdLoad().click();
         },
         {"The snapshot directory ", "moved cannot be found.",
          "Quorrel could not first keep a copy of the save files that it would replace.",
          "moved\n" + std::make_error_code(std::errc::no_such_file_or_directory).message(),
          asItWas}},
        {"the game saves while the safety snapshot is taken",
         [](LoadScene& s) {
             GameSaves(s, "Copy",
                       [&s](const fs::path& file) { return file.parent_path() != s.scene.save; });
         },
         nullptr,
         {"could not first keep a copy", "the game may be saving", asItWas},
         MsgBoxIcon::Critical,
         "Hero.d2s"},
        {"the game saves between the safety snapshot and the restore",
         [](LoadScene& s) {
             GameSaves(s, "Write",
                       [&s](const fs::path& file) { return file.parent_path() == s.scene.save; });
         },
         nullptr,
         {notRestored, "Hero.d2s\nThe game saved it meanwhile", asItWas},
         MsgBoxIcon::Critical,
         "Hero.d2s",
         true,
         true},
        {"the restore fails and so does the way back",
         [](LoadScene& s) {
             s.files.before = [placed = false](std::string_view now, const fs::path& file) mutable {
                 placed = placed || file.filename() == ".notes.txt.quorrel-new";
                 if (placed && now != "Copy") {
                     throw fs::filesystem_error("Cannot", file,
                                                std::make_error_code(std::errc::io_error));
                 }
             };
         },
         nullptr,
         {"could not be restored, and the save game directory could not be put back as it was",
          "Left in the save game directory:", "the journal of the restore",
          "Quorrel tries again to put it back the next time it starts"},
         MsgBoxIcon::Critical,
         "",
         false,
         true},
        {"an interrupted restore whose journal cannot be read",
         [](LoadScene& s) {
             WriteFile(s.scene.save / kJournalName, "Quorrel restore journal 2\n");
         },
         nullptr,
         {interrupted, "Its journal cannot be read", "until you have put it in order yourself",
          std::string(kJournalName) + ": the journal of the restore: delete it last"}},
        {"an interrupted restore that cannot be put in order",
         [kill](LoadScene& s) {
             kill("Move", ".Hero.map.quorrel-new")(s);
             s.files.before = [](std::string_view now, const fs::path& file) {
                 if (now == "Move") {
                     throw fs::filesystem_error("Cannot", file,
                                                std::make_error_code(std::errc::io_error));
                 }
             };
         },
         nullptr,
         {interrupted, "could not put that directory in order", "It tries again the next time",
          "Left in the save game directory:",
          ".Hero.map.quorrel-old: the save file Hero.map as it was before"},
         MsgBoxIcon::Critical,
         "",
         false},
#ifndef _WIN32
        {"a save folder that cannot be read",
         [](LoadScene& s) {
             s.settings.SaveGameDir = (s.scene.root.path() / "loop").string();
             fs::create_symlink(s.settings.SaveGameDir, s.settings.SaveGameDir);
         },
         nullptr,
         {"Quorrel cannot read the save game directory\n",
          std::make_error_code(std::errc::too_many_symbolic_link_levels).message()}},
#endif
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        LoadScene s;
        if (refusal.prepare) {
            refusal.prepare(s);
        }
        FolderImage before = ImageOf(s.scene.save);
        if (refusal.press) {
            refusal.press(s);
        } else {
            EXPECT_FALSE(s.Load(s.scene.snapshot)->isVisible());
        }
        ASSERT_FALSE(s.dialogs.boxes.empty());
        std::string said;
        for (const RecordingDialogs::Box& box : s.dialogs.boxes) {
            said += box.prompt.toStdString() + "\n";
        }
        std::size_t at = 0;
        for (const std::string& words : refusal.words) {
            at = said.find(words, at);
            ASSERT_NE(at, std::string::npos) << "\"" << words << "\" is not in:\n" << said;
        }
        EXPECT_EQ(s.dialogs.boxes.back().icon, refusal.icon);
        EXPECT_EQ(s.dialogs.boxes.back().title, "Error");
        FolderImage now = ImageOf(s.scene.save);
        if (!refusal.gameSaves.empty()) {
            EXPECT_EQ(ReadFile(s.scene.save / refusal.gameSaves), "saved by the game meanwhile");
            now.erase(refusal.gameSaves);
            before.erase(refusal.gameSaves);
        }
        EXPECT_EQ(now == before, refusal.asBefore);
        EXPECT_EQ(fs::exists(s.safetySnapshot), refusal.safetySnapshot);
    }
}

TEST(FrmLoadTest, LoadReplacesTheNamesakesAfterKeepingWhatItReplaces)
{
    LoadScene s;
    EXPECT_FALSE(s.Load(s.scene.snapshot)->isVisible());
    EXPECT_TRUE(s.dialogs.boxes.empty());
    EXPECT_TRUE(s.dialogs.questions.empty()) << "a living character is restored without asking";
    EXPECT_EQ(ImageOf(s.scene.save), s.scene.after);
    // A wrong restore can be undone from the same dialog.
    FolderImage replaced = s.scene.before;
    replaced.erase("Other.d2s");
    EXPECT_EQ(ImageOf(s.safetySnapshot), replaced);
}

TEST(FrmLoadTest, AnInterruptedRestoreIsPutInOrderFirstAndItsBoxHoldsNoLock)
{
    LoadScene s;
    KillRestore(s.scene.snapshot, s.scene.save,
                [](std::string_view operation, const fs::path& file) {
                    return operation == "Move" && file.filename().string().ends_with(kStagedEnding);
                });
    // While the box is up, another copy's check can look at the save folder.
    bool free = false;
    s.dialogs.onBox = [&](const RecordingDialogs::Box&) {
        AsAnotherCopy([&] {
            free = platform::FolderLock::TryLock(s.scene.save.string(),
                                                 platform::FolderLock::Kind::Shared)
                       .has_value();
        });
    };
    s.Load(s.scene.snapshot);
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(s.dialogs.boxes[0].prompt.contains("put back as they were before the restore."));
    EXPECT_EQ(s.dialogs.boxes[0].icon, MsgBoxIcon::Information);
    EXPECT_TRUE(free);
    EXPECT_EQ(ImageOf(s.scene.save), s.scene.after) << "and then restored";
    EXPECT_EQ(ReadFile(s.safetySnapshot / "Hero.d2s"), "now Hero.d2s")
        << "the safety snapshot was taken of the folder put back in order";
}

TEST(FrmLoadTest, ACharacterDeadInHardcoreIsRestoredOnlyIfThePlayerSaysYes)
{
    for (const bool yes : {false, true}) {
        LoadScene s;
        SaveHeader dead;
        dead.status = 0x2C;
        WriteFile(s.scene.snapshot / "Hero.d2s", dead.bytes());
        s.dialogs.yesNoAnswers.push_back(yes);
        const auto dialog = s.Load(s.scene.snapshot);
        ASSERT_EQ(s.dialogs.questions.size(), 1u);
        EXPECT_EQ(s.dialogs.questions[0],
                  "This snapshot holds Hero dead in hardcore; the game will not let this character "
                  "play again. Restore it anyway?");
        EXPECT_TRUE(s.dialogs.boxes.empty());
        EXPECT_EQ(ReadFile(s.scene.save / "Hero.d2s"), yes ? dead.bytes() : "now Hero.d2s");
        EXPECT_EQ(fs::exists(s.safetySnapshot), yes);
        EXPECT_EQ(dialog->isVisible(), !yes) << "so that another snapshot can be chosen";
    }
}

// The tool tip of an entry, as the list gives it when the pointer rests on it.
std::string TipOf(frmLoad& dialog, const fs::path& folder)
{
    QListWidget& list = dialog.Dir1().list();
    const auto found =
        list.findItems(QString::fromStdString(folder.filename().string()), Qt::MatchExactly);
    if (found.size() != 1) {
        return "no such entry";
    }
    return list.model()
        ->data(list.indexFromItem(found.at(0)), Qt::ToolTipRole)
        .toString()
        .toStdString();
}

TEST(FrmLoadTest, EachSnapshotsTipSaysWhichCharacterItHolds)
{
    LoadScene s;
    SaveHeader hero;
    hero.status = 0x04;  // hardcore, classic
    hero.savedAt = static_cast<std::uint32_t>(
        QDateTime(QDate(2026, 12, 6), QTime(15, 4, 9)).toSecsSinceEpoch());
    const fs::path withTime = s.scene.root.folder("Hero-06-12-2026-15-05-00");
    WriteFile(withTime / "Hero.d2s", hero.bytes());
    SaveHeader dead;
    dead.version = 99;
    dead.status = 0x6C;  // expansion, ladder, hardcore, died
    dead.characterClass = 6;
    dead.level = 99;
    const fs::path withoutTime = s.scene.root.folder("Hero-01-02-2027-03-04-05");
    WriteFile(withoutTime / "Hero.d2s", dead.bytes());
    SaveHeader old;
    old.version = 71;
    const fs::path oldFormat = s.scene.root.folder("Old-01-02-2003-04-05-06");
    WriteFile(oldFormat / "Old.d2s", old.bytes());
    const fs::path noSave = s.Folder("notes", {"notes.txt"});

    auto dialog = s.Open();
    EXPECT_EQ(TipOf(*dialog, withTime),
              "Hero-06-12-2026-15-05-00\nHero — level 42 Sorceress, Hardcore\n"
              "saved 06-12-2026 15:04:09");
    EXPECT_EQ(TipOf(*dialog, withoutTime),
              "Hero-01-02-2027-03-04-05\nHero — level 99 Assassin, Expansion, Hardcore, Ladder "
              "— dead\nsaved 01-02-2027 03:04:05");
    EXPECT_EQ(TipOf(*dialog, oldFormat),
              "Old-01-02-2003-04-05-06\nno character summary (save format 71)");
    EXPECT_EQ(TipOf(*dialog, s.scene.snapshot),
              "Hero-29-11-2026-20-15-00\nno character summary (Hero.d2s is no save file or cannot "
              "be read)");
    EXPECT_EQ(TipOf(*dialog, noSave), "notes");
    // Read when asked, not when the list was filled.
    fs::remove(withTime / "Hero.d2s");
    EXPECT_EQ(TipOf(*dialog, withTime), "Hero-06-12-2026-15-05-00");
}

}  // namespace
}  // namespace quorrel
