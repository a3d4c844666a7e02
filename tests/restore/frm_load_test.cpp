#include "restore/frm_load.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDateTime>
#include <QListWidget>
#include <QPushButton>

#include "platform/path_text.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/drive_list_box.h"
#include "platform/qt/text.h"
#include "restore/history_menu.h"
#include "restore/restore_journal.h"
#include "restore/snapshot_tip.h"
#include "snapshot/history_index.h"
#include "support/another_copy.h"
#include "support/gui_fakes.h"
#include "support/hero_folders.h"
#include "support/save_header.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;
using platform::MsgBoxIcon;
using When = std::function<bool(std::string_view operation, const fs::path& file)>;
using Files = std::map<std::string, std::string>;

// The dialog over Hero's scene, whose folder is SnapshotDir. The clock names a safety snapshot
// Hero-06-12-2026-15-04-09.
struct LoadScene {
    HeroScene scene;
    FakeClock clock;
    RecordingDialogs dialogs;
    WatchedFiles files;
    Settings settings{scene.save.string(), scene.root.text(), "60"};
    QWidget parent;
    std::unique_ptr<AnotherCopy> otherCopy;
    fs::path safetySnapshot = scene.root.path() / "Hero-06-12-2026-15-04-09";

    // Opens the dialog and in it, unless empty, this folder; Load also presses Load.
    std::unique_ptr<frmLoad> Open(const fs::path& folder = {})
    {
        auto dialog = std::make_unique<frmLoad>(settings, clock, files, dialogs, &parent);
        dialog->show();
        EXPECT_TRUE(folder.empty() ||
                    dialog->Dir1().setPath(platform::ToQString(platform::ToText(folder))));
        return dialog;
    }
    std::unique_ptr<frmLoad> Load(const fs::path& folder)
    {
        auto dialog = Open(folder);
        dialog->cmdLoad().click();
        return dialog;
    }
    fs::path Folder(const std::string& name, const Files& files)
    {
        const fs::path folder = scene.root.folder(name);
        for (const auto& [file, content] : files) {
            WriteFile(folder / file, content);
        }
        return folder;
    }
    // The game saves Hero.d2s, once, as the first operation for which `when` holds begins.
    WatchedFiles::Hook GameSaves(const When& when)
    {
        return [this, when, saved = false](std::string_view op, const fs::path& file) mutable {
            if (!saved && (saved = when(op, file))) {
                WriteFile(scene.save / "Hero.d2s", "saved by the game");
            }
        };
    }
};

// From the first operation for which `from` holds on, every operation fails.
WatchedFiles::Hook FailFrom(const When& from)
{
    return [from, failing = false](std::string_view operation, const fs::path& file) mutable {
        if ((failing = failing || from(operation, file))) {
            throw fs::filesystem_error("", file, std::make_error_code(std::errc::io_error));
        }
    };
}

bool Placing(std::string_view operation, const fs::path& file)
{
    return operation == "Move" && file.filename().string().ends_with(kStagedEnding);
}

enum Outcome : unsigned { kCritical = 0, kInformation = 1, kChanged = 2, kSafetySnapshot = 4 };

// What goes wrong; the boxes' words in this order, the last one's icon, whether the save folder
// changed (a save of the game's aside) and whether a safety snapshot was kept.
struct Refusal {
    const char* what;
    std::function<void(LoadScene&)> prepare;
    std::vector<std::string> words;
    unsigned outcome = kCritical;
};

