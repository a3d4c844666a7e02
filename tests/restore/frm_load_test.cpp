#include "restore/frm_load.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDateTime>
#include <QListWidget>
#include <QPushButton>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/path_text.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/text.h"
#include "restore/history_menu.h"
#include "restore/restore_journal.h"
#include "restore/snapshot_saves.h"
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
using Names = std::vector<std::string>;

// The dialog over Hero's scene, whose folder is SnapshotDir; the clock at 15:04:09.
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
    const std::string asItWas = "\n\nThe save game directory was left as it was.";
    const std::string interrupted = "Quorrel was interrupted while restoring a snapshot";
    const auto reason = [](std::errc code) { return std::make_error_code(code).message(); };
    const std::vector<Refusal> refusals = {
        {"no save set, or a snapshot merely highlighted: SnapshotDir itself is checked",
         [](LoadScene& s) {
             auto dialog = s.Open();
             QListWidget& list = dialog->Dir1().list();
             list.setCurrentItem(list.findItems("Hero-29-11-2026-20-15-00", Qt::MatchExactly)[0]);
             dialog->cmdLoad().click();
         },
         {"Please select a valid save game directory"},
         kInformation},
        {"another copy restores into the save folder",
         [](LoadScene& s) {
             s.otherCopy = std::make_unique<AnotherCopy>(s.scene.save.string(),
                                                         platform::FolderLock::Kind::Exclusive);
         },
         {"The snapshot could not be restored.\n\n",
          "Another copy of Quorrel is restoring a snapshot into it", asItWas}},
        {"SnapshotDir was moved away",
         [](LoadScene& s) {
             s.settings.SnapshotDir = (s.scene.root.path() / "moved").string();
             s.Load(s.scene.snapshot);
         },
         {"moved cannot be found.", "could not first keep a copy",
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
         {"Hero.d2s\nThe game saved it meanwhile", asItWas},
         kSafetySnapshot},
        {"the restore fails, and so does the way back",
         [](LoadScene& s) { s.files.before = FailFrom(Placing); },
         {"could not be put back as it was", "the journal of the restore", "tries again"},
         kChanged | kSafetySnapshot},
        {"an interrupted restore that cannot be put in order",
         [](LoadScene& s) {
             KillRestore(s.scene.snapshot, s.scene.save, Placing);
             s.files.before = FailFrom([](std::string_view op, auto&) { return op == "Move"; });
         },
         {interrupted, "could not put that directory in order",
          ".Hero.d2s.quorrel-old: the save file Hero.d2s as it was before the restore"},
         kChanged},
        {"an interrupted restore whose journal cannot be read",
         [](LoadScene& s) {
             WriteFile(s.scene.save / kJournalName, "Quorrel restore journal 2\n");
         },
         {interrupted, "Its journal cannot be read",
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
        ASSERT_EQ(s.dialogs.questions.size(), 1u);
        EXPECT_TRUE(s.dialogs.questions[0].contains("holds Hero dead in hardcore"));
        EXPECT_TRUE(s.dialogs.boxes.empty());
        EXPECT_EQ(ReadFile(s.scene.save / "Hero.d2s"), yes ? dead : "now Hero.d2s");
        EXPECT_EQ(fs::exists(s.safetySnapshot), yes);
        EXPECT_EQ(dialog->isVisible(), !yes) << "so that another snapshot can be chosen";
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
             {{{"Hero.d2s", "now"},
               {"_LOD_SharedStashSave.sss", ""},
               {"SharedStashHardCoreV2.d2i", ""}},
              "no character summary (Hero.d2s is no save file or cannot be read)\nShared stash "
              "(hardcore)\nsaved 06-12-2026 15:04:09\nShared stash (softcore)\nsaved 06-12-2026 "
              "15:04:09"},
             {{{"notes.txt", ""}}, ""}}) {
        const fs::path folder = s.Folder("Hero-01-02-2027-03-04-05", files);
        for (const auto& file : files) {  // a stash's time is its file's own
            fs::last_write_time(folder / file.first, savedTime);
        }
        EXPECT_EQ(SnapshotTip(platform::ToQString(platform::ToText(folder))), tip);
        fs::remove_all(folder);
    }
}

// Pins are marked in names and tips; the menu pins and unpins the highlighted snapshot, and turns
// thinning on only when the player says Yes to what it would remove.
TEST(FrmLoadTest, TheFolderListShowsPinsAndOffersThinning)
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
    for (int hour = 10; hour < 22; ++hour) {  // twelve in one day of last year: two would go
        s.Folder("Zed-03-03-2025-" + std::to_string(hour) + "-00-00", {});
    }
    const auto dialog = s.Open();
    HistoryMenu& menu = dialog->Dir1Menu();
    QListWidget& list = dialog->Dir1().list();
    const auto entry = [&list](const std::string& name) {
        const auto found = list.findItems(QString::fromStdString(name), Qt::MatchEndsWith);
        return found.size() == 1 ? found[0] : nullptr;
    };
    const auto tip = [&](const std::string& name) {
        return list.model()->data(list.indexFromItem(entry(name)), Qt::ToolTipRole).toString();
    };
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
    EXPECT_TRUE(menu.itmThin().isChecked() && stored().thinning);
    menu.itmThin().trigger();  // off again, without a question
    EXPECT_EQ(s.dialogs.questions.size(), 2U);
    EXPECT_FALSE(stored().thinning);
    EXPECT_TRUE(s.dialogs.boxes.empty());
}

