#include "restore/frm_load.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "platform/qt/dir_list_box.h"
#include "platform/qt/drive_list_box.h"
#include "platform/qt/twips.h"
#include "restore/hero_folders.h"
#include "support/gui_fakes.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

class FrmLoadTest : public testing::Test {
protected:
    FrmLoadTest()
    {
        test::PlantHero(snapshot, save);
        fake.clock.moment = {2026, 12, 7, 9, 30, 0};
    }

    // Opens the dialog and in it, unless empty, the folder of SnapshotDir that holds these files.
    std::unique_ptr<frmLoad> Open(const std::string& folder = "",
                                  std::initializer_list<const char*> files = {})
    {
        auto dialog = std::make_unique<frmLoad>(settings, fake.clock, *ops, fake.dialogs, &parent);
        dialog->show();
        for (const char* file : files) {
            test::WriteFile(fake.folder.folder("snapshots/" + folder) / file, "x");
        }
        if (!folder.empty()) {
            EXPECT_TRUE(
                dialog->Dir1().setPath(QString::fromStdString((snapshots / folder).string())));
        }
        return dialog;
    }

    test::FakeServices fake;
    platform::FileOps* ops = &fake.files;
    fs::path snapshots = fake.folder.folder("snapshots");
    fs::path snapshot = fake.folder.folder("snapshots/Hero-06-12-2026-15-04-09");
    fs::path save = fake.folder.folder("save");
    Settings settings{save.string(), snapshots.string(), "60"};
    QWidget parent;
};

TEST_F(FrmLoadTest, OpenedSnapshotReplacesItsNamesakesAndNothingElse)
{
    test::FolderImage replaced = test::ImageOf(save);
    replaced.erase("Other.d2s");
    auto dialog = Open();
    EXPECT_EQ(dialog->Dir1().path().toStdString(), snapshots.string());
    dialog->Dir1().setPath(QString::fromStdString(snapshot.string()));
    dialog->cmdLoad().click();

    EXPECT_FALSE(dialog->isVisible());
    for (const std::string name : {"Hero.d2s", "Hero.key", "Hero.map", "notes.txt"}) {
        EXPECT_EQ(test::ReadFile(save / name), "then " + name);
        EXPECT_EQ(fs::last_write_time(save / name), fs::last_write_time(snapshot / name)) << name;
    }
    EXPECT_EQ(test::ReadFile(save / "Other.d2s"), "another character");
    EXPECT_EQ(test::ImageOf(save).size(), 5u) << "no temporary file is left behind";
    EXPECT_TRUE(fake.dialogs.boxes.empty());
    // A wrong restore can be undone from the same dialog.
    EXPECT_EQ(test::ImageOf(snapshots / "Hero-07-12-2026-09-30-00"), replaced);
}

TEST_F(FrmLoadTest, NeitherAFolderThatIsNoSaveSetNorEscCopiesAnything)
{
    const test::FolderImage before = test::ImageOf(save);
    std::vector<std::unique_ptr<frmLoad>> refused;
    refused.push_back(Open("two-only", {"Hero.d2s", "Hero.key"}));
    refused.push_back(Open("upper-case", {"Hero.D2S", "Hero.KEY", "Hero.MAP"}));
    // Nothing opened, a snapshot merely highlighted: SnapshotDir itself is checked.
    refused.push_back(Open());
    QListWidget& list = refused.back()->Dir1().list();
    list.setCurrentItem(list.findItems(snapshot.filename().c_str(), Qt::MatchExactly).at(0));
    for (const auto& dialog : refused) {
        dialog->cmdLoad().click();
        EXPECT_FALSE(dialog->isVisible());
    }
    auto escaped = Open(snapshot.filename().string());
    QTest::keyClick(escaped.get(), Qt::Key_Escape);
    EXPECT_FALSE(escaped->isVisible());

    ASSERT_EQ(fake.dialogs.boxes.size(), refused.size());
    for (const auto& box : fake.dialogs.boxes) {
        EXPECT_EQ(box.prompt, "Please select a valid save game directory");
        EXPECT_EQ(box.icon, platform::MsgBoxIcon::Information);
        EXPECT_EQ(box.title, "Error");
    }
    EXPECT_EQ(test::ImageOf(save), before);
}