TEST(FrmLoadTest, EachFailureIsReportedAndNeverPassedOffAsSuccess)
{
    const std::string notRestored = "The snapshot could not be restored.\n\n";
    const std::string asItWas = "\n\nThe save game directory was left as it was.";
    const std::string interrupted = "Quorrel was interrupted while restoring a snapshot";
    const std::string invalid = "Please select a valid save game directory";
    const auto reason = [](std::errc code) { return std::make_error_code(code).message(); };
    const std::vector<Refusal> refusals = {
        {"no save set, or a snapshot merely highlighted: SnapshotDir itself is checked",
         [](LoadScene& s) {
             s.Load(s.Folder("two", {{"Hero.d2s", ""}, {"Hero.key", ""}}));
             s.Load(s.Folder("upper", {{"Hero.D2S", ""}, {"Hero.KEY", ""}, {"Hero.MAP", ""}}));
             auto dialog = s.Open();
             QListWidget& list = dialog->Dir1().list();
             list.setCurrentItem(list.findItems("Hero-29-11-2026-20-15-00", Qt::MatchExactly)[0]);
             dialog->cmdLoad().click();
         },
         {invalid, invalid, invalid},
         kInformation},
        {"another copy restores into the save folder",
         [](LoadScene& s) {
             s.otherCopy = std::make_unique<AnotherCopy>(s.scene.save.string(),
                                                         platform::FolderLock::Kind::Exclusive);
         },
         {notRestored, "Another copy of Quorrel is restoring a snapshot into it", asItWas}},
        {"SnapshotDir was moved away",
         [](LoadScene& s) {
             s.settings.SnapshotDir = (s.scene.root.path() / "moved").string();
             s.Load(s.scene.snapshot);
         },
         {"The snapshot directory ", "moved cannot be found.", "could not first keep a copy",
          "moved\n" + reason(std::errc::no_such_file_or_directory) + asItWas}},
        {"the game saves while the safety snapshot is taken",
         [](LoadScene& s) {
             s.files.before = s.GameSaves(
                 [&s](auto, const fs::path& file) { return file.parent_path() != s.scene.save; });
         },
         {"could not first keep a copy", "the game may be saving", asItWas}},
        {"the game saves once the safety snapshot is in place, before the restore begins",
         [](LoadScene& s) {
             s.files.after = s.GameSaves([&s](std::string_view op, const fs::path& file) {
                 return op == "Move" && file.parent_path() == s.scene.root.path();
             });
         },
         {notRestored, "Hero.d2s\nThe game saved it meanwhile", asItWas},
         kSafetySnapshot},
        {"the restore fails, and so does the way back",
         [](LoadScene& s) { s.files.before = FailFrom(Placing); },
         {"could not be restored, and the save game directory could not be put back as it was",
          "Left in the save game directory:", "the journal of the restore",
          "Quorrel tries again to put it back the next time it starts"},
         kChanged | kSafetySnapshot},
        {"an interrupted restore that cannot be put in order",
         [](LoadScene& s) {
             KillRestore(s.scene.snapshot, s.scene.save, Placing);
             s.files.before = FailFrom([](std::string_view op, auto&) { return op == "Move"; });
         },
         {interrupted, "could not put that directory in order", "It tries again the next time",
          ".Hero.d2s.quorrel-old: the save file Hero.d2s as it was before the restore"},
         kChanged},
        {"an interrupted restore whose journal cannot be read",
         [](LoadScene& s) {
             WriteFile(s.scene.save / kJournalName, "Quorrel restore journal 2\n");
         },
         {interrupted, "Its journal cannot be read", "until you have put it in order yourself",
          std::string(kJournalName) + ": the journal of the restore: delete it last"},
         kChanged},
#ifndef _WIN32
        {"a save folder that cannot be read",
         [](LoadScene& s) {
             s.settings.SaveGameDir = (s.scene.root.path() / "loop").string();
             fs::create_symlink(s.settings.SaveGameDir, s.settings.SaveGameDir);
         },
         {"Quorrel cannot read the save game directory\n",
          reason(std::errc::too_many_symbolic_link_levels)}},
#endif
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        LoadScene s;
        FolderImage before = ImageOf(s.scene.save);
        refusal.prepare(s);
        if (s.dialogs.boxes.empty()) {
            EXPECT_FALSE(s.Load(s.scene.snapshot)->isVisible());
        }
        ASSERT_FALSE(s.dialogs.boxes.empty());
        const std::string said = s.dialogs.prompts().join("\n").toStdString();
        std::size_t at = 0;
        for (const std::string& words : refusal.words) {
            at = said.find(words, at);
            ASSERT_NE(at, std::string::npos) << "\"" << words << "\" is not in:\n" << said;
        }
        EXPECT_EQ(s.dialogs.boxes.back().icon == MsgBoxIcon::Information,
                  (refusal.outcome & kInformation) != 0);
        FolderImage now = ImageOf(s.scene.save);
        if (ReadFile(s.scene.save / "Hero.d2s") == "saved by the game") {
            now["Hero.d2s"] = before["Hero.d2s"] = {};
        }
        EXPECT_EQ(now != before, (refusal.outcome & kChanged) != 0);
        EXPECT_EQ(fs::exists(s.safetySnapshot), (refusal.outcome & kSafetySnapshot) != 0);
    }
}

