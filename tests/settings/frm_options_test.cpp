#include "settings/frm_options.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "platform/qt/dir_list_box.h"
#include "platform/qt/drive_list_box.h"
#include "platform/qt/drives.h"
#include "platform/qt/text.h"
#include "platform/qt/up_down.h"
#include "settings/settings_file.h"
#include "snapshot/check_period.h"
#include "support/gui_fakes.h"
#include "support/modal.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using platform::MsgBoxIcon;
using test::ReadFile;
using test::WriteFile;

QString Text(const fs::path& path)
{
    return platform::ToQString(path.string());
}

// The dialog on its own, opened modally as the main window opens it, with the part of Apply that
// the dialog relies on: the refresh time must arm the timer, and the file is written.
class FrmOptionsTest : public ::testing::Test {
protected:
    fs::path Folder(const std::string& name, std::initializer_list<const char*> files)
    {
        const auto folder = fakes_.folder.folder(name);
        for (const char* file : files) {
            WriteFile(folder / file, std::string("the game's ") + file);
        }
        return folder;
    }

    // Opens the dialog on the stored settings (preload) or as a first run, and lets `act` work
    // in it; a dialog left open is cancelled. Returns what exec() gave.
    int WithOptions(const std::function<void(frmOptions&)>& act, bool preload = true,
                    const std::string& found = {})
    {
        frmOptions dialog(
            stored_, preload, found,
            [this](const Settings& edited) {
                CheckPeriodOf(edited.RefreshTime);
                WriteSettingsFile(edited, fakes_.services.settingsFile);
                applied_.push_back(edited);
            },
            fakes_.dialogs, nullptr);
        test::OnNextModal([&act](QDialog& opened) { act(dynamic_cast<frmOptions&>(opened)); });
        return dialog.exec();
    }

    void ExpectOneBox(const QString& prompt, MsgBoxIcon icon, const QString& title = "Error")
    {
        ASSERT_EQ(fakes_.dialogs.prompts().join(" | ").toStdString(), prompt.toStdString());
        EXPECT_EQ(fakes_.dialogs.boxes.front().icon, icon);
        EXPECT_EQ(fakes_.dialogs.boxes.front().title, title);
        fakes_.dialogs.boxes.clear();
    }

    test::FakeServices fakes_;
    fs::path save_ = Folder("save", {"Hero.d2s", "Hero.key", "Hero.map"});
    fs::path history_ = fakes_.folder.folder("history");
    Settings stored_{save_.string(), history_.string(), "60"};
    std::vector<Settings> applied_;  // every call of Apply that succeeded
};

TEST_F(FrmOptionsTest, AFirstRunOpensOnTheSaveFolderFoundAndApplyWantsASaveSetThenSaves)
{
    stored_ = {};
    WithOptions(
        [&](frmOptions& dialog) {
            EXPECT_EQ(dialog.Dir1().path(), Text(fs::current_path())) << "nothing found";
            ASSERT_TRUE(
                dialog.Dir1().setPath(Text(Folder("up", {"Hero.d2s", "Hero.key", "Hero.MAP"}))));
            dialog.Command1_Click();
            ExpectOneBox("This is not a valid Diablo2 save game directory.",
                         MsgBoxIcon::Information);
        },
        false);
    EXPECT_TRUE(applied_.empty());
    EXPECT_FALSE(fs::exists(fakes_.services.settingsFile));

    const int result = WithOptions(
        [&](frmOptions& dialog) {
            EXPECT_EQ(dialog.Dir1().path(), Text(save_));
            // Windows names the drive "c:" in the box and "C:" in the path.
            EXPECT_TRUE(
                platform::SameDrive(dialog.Drive1().drive(), platform::DriveOf(Text(save_))));
            ASSERT_TRUE(dialog.Dir2().setPath(Text(history_)));
            // Any three files ending so make a save folder.
            ASSERT_TRUE(
                dialog.Dir1().setPath(Text(Folder("notes", {"A.d2s", "B.d2s", "notes.map"}))));
            QTest::mouseClick(&dialog.Command1(), Qt::LeftButton);
        },
        false, save_.string());
    EXPECT_EQ(result, QDialog::Accepted);
    ExpectOneBox("New Setting are now saved.", MsgBoxIcon::Information, "Settings");
    const std::string notes = (fakes_.folder.path() / "notes").string();
    EXPECT_EQ(applied_, (std::vector<Settings>{{notes, history_.string(), "60"}}));
    EXPECT_EQ(ReadFile(fakes_.services.settingsFile),
              notes + "\r\n" + history_.string() + "\r\n60\r\n");
}

