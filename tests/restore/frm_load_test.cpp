#include "restore/frm_load.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/drive_list_box.h"
#include "restore/hero_folders.h"
#include "support/gui_fakes.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using platform::MsgBoxIcon;
using test::ImageOf;
using test::ReadFile;

class FrmLoadTest : public testing::Test {
protected:
    FrmLoadTest()
    {
        test::PlantHero(snapshot, save);
        state.SaveGameDir = save.string();
        state.SnapshotDir = snapshots.string();
    }

    // Opens the dialog and, unless empty, a folder under SnapshotDir that holds these files.
    std::unique_ptr<frmLoad> Open(const std::string& folder = "",
                                  std::initializer_list<const char*> files = {})
    {
        auto dialog = std::make_unique<frmLoad>(state, fake.services, &parent);
        dialog->show();
        if (!folder.empty()) {
            for (const char* file : files) {
                test::WriteFile(fake.folder.folder("snapshots/" + folder) / file, "x");
            }
            EXPECT_TRUE(
                dialog->Dir1().setPath(QString::fromStdString((snapshots / folder).string())));
        }
        return dialog;
    }

    test::FakeServices fake;
    fs::path snapshots = fake.folder.folder("snapshots");
    fs::path snapshot = fake.folder.folder("snapshots/Hero-06-12-2026-15-04-09");
    fs::path save = fake.folder.folder("save");
    Module1 state;
    QWidget parent;
};

TEST_F(FrmLoadTest, OpenedSnapshotReplacesItsNamesakesAndNothingElse)
{
    auto dialog = Open();
    EXPECT_EQ(dialog->Dir1().path().toStdString(), snapshots.string());
    EXPECT_EQ(dialog->Drive1().drive().toStdString(), platform::DriveOf(snapshots.string()));
    dialog->Dir1().setPath(QString::fromStdString(snapshot.string()));

    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    QTest::keyClick(dialog.get(), Qt::Key_L, Qt::AltModifier);
    // A mnemonic presses the button visibly, so the click comes a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }));

    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "notes.txt"}) {
        EXPECT_EQ(ReadFile(save / name), std::string("then ") + name);
        EXPECT_EQ(fs::last_write_time(save / name), fs::last_write_time(snapshot / name)) << name;
    }
    EXPECT_EQ(ReadFile(save / "Other.d2s"), "another character");
    EXPECT_EQ(ImageOf(save).entries.size(), 5u) << "no temporary file is left behind";
    EXPECT_TRUE(fake.dialogs.boxes.empty());
}

TEST_F(FrmLoadTest, FolderThatIsNoSaveSetIsRefusedAndClosesTheDialog)
{
    const test::FolderImage before = ImageOf(save);
    std::vector<std::unique_ptr<frmLoad>> dialogs;
    dialogs.push_back(Open("two-only", {"Hero.d2s", "Hero.key"}));
    dialogs.push_back(Open("upper-case", {"Hero.D2S", "Hero.KEY", "Hero.MAP"}));
    // Nothing opened, a snapshot folder merely highlighted: SnapshotDir itself is checked.
    dialogs.push_back(Open());
    QListWidget& list = dialogs.back()->Dir1().list();
    list.setCurrentItem(list.findItems(snapshot.filename().c_str(), Qt::MatchExactly).at(0));

    for (const auto& dialog : dialogs) {
        dialog->cmdLoad().click();
        EXPECT_FALSE(dialog->isVisible());
    }
    ASSERT_EQ(fake.dialogs.boxes.size(), dialogs.size());
    for (const auto& box : fake.dialogs.boxes) {
        EXPECT_EQ(box.prompt, "Please select a valid save game directory");
        EXPECT_EQ(box.icon, MsgBoxIcon::Information);
        EXPECT_EQ(box.title, "Error");
    }
    EXPECT_EQ(ImageOf(save), before);
}

TEST_F(FrmLoadTest, FailedRestoreSaysWhyAndLeavesTheSaveFolder)
{
    // Copying Hero.d2s and Hero.key under temporary names comes before Hero.map is found.
    fs::remove(save / "Hero.map");
    test::WriteFile(fake.folder.folder("save/Hero.map") / "inside", "x");
    fs::last_write_time(save, fs::last_write_time(snapshot / "Hero.d2s"));
    const test::FolderImage before = ImageOf(save);
    auto dialog = Open(snapshot.filename().string());
    dialog->cmdLoad().click();

    ASSERT_EQ(fake.dialogs.boxes.size(), 1u);
    const QString& prompt = fake.dialogs.boxes[0].prompt;
    EXPECT_TRUE(prompt.contains((save / "Hero.map").c_str())) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains(std::make_error_code(std::errc::is_a_directory).message().c_str()));
    EXPECT_EQ(fake.dialogs.boxes[0].icon, MsgBoxIcon::Critical);
    EXPECT_EQ(fake.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(ImageOf(save), before);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(FrmLoadTest, EscClosesWithoutCopying)
{
    const test::FolderImage before = ImageOf(save);
    auto dialog = Open(snapshot.filename().string());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ImageOf(save), before);
}

TEST_F(FrmLoadTest, MissingSnapshotDirIsReportedAndTheStartingFolderOpens)
{
    state.SnapshotDir = (fake.folder.path() / "moved away").string();
    auto dialog = Open();
    ASSERT_EQ(fake.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(fake.dialogs.boxes[0].prompt.contains("moved away"));
    EXPECT_EQ(fake.dialogs.boxes[0].icon, MsgBoxIcon::Information);
    EXPECT_EQ(dialog->Dir1().path().toStdString(), platform::CurrentDirectory());
}

}  // namespace
}  // namespace quorrel