TEST(FrmLoadTest, AnInterruptedRestoreIsPutInOrderFirstThenTheSnapshotReplacesItsNamesakes)
{
    LoadScene s;
    WriteFile(s.scene.save / "Hero.txt", "a note of Hero's that the snapshot lacks");
    FolderImage kept = ImageOf(s.scene.save);
    kept.erase("Other.d2s");
    KillRestore(s.scene.snapshot, s.scene.save, Placing);
    bool free = false;  // the recovery's box waits for the player with the save folder let go
    s.dialogs.onBox = [&](const auto&) {
        AsAnotherCopy([&] {
            free = platform::FolderLock::TryLock(s.scene.save.string(),
                                                 platform::FolderLock::Kind::Shared)
                       .has_value();
        });
    };
    EXPECT_FALSE(s.Load(s.scene.snapshot)->isVisible());
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(s.dialogs.boxes[0].prompt.endsWith("put back as they were before the restore."));
    EXPECT_EQ(s.dialogs.boxes[0].icon, MsgBoxIcon::Information);
    EXPECT_TRUE(free);
    FolderImage restored = s.scene.after;
    restored["Hero.txt"] = kept["Hero.txt"];
    EXPECT_EQ(ImageOf(s.scene.save), restored);
    EXPECT_EQ(ImageOf(s.safetySnapshot), kept) << "Hero's files as the recovery put them back";
    EXPECT_TRUE(s.dialogs.questions.empty()) << "a living character is restored without asking";
}

TEST(FrmLoadTest, ACharacterDeadInHardcoreIsRestoredOnlyIfThePlayerSaysYes)
{
    for (const bool yes : {false, true}) {
        LoadScene s;
        const std::string dead = SaveHeader{.status = 0x2C}.bytes();
        WriteFile(s.scene.snapshot / "Hero.d2s", dead);
        s.dialogs.yesNoAnswers.push_back(yes);
        const auto dialog = s.Load(s.scene.snapshot);
        EXPECT_EQ(s.dialogs.questions,
                  std::vector<QString>{"This snapshot holds Hero dead in hardcore; the game will "
                                       "not let this character play again. Restore it anyway?"});
        EXPECT_TRUE(s.dialogs.boxes.empty());
        EXPECT_EQ(ReadFile(s.scene.save / "Hero.d2s"), yes ? dead : "now Hero.d2s");
        EXPECT_EQ(fs::exists(s.safetySnapshot), yes);
        EXPECT_EQ(dialog->isVisible(), !yes) << "so that another snapshot can be chosen";
    }
}

TEST(FrmLoadTest, ASharedStashIsRestoredAfterASafetySnapshotOfTheStashAlone)
{
    for (const std::string stash : {"SharedStashSoftCoreV2.d2i", "_LOD_HC_SharedStashSave.sss"}) {
        SCOPED_TRACE(stash);
        LoadScene s;
        FolderImage others = ImageOf(s.scene.save);
        WriteFile(s.scene.save / stash, "the stash now");
        const std::string base = fs::path(stash).stem().string();
        EXPECT_FALSE(
            s.Load(s.Folder(base + "-29-11-2026-20-15-00", {{stash, "then"}}))->isVisible());
        EXPECT_TRUE(s.dialogs.boxes.empty());
        FolderImage now = ImageOf(s.scene.save);
        EXPECT_EQ(now[stash].first, "then");
        now.erase(stash);
        EXPECT_EQ(now, others) << "the characters and nothing of ours";
        const fs::path safety = s.scene.root.path() / (base + "-06-12-2026-15-04-09");
        EXPECT_EQ(ImageOf(safety).size(), 1u);
        EXPECT_EQ(ReadFile(safety / stash), "the stash now");
        EXPECT_FALSE(fs::exists(s.safetySnapshot)) << "no character's";
    }
}

