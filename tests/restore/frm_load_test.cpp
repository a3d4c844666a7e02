#include "restore/frm_load.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "platform/operating_system.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/drive_list_box.h"
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
class FrmLoadTest : public testing::Test {
protected:
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

    HeroScene scene;
    FakeClock clock;
    RecordingDialogs dialogs;
    WatchedFiles files;
    Settings settings{scene.save.string(), scene.root.text(), "60"};
    QWidget parent;
};

TEST_F(FrmLoadTest, AFullDiskChangesNothingThenTheSnapshotReplacesItsNamesakes)
{
    // The first time the disk fills up while the copy of Hero.map is written.
    FillUp(files, scene.save, "Hero.map");
    Open(scene.snapshot)->cmdLoad().click();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].prompt.toStdString(),
              "The snapshot could not be restored.\n\n" + (scene.save / "Hero.map").string() +
                  "\n" + std::make_error_code(std::errc::no_space_on_device).message() +
                  "\n\nThe save game directory was left as it was.");
    EXPECT_EQ(dialogs.boxes[0].icon, MsgBoxIcon::Critical);
    EXPECT_EQ(dialogs.boxes[0].title, "Error");
    EXPECT_EQ(ImageOf(scene.save), scene.before);

    files.before = nullptr;
    clock.moment.minute = 5;
    auto dialog = Open();
    EXPECT_EQ(dialog->Dir1().path().toStdString(), scene.root.text());
    dialog->Dir1().setPath(QString::fromStdString(scene.snapshot.string()));
    dialog->cmdLoad().click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(ImageOf(scene.save), scene.after);
    // A wrong restore can be undone from the same dialog.
    FolderImage replaced = scene.before;
    replaced.erase("Other.d2s");
    EXPECT_EQ(ImageOf(scene.root.path() / "Hero-06-12-2026-15-05-09"), replaced);
    EXPECT_TRUE(dialogs.questions.empty()) << "a living character is restored without asking";
}

TEST_F(FrmLoadTest, NeitherAFolderThatIsNoSaveSetNorEscCopiesAnything)
{
    for (const char* name : {"Hero.d2s", "Hero.key"}) {
        WriteFile(scene.root.folder("two-only") / name, "x");
    }
    for (const char* name : {"Hero.D2S", "Hero.KEY", "Hero.MAP"}) {
        WriteFile(scene.root.folder("upper-case") / name, "x");
    }
    std::vector<std::unique_ptr<frmLoad>> refused;
    refused.push_back(Open(scene.root.path() / "two-only"));
    refused.push_back(Open(scene.root.path() / "upper-case"));
    // Nothing opened, a snapshot merely highlighted: SnapshotDir itself is checked.
    refused.push_back(Open());
    QListWidget& list = refused.back()->Dir1().list();
    list.setCurrentItem(
        list.findItems(QString::fromStdString(scene.snapshot.filename().string()), Qt::MatchExactly)
            .at(0));
    for (const auto& dialog : refused) {
        dialog->cmdLoad().click();
        EXPECT_FALSE(dialog->isVisible());
    }
    auto escaped = Open(scene.snapshot);
    QTest::keyClick(escaped.get(), Qt::Key_Escape);
    EXPECT_FALSE(escaped->isVisible());

    ASSERT_EQ(dialogs.boxes.size(), refused.size());
    for (const auto& box : dialogs.boxes) {
        EXPECT_EQ(box.prompt, "Please select a valid save game directory");
        EXPECT_EQ(box.icon, MsgBoxIcon::Information);
        EXPECT_EQ(box.title, "Error");
    }
    EXPECT_EQ(ImageOf(scene.save), scene.before);
}

