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
    FrmLoadTest() { test::PlantHero(snapshot, save); }

    // Opens the dialog and in it, unless empty, the folder of SnapshotDir that holds these files.
    std::unique_ptr<frmLoad> Open(const std::string& folder = "",
                                  std::initializer_list<const char*> files = {})
    {
        auto dialog = std::make_unique<frmLoad>(settings, fake.dialogs, &parent);
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
    fs::path snapshots = fake.folder.folder("snapshots");
    fs::path snapshot = fake.folder.folder("snapshots/Hero-06-12-2026-15-04-09");
    fs::path save = fake.folder.folder("save");
    Settings settings{save.string(), snapshots.string(), "60"};
    QWidget parent;
};

TEST_F(FrmLoadTest, OpenedSnapshotReplacesItsNamesakesAndNothingElse)
{
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

TEST_F(FrmLoadTest, FailedRestoreSaysWhyAndLeavesTheSaveFolder)
{
    // Hero.d2s and Hero.key are copied under temporary names before Hero.map is found.
    fs::remove(save / "Hero.map");
    test::WriteFile(fake.folder.folder("save/Hero.map") / "inside", "x");
    // The folder's own stamp is old, so that anything touching it shows.
    const auto lastWeek = fs::last_write_time(snapshot / "Hero.d2s");
    fs::last_write_time(save, lastWeek);
    const test::FolderImage before = test::ImageOf(save);
    auto dialog = Open(snapshot.filename().string());
    dialog->cmdLoad().click();

    ASSERT_EQ(fake.dialogs.boxes.size(), 1u);
    const QString& prompt = fake.dialogs.boxes[0].prompt;
    EXPECT_TRUE(prompt.contains((save / "Hero.map").c_str())) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains(std::make_error_code(std::errc::is_a_directory).message().c_str()));
    EXPECT_EQ(fake.dialogs.boxes[0].icon, platform::MsgBoxIcon::Critical);
    EXPECT_EQ(fake.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(test::ImageOf(save), before);
    EXPECT_EQ(fs::last_write_time(save), lastWeek);
    EXPECT_FALSE(dialog->isVisible());
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

TEST_F(FrmLoadTest, MissingSnapshotDirIsReported)
{
    settings.SnapshotDir = (fake.folder.path() / "moved away").string();
    Open();
    ASSERT_EQ(fake.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(fake.dialogs.boxes[0].prompt.contains("moved away"));
    EXPECT_EQ(fake.dialogs.boxes[0].icon, platform::MsgBoxIcon::Information);
}

}  // namespace
}  // namespace quorrel