TEST(FrmLoadTest, EachSnapshotsTipSaysWhichCharacterItHolds)
{
    LoadScene s;
    const QDateTime saved(QDate(2026, 12, 6), QTime(15, 4, 9));
    const auto savedTime = fs::file_time_type::clock::from_sys(
        std::chrono::system_clock::from_time_t(saved.toSecsSinceEpoch()));
    // Expansion, ladder, hardcore, died.
    const SaveHeader dead{.version = 99, .status = 0x6C, .characterClass = 6, .level = 99};
    for (const auto& [files, tip] : std::vector<std::pair<Files, QString>>{
             {{{"Hero.d2s", dead.bytes()}, {"Hero.key", ""}},
              "Hero — level 99 Assassin, Expansion, Hardcore, Ladder — dead\nsaved 01-02-2027 "
              "03:04:05"},
             {{{"Old.d2s", SaveHeader{.version = 71}.bytes()}},
              "no character summary (save format 71)"},
             {{{"Hero.d2s", "now"}, {"_LOD_SharedStashSave.sss", ""}},
              "no character summary (Hero.d2s is no save file or cannot be read)\nShared stash "
              "(softcore)\nsaved 06-12-2026 15:04:09"},
             {{{"SharedStashHardCoreV2.d2i", ""}},
              "Shared stash (hardcore)\nsaved 06-12-2026 15:04:09"},
             {{{"notes.txt", ""}}, ""}}) {
        const fs::path folder = s.Folder("Hero-01-02-2027-03-04-05", files);
        for (const auto& file : files) {  // a stash's time is its file's own
            fs::last_write_time(folder / file.first, savedTime);
        }
        EXPECT_EQ(SnapshotTip(platform::ToQString(platform::ToText(folder))), tip);
        fs::remove_all(folder);
    }
}