TEST_F(FrmLoadTest, AnInterruptedRestoreIsPutInOrderFirstOrStopsTheNewOne)
{
    // Killed with Hero.d2s moved aside and its copy not yet in place.
    KillRestore(scene.snapshot, scene.save, [](std::string_view operation, const fs::path& file) {
        return operation == "Rename" && file.filename().string().ends_with(".quorrel-new");
    });
    Open(scene.snapshot)->cmdLoad().click();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialogs.boxes[0].prompt.contains(scene.save.c_str()));
    EXPECT_EQ(dialogs.boxes[0].icon, MsgBoxIcon::Information);
    EXPECT_EQ(ImageOf(scene.save), scene.after) << "and then restored";
    EXPECT_EQ(ImageOf(scene.root.path() / "Hero-06-12-2026-15-04-09").at("Hero.d2s").first,
              "now Hero.d2s")
        << "the safety snapshot was taken of the folder put back in order";

    // A journal that cannot be read stops the restore.
    WriteFile(scene.save / ".quorrel-restore.journal", "Quorrel restore journal 1\nplanned\n");
    const FolderImage before = ImageOf(scene.save);
    clock.moment.minute = 5;
    Open(scene.snapshot)->cmdLoad().click();
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_TRUE(dialogs.boxes[1].prompt.contains(".quorrel-restore.journal"));
    EXPECT_EQ(dialogs.boxes[1].icon, MsgBoxIcon::Critical);
    EXPECT_EQ(ImageOf(scene.save), before);
    EXPECT_FALSE(fs::exists(scene.root.path() / "Hero-06-12-2026-15-05-09"));
}

TEST_F(FrmLoadTest, ASaveBetweenTheSafetySnapshotAndTheRestoreStopsItBeforeAnythingIsReplaced)
{
    // The game saves Hero.d2s once the safety snapshot has kept it, as the restore begins.
    bool saved = false;
    files.before = [&](std::string_view operation, const fs::path& file) {
        if (operation == "Write" && file.parent_path() == scene.save && !saved) {
            WriteFile(scene.save / "Hero.d2s", "saved by the game meanwhile");
            saved = true;
        }
    };
    Open(scene.snapshot)->cmdLoad().click();
    ASSERT_TRUE(saved);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    const QString box = dialogs.boxes[0].prompt;
    EXPECT_TRUE(box.startsWith("The snapshot could not be restored.\n\n" +
                               QString::fromStdString((scene.save / "Hero.d2s").string()) +
                               "\nThe game saved it meanwhile"))
        << box.toStdString();
    EXPECT_TRUE(box.endsWith("The save game directory was left as it was.")) << box.toStdString();
    EXPECT_EQ(ReadFile(scene.save / "Hero.d2s"), "saved by the game meanwhile");
    for (const char* name : {"Hero.key", "Hero.map", "Other.d2s"}) {
        EXPECT_EQ(ImageOf(scene.save).at(name), scene.before.at(name)) << name;
    }
    EXPECT_FALSE(fs::exists(scene.save / "notes.txt"));
}

TEST_F(FrmLoadTest, TheBoxNeverSaysTheFolderWasLeftAsItWasWhenTheRestoreCouldNotBeUndone)
{
    // The commit fails with every copy in place; as the restore is undone, the game saves
    // notes.txt, which the restore had brought new into the folder.
    bool placed = false;
    bool saved = false;
    files.before = [&](std::string_view operation, const fs::path& file) {
        if (placed && !saved && file == scene.save / "notes.txt") {
            WriteFile(scene.save / "notes.txt", "saved by the game meanwhile");
            saved = true;
        }
        placed =
            placed || (operation == "Rename" && file.filename().string().ends_with(".quorrel-new"));
        if (placed && operation == "Write") {
            throw fs::filesystem_error("Cannot write", file,
                                       std::make_error_code(std::errc::io_error));
        }
    };
    Open(scene.snapshot)->cmdLoad().click();
    ASSERT_TRUE(saved);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    const QString box = dialogs.boxes[0].prompt;
    EXPECT_FALSE(box.contains("left as it was")) << box.toStdString();
    EXPECT_TRUE(box.contains("could not be put back as it was")) << box.toStdString();
    EXPECT_TRUE(box.contains(QString::fromStdString((scene.save / "notes.txt").string())))
        << box.toStdString();
    EXPECT_EQ(ReadFile(scene.save / "notes.txt"), "saved by the game meanwhile");
}