TEST_F(FrmLoadTest, AFullDiskIsNamedAndTheSaveFolderLeftAsItWas)
{
    // Hero.d2s and Hero.key are copied under temporary names before the disk fills up while the
    // copy of Hero.map is written.
    test::FullDisk fullAtHeroMap(save, "Hero.map");
    ops = &fullAtHeroMap;
    // The folder's own stamp is old, so that anything touching it shows.
    const auto lastWeek = fs::last_write_time(snapshot / "Hero.d2s");
    fs::last_write_time(save, lastWeek);
    const test::FolderImage before = test::ImageOf(save);
    auto dialog = Open(snapshot.filename().string());
    dialog->cmdLoad().click();

    ASSERT_EQ(fake.dialogs.boxes.size(), 1u);
    EXPECT_EQ(fake.dialogs.boxes[0].prompt.toStdString(),
              "The snapshot could not be restored.\n\n" + (save / "Hero.map").string() + "\n" +
                  std::make_error_code(std::errc::no_space_on_device).message() +
                  "\n\nThe save game directory was left as it was.");
    EXPECT_EQ(fake.dialogs.boxes[0].icon, platform::MsgBoxIcon::Critical);
    EXPECT_EQ(fake.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(test::ImageOf(save), before);
    EXPECT_EQ(fs::last_write_time(save), lastWeek);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(FrmLoadTest, AnInterruptedRestoreIsPutInOrderFirstOrStopsTheNewOne)
{
    const std::string folder = snapshot.filename().string();
    // Killed with Hero.d2s moved aside and its copy not yet in place.
    test::KillRestore(snapshot, save, [](std::string_view operation, const fs::path& file) {
        return operation == "Rename" && file.filename().string().ends_with(".quorrel-new");
    });
    Open(folder)->cmdLoad().click();
    ASSERT_EQ(fake.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(fake.dialogs.boxes[0].prompt.contains(save.c_str()));
    EXPECT_EQ(fake.dialogs.boxes[0].icon, platform::MsgBoxIcon::Information);
    EXPECT_EQ(test::ReadFile(save / "Hero.d2s"), "then Hero.d2s") << "and then restored";
    EXPECT_EQ(test::ImageOf(snapshots / "Hero-07-12-2026-09-30-00").at("Hero.d2s").first,
              "now Hero.d2s")
        << "the safety snapshot was taken of the folder put back in order";

    // A journal that cannot be read stops the restore.
    test::WriteFile(save / ".quorrel-restore.journal", "Quorrel restore journal 1\nplanned\n");
    const test::FolderImage before = test::ImageOf(save);
    fake.clock.moment.minute = 31;
    Open(folder)->cmdLoad().click();
    ASSERT_EQ(fake.dialogs.boxes.size(), 2u);
    EXPECT_TRUE(fake.dialogs.boxes[1].prompt.contains(".quorrel-restore.journal"));
    EXPECT_EQ(fake.dialogs.boxes[1].icon, platform::MsgBoxIcon::Critical);
    EXPECT_EQ(test::ImageOf(save), before);
    EXPECT_FALSE(fs::exists(snapshots / "Hero-07-12-2026-09-31-00"));
}

TEST_F(FrmLoadTest, TheBoxesGrowWithTheFrameAndEveryEntryShowsItsWholeName)
{
    auto dialog = Open();
    const auto expectPlaces = [&dialog](int wider, int taller) {
        using platform::TwipsRect;
        EXPECT_EQ(dialog->Dir1().geometry(),
                  TwipsRect(120, 240, 2292, 2448).adjusted(0, 0, wider, taller));
        EXPECT_EQ(dialog->Drive1().geometry(),
                  TwipsRect(120, 2760, 2292, 288).adjusted(0, taller, wider, taller));
        EXPECT_EQ(dialog->cmdLoad().geometry(),
                  TwipsRect(120, 3240, 1092, 372).translated(0, taller));
        EXPECT_EQ(dialog->cmdCancel().geometry(),
                  TwipsRect(1320, 3240, 1092, 372).translated(0, taller));
    };
    const QSize own = platform::TwipsSize(2580, 3816);
    EXPECT_EQ(dialog->size(), own);
    expectPlaces(0, 0);

    dialog->resize(own + QSize(300, 200));
    expectPlaces(300, 200);
    dialog->resize(own - QSize(50, 50));
    expectPlaces(0, 0);  // smaller than its own size, the form keeps its layout

    const QString name = QString::fromStdString(snapshot.filename().string());
    const QList<QListWidgetItem*> items = dialog->Dir1().list().findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.front()->toolTip(), name);
    for (int row = 0; row < dialog->Dir1().list().count(); ++row) {
        const QListWidgetItem* item = dialog->Dir1().list().item(row);
        EXPECT_EQ(item->toolTip(), item->text());
    }
}

TEST_F(FrmLoadTest, WithoutSnapshotDirNothingIsRestored)
{
    settings.SnapshotDir = (fake.folder.path() / "moved away").string();
    const test::FolderImage before = test::ImageOf(save);
    auto dialog = Open();
    ASSERT_EQ(fake.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(fake.dialogs.boxes[0].prompt.contains("moved away"));
    EXPECT_EQ(fake.dialogs.boxes[0].icon, platform::MsgBoxIcon::Information);

    // No safety snapshot can be kept, so the restore does not start.
    dialog->Dir1().setPath(QString::fromStdString(snapshot.string()));
    dialog->cmdLoad().click();
    ASSERT_EQ(fake.dialogs.boxes.size(), 2u);
    EXPECT_TRUE(fake.dialogs.boxes[1].prompt.contains("moved away"));
    EXPECT_TRUE(fake.dialogs.boxes[1].prompt.endsWith("was left as it was."));
    EXPECT_EQ(fake.dialogs.boxes[1].icon, platform::MsgBoxIcon::Critical);
    EXPECT_EQ(test::ImageOf(save), before);
}

}  // namespace
}  // namespace quorrel