// The folder list marks the pinned snapshots before their names and in their tips, read when the
// pointer rests on an entry; its menu pins and unpins the highlighted snapshot, and turns thinning
// on only when the player says Yes to what it would remove. It grows with a larger frame.
TEST(FrmLoadTest, TheFolderListShowsPinsOffersThinningAndGrowsWithTheFrame)
{
    LoadScene s;
    const fs::path history = s.scene.root.path();
    const fs::path index = history / kHistoryIndexName;
    const HistoryIndex died{.pinned = {"Hero-28-11-2026-10-00-00"},
                            .safety = {},
                            .lastAlive = {{"Hero-28-11-2026-10-00-00", "Hero"}}};
    WriteFile(index, EncodeHistoryIndex(died));
    const auto stored = [&index] { return *DecodeHistoryIndex(ReadFile(index)); };
    s.Folder("Hero-28-11-2026-10-00-00", {});
    const fs::path later = s.Folder("Hero-06-12-2026-15-05-00", {});
    for (int hour = 10; hour < 22; ++hour) {  // twelve in one day of last year: two would go
        s.Folder("Zed-03-03-2025-" + std::to_string(hour) + "-00-00", {});
    }
    const auto dialog = s.Open();
    SaveHeader hardcore{.status = 0x04};  // hardcore, classic
    hardcore.savedAt = static_cast<std::uint32_t>(
        QDateTime(QDate(2026, 12, 6), QTime(15, 4, 9)).toSecsSinceEpoch());
    WriteFile(later / "Hero.d2s", hardcore.bytes());
    HistoryMenu& menu = dialog->Dir1Menu();
    QListWidget& list = dialog->Dir1().list();
    const auto entry = [&list](const std::string& name) {
        const auto found = list.findItems(QString::fromStdString(name), Qt::MatchEndsWith);
        return found.size() == 1 ? found[0] : nullptr;
    };
    const auto tip = [&](const std::string& name) {
        return list.model()->data(list.indexFromItem(entry(name)), Qt::ToolTipRole).toString();
    };
    EXPECT_EQ(tip("Hero-06-12-2026-15-05-00"),
              "Hero-06-12-2026-15-05-00\nHero — level 42 Sorceress, Hardcore\nsaved 06-12-2026 "
              "15:04:09");
    const QString pin = QString::fromUtf8("\xE2\x80\xA2 ");
    EXPECT_EQ(entry("Hero-28-11-2026-10-00-00")->text(), pin + "Hero-28-11-2026-10-00-00");
    EXPECT_TRUE(
        tip("Hero-28-11-2026-10-00-00").contains("\nPinned: the last snapshot before Hero died"));

    const auto offered = [&menu] {  // pin, unpin
        menu.menu();
        return std::pair{menu.itmPin().isEnabled(), menu.itmUnpin().isEnabled()};
    };
    QListWidgetItem* hero = entry("Hero-29-11-2026-20-15-00");
    list.setCurrentItem(hero);
    ASSERT_EQ(offered(), std::pair(true, false));
    menu.itmPin().trigger();
    EXPECT_EQ(hero->text(), pin + "Hero-29-11-2026-20-15-00");
    EXPECT_TRUE(tip("Hero-29-11-2026-20-15-00")
                    .startsWith("Hero-29-11-2026-20-15-00\nPinned\nno character summary"));
    EXPECT_EQ(stored().pinned.size(), 2U);
    EXPECT_EQ(offered(), std::pair(false, true));
    menu.itmUnpin().trigger();
    EXPECT_EQ(hero->text(), "Hero-29-11-2026-20-15-00");
    EXPECT_EQ(stored().pinned, died.pinned);
    list.setCurrentRow(0);  // a folder above the history
    EXPECT_EQ(offered(), std::pair(false, false));

    s.dialogs.yesNoAnswers = {false, true};
    menu.itmThin().trigger();  // No
    ASSERT_EQ(s.dialogs.questions.size(), 1U);
    EXPECT_TRUE(s.dialogs.questions[0].contains("This would remove 2 snapshot folders now."));
    EXPECT_FALSE(menu.itmThin().isChecked() || stored().thinning);
    for (int hour = 10; hour < 22; ++hour) {
        fs::remove(history / ("Zed-03-03-2025-" + std::to_string(hour) + "-00-00"));
    }
    menu.itmThin().trigger();  // Yes
    EXPECT_TRUE(s.dialogs.questions[1].contains("Nothing would be removed now."));
    EXPECT_TRUE(menu.itmThin().isChecked() && stored().thinning);
    menu.itmThin().trigger();  // off again, without a question
    EXPECT_EQ(s.dialogs.questions.size(), 2U);
    EXPECT_FALSE(stored().thinning);
    EXPECT_TRUE(s.dialogs.boxes.empty());

    // The folder box takes the room of a larger frame, the drive box and the buttons keep below
    // it; smaller than its own size, the form keeps its layout.
    const auto places = [&dialog] {
        return std::vector<QRect>{dialog->Dir1().geometry(), dialog->Drive1().geometry(),
                                  dialog->cmdLoad().geometry(), dialog->cmdCancel().geometry()};
    };
    const std::vector<QRect> own = places();
    const QSize size = dialog->size();
    dialog->resize(size + QSize(300, 200));
    EXPECT_EQ(places(), (std::vector<QRect>{own[0].adjusted(0, 0, 300, 200),
                                            own[1].adjusted(0, 200, 300, 200),
                                            own[2].translated(0, 200), own[3].translated(0, 200)}));
    dialog->resize(size - QSize(50, 50));
    EXPECT_EQ(places(), own);
}

}  // namespace
}  // namespace quorrel