TEST(SnapshotSavesTest, OnlyThePlainSavesAreReadAndTheFirstCharacterDeadInHardcoreIsFound)
{
    TempFolder folder;
    const auto put = [&](const char* name, const std::string& bytes) {
        WriteFile(folder.path() / name, bytes);
    };
    const auto read = [&](const char* name) { return ReadSnapshotSave(folder.text(), name); };
    put("Able.d2s", SaveHeader{.status = 0x28}.bytes());   // died in softcore: plays on
    put("Baker.d2s", SaveHeader{.status = 0x24}.bytes());  // hardcore, alive
    put("Hero.d2s", std::string("\x55\xAA\x55\xAA\x47\0\0\0", 8));
    for (const char* other : {"Hero.key", "Hero.d2sx", "Herod2s", "d2s", "x.d2S", "notes.d2s.txt",
                              "_LOD_SharedStashSave.sss"}) {
        put(other, SaveHeader().bytes());
    }
    folder.folder("Sub.d2s");
    EXPECT_EQ(DeadHardcoreCharacter(folder.text()), std::nullopt);
    put("Charlie.d2s", SaveHeader{.name = "Charlie", .status = 0x2C}.bytes());
    put("Dog.d2s", SaveHeader{.status = 0x2C}.bytes());
    EXPECT_EQ(DeadHardcoreCharacter(folder.text())->name, "Charlie");
#ifndef _WIN32
    fs::create_symlink(folder.path() / "Able.d2s", folder.path() / "Link.d2s");
    ASSERT_EQ(::mkfifo((folder.path() / "Fifo.d2s").c_str(), 0600), 0);
    fs::create_symlink(folder.path() / "Able.d2s", folder.path() / "SharedStashSoftCoreV2.d2i");
    EXPECT_EQ(StashFileNames(folder.text()), Names{"_LOD_SharedStashSave.sss"});
    EXPECT_FALSE(read("Fifo.d2s").version || read("Fifo.d2s").summary);
#endif
    EXPECT_EQ(SaveFileNames(folder.text()),
              (Names{"Able.d2s", "Baker.d2s", "Charlie.d2s", "Dog.d2s", "Hero.d2s", "x.d2S"}));
    EXPECT_EQ(SaveFileNames((folder.path() / "missing").string()), Names{});
    EXPECT_FALSE(read("Gone.d2s").version || read("Gone.d2s").summary);
}

}  // namespace
}  // namespace quorrel