TEST_F(FrmOptionsTest, BrowsingAndTheArrowsChangeNothingUntilApply)
{
    // Start-up cannot arm the timer from 5000 seconds; a file edited by hand since reads so.
    stored_.RefreshTime = "5000";
    const fs::path browsed = fakes_.folder.folder("browsed");
    const int result = WithOptions([&](frmOptions& dialog) {
        EXPECT_EQ(dialog.Dir1().path(), Text(save_));
        EXPECT_EQ(dialog.Dir2().path(), Text(history_));
        EXPECT_EQ(dialog.Text1().text(), "500") << "the box holds three characters";

        QTest::mouseClick(&dialog.UpDown1().upButton(), Qt::LeftButton);
        ASSERT_TRUE(dialog.Dir1().setPath(Text(fakes_.folder.path())));
        ASSERT_TRUE(dialog.Dir2().setPath(Text(browsed)));
        EXPECT_EQ(dialog.edited(), (Settings{fakes_.folder.text(), browsed.string(), "501"}));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible()) << "Esc is no Cancel";
        QTest::mouseClick(&dialog.Command2(), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(applied_.empty());
    EXPECT_TRUE(fs::is_empty(browsed));
    EXPECT_FALSE(fs::exists(fakes_.services.settingsFile));
}

TEST_F(FrmOptionsTest, TheArrowsStepTheRefreshTimeBetweenZeroAnd999)
{
    WithOptions([&](frmOptions& dialog) {
        QLineEdit& box = dialog.Text1();
        for (const auto& [before, up, after] :
             {std::tuple{"1", false, "0"}, std::tuple{"0", false, "0"},
              std::tuple{"2.5", true, "3.5"}, std::tuple{"2.5", false, "1.5"},
              std::tuple{"999", true, "999"}}) {
            box.setText(before);
            platform::UpDown& arrows = dialog.UpDown1();
            QTest::mouseClick(up ? &arrows.upButton() : &arrows.downButton(), Qt::LeftButton);
            EXPECT_EQ(box.text(), after) << before;
            EXPECT_EQ(dialog.edited().RefreshTime, after) << before;
        }
        ExpectOneBox("The maximum refresh time is 999 sec", MsgBoxIcon::Information);
    });
}

TEST_F(FrmOptionsTest, NewDirecoryMakesOnePlainFolderInsideTheSnapshotFolder)
{
    WithOptions([&](frmOptions& dialog) {
        fakes_.dialogs.inputAnswers = {"Heroes", "Heroes", "", "../x"};
        dialog.Command3_Click();
        EXPECT_EQ(dialog.edited().SnapshotDir, (history_ / "Heroes").string());

        ASSERT_TRUE(dialog.Dir2().setPath(Text(history_)));
        for (int attempt = 0; attempt < 3; ++attempt) {
            dialog.Command3_Click();
            ExpectOneBox(
                "The name of the directory that you have entered\n\r is not valid or the "
                "directory already exists",
                MsgBoxIcon::Information);
        }
    });
    EXPECT_FALSE(fs::exists(fakes_.folder.path() / "x"));
}

TEST_F(FrmOptionsTest, AnApplyThatFailsKeepsTheFileAndTheDialog)
{
    WriteSettingsFile(stored_, fakes_.services.settingsFile);
    const std::string stored = ReadFile(fakes_.services.settingsFile);
    WithOptions([&](frmOptions& dialog) {
        dialog.Text1().selectAll();
        QTest::keyClick(&dialog.Text1(), Qt::Key_Backspace);
        ExpectOneBox("Please type an integer", MsgBoxIcon::Critical);
        dialog.Command1_Click();
        ExpectOneBox("One or more options is/are missing", MsgBoxIcon::Critical);
        for (const char* refresh : {"-5", "x"}) {
            dialog.Text1().setText(refresh);
            fakes_.dialogs.boxes.clear();  // the box itself refuses "x" while typing
            dialog.Command1_Click();
            ExpectOneBox("Please type an integer", MsgBoxIcon::Critical);
            EXPECT_EQ(ReadFile(fakes_.services.settingsFile), stored) << refresh;
        }

        // A folder where the file must go cannot be replaced.
        fakes_.services.settingsFile = fakes_.folder.folder("blocked").string();
        WriteFile(fakes_.folder.path() / "blocked" / "inside", "kept");
        dialog.Text1().setText("100");
        dialog.Command1_Click();
        ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u);
        EXPECT_TRUE(
            fakes_.dialogs.boxes.front().prompt.startsWith("The settings could not be saved.\n"));
        EXPECT_EQ(fakes_.dialogs.boxes.front().icon, MsgBoxIcon::Critical);
        EXPECT_TRUE(dialog.isVisible());
    });
    EXPECT_EQ(ReadFile(fakes_.folder.path() / "blocked" / "inside"), "kept");
    EXPECT_TRUE(applied_.empty());
}

}  // namespace
}  // namespace quorrel