TEST_F(FrmLoadTest, WhileAnotherCopyRestoresIntoTheSaveFolderLoadChangesNothing)
{
    const AnotherCopy otherCopy(scene.save.string(), platform::FolderLock::Kind::Exclusive);
    ASSERT_TRUE(otherCopy.holds());
    Open(scene.snapshot)->cmdLoad().click();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].prompt.toStdString(),
              "The snapshot could not be restored.\n\n" + scene.save.string() +
                  "\nAnother copy of Quorrel is restoring a snapshot into it, or putting it in "
                  "order. Try again once it has finished.\n\nThe save game directory was left as "
                  "it was.");
    EXPECT_EQ(ImageOf(scene.save), scene.before);
    EXPECT_FALSE(fs::exists(scene.root.path() / "Hero-06-12-2026-15-04-09"))
        << "no safety snapshot either";
}

TEST_F(FrmLoadTest, TheBoxesGrowWithTheFrameAndEveryEntryShowsItsWholeName)
{
    auto dialog = Open();
    const auto places = [&dialog] {
        return std::vector<QRect>{dialog->Dir1().geometry(), dialog->Drive1().geometry(),
                                  dialog->cmdLoad().geometry(), dialog->cmdCancel().geometry()};
    };
    const std::vector<QRect> own = places();
    const QSize size = dialog->size();
    dialog->resize(size + QSize(300, 200));
    // The folder box takes the room, the drive box keeps below it as wide, the buttons below.
    EXPECT_EQ(places(), (std::vector<QRect>{own[0].adjusted(0, 0, 300, 200),
                                            own[1].adjusted(0, 200, 300, 200),
                                            own[2].translated(0, 200), own[3].translated(0, 200)}));
    dialog->resize(size - QSize(50, 50));
    EXPECT_EQ(places(), own) << "smaller than its own size, the form keeps its layout";

    const QListWidget& list = dialog->Dir1().list();
    ASSERT_EQ(
        list.findItems(QString::fromStdString(scene.snapshot.filename().string()), Qt::MatchExactly)
            .size(),
        1);
    for (int row = 0; row < list.count(); ++row) {
        EXPECT_EQ(list.item(row)->toolTip().split('\n').at(0), list.item(row)->text());
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

TEST_F(FrmLoadTest, EachSnapshotsTipSaysWhichCharacterItHolds)
{
    test::SaveHeader hero;
    hero.level = 42;
    hero.status = 0x04;  // hardcore, classic
    hero.savedAt = static_cast<std::uint32_t>(
        QDateTime(QDate(2026, 12, 6), QTime(15, 4, 9)).toSecsSinceEpoch());
    const fs::path withTime = scene.root.folder("Hero-06-12-2026-15-05-00");
    WriteFile(withTime / "Hero.d2s", hero.bytes());

    test::SaveHeader dead;
    dead.version = 99;
    dead.status = 0x6C;  // expansion, ladder, hardcore, died
    dead.characterClass = 6;
    dead.level = 99;
    const fs::path withoutTime = scene.root.folder("Hero-01-02-2027-03-04-05");
    WriteFile(withoutTime / "Hero.d2s", dead.bytes());

    test::SaveHeader old;
    old.version = 71;
    const fs::path oldFormat = scene.root.folder("Old-01-02-2003-04-05-06");
    WriteFile(oldFormat / "Old.d2s", old.bytes());
    const fs::path noSave = scene.root.folder("notes");
    WriteFile(noSave / "notes.txt", "x");

    auto dialog = Open();
    EXPECT_EQ(TipOf(*dialog, withTime),
              "Hero-06-12-2026-15-05-00\nHero — level 42 Sorceress, Hardcore\n"
              "saved 06-12-2026 15:04:09");
    EXPECT_EQ(TipOf(*dialog, withoutTime),
              "Hero-01-02-2027-03-04-05\nHero — level 99 Assassin, Expansion, Hardcore, Ladder "
              "— dead\nsaved 01-02-2027 03:04:05");
    EXPECT_EQ(TipOf(*dialog, oldFormat),
              "Old-01-02-2003-04-05-06\nno character summary (save format 71)");
    EXPECT_EQ(TipOf(*dialog, scene.snapshot),
              "Hero-29-11-2026-20-15-00\nno character summary (Hero.d2s is no save file or cannot "
              "be read)");
    EXPECT_EQ(TipOf(*dialog, noSave), "notes");

    // Read when asked, not when the list was filled.
    fs::remove(withTime / "Hero.d2s");
    EXPECT_EQ(TipOf(*dialog, withTime), "Hero-06-12-2026-15-05-00");
}

class FrmLoadDeadHeroTest : public FrmLoadTest {
protected:
    FrmLoadDeadHeroTest()
    {
        test::SaveHeader dead;
        dead.status = 0x2C;
        WriteFile(scene.snapshot / "Hero.d2s", dead.bytes());
        fs::last_write_time(scene.snapshot / "Hero.d2s",
                            fs::last_write_time(scene.snapshot / "Hero.key"));
        restored = scene.before;
        for (const auto& [name, entry] : ImageOf(scene.snapshot)) {
            restored[name] = entry;
        }
    }

    void ExpectAsked()
    {
        ASSERT_EQ(dialogs.questions.size(), 1u);
        EXPECT_EQ(dialogs.questions[0],
                  "This snapshot holds Hero dead in hardcore; the game will not let this character "
                  "play again. Restore it anyway?");
        EXPECT_TRUE(dialogs.boxes.empty());
    }

    FolderImage restored;
};

TEST_F(FrmLoadDeadHeroTest, NoLeavesEverythingAsItWas)
{
    const FolderImage history = ImageOf(scene.root.path());
    auto dialog = Open(scene.snapshot);
    dialog->cmdLoad().click();
    ExpectAsked();
    EXPECT_EQ(ImageOf(scene.save), scene.before);
    EXPECT_EQ(ImageOf(scene.root.path()), history) << "not even a safety snapshot";
    EXPECT_TRUE(dialog->isVisible()) << "so that another snapshot can be chosen";
}

TEST_F(FrmLoadDeadHeroTest, YesRestoresAsUsual)
{
    dialogs.yesNoAnswers.push_back(true);
    auto dialog = Open(scene.snapshot);
    dialog->cmdLoad().click();
    ExpectAsked();
    EXPECT_EQ(ImageOf(scene.save), restored);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(fs::exists(scene.root.path() / "Hero-06-12-2026-15-04-09" / "Hero.d2s"))
        << "the safety snapshot";
}

TEST_F(FrmLoadTest, WithoutSnapshotDirNothingIsRestored)
{
    settings.SnapshotDir = (scene.root.path() / "moved away").string();
    auto dialog = Open();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialogs.boxes[0].prompt.contains("moved away"));
    EXPECT_EQ(dialogs.boxes[0].icon, MsgBoxIcon::Information);

    // No safety snapshot can be kept, so the restore does not start.
    dialog->Dir1().setPath(QString::fromStdString(scene.snapshot.string()));
    dialog->cmdLoad().click();
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_TRUE(dialogs.boxes[1].prompt.contains("moved away"));
    EXPECT_TRUE(dialogs.boxes[1].prompt.endsWith("was left as it was."));
    EXPECT_EQ(dialogs.boxes[1].icon, MsgBoxIcon::Critical);
    EXPECT_EQ(ImageOf(scene.save), scene.before);
}

}  // namespace
}  // namespace quorrel
