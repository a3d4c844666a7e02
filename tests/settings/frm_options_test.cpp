#include "settings/frm_options.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/frm_main.h"
#include "platform/drives.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/drive_list_box.h"
#include "platform/qt/text.h"
#include "platform/qt/up_down.h"
#include "settings/save_folder_search.h"
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

// The dialog as the player opens it: Options > Set Options on the main window.
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

    // Start-up, with the settings on disk or as a first run.
    void StartMain(bool withSettings = true)
    {
        if (withSettings) {
            WriteFile(fakes_.services.settingsFile, settings_);
        }
        window_.Form_Load();
        fakes_.dialogs.boxes.clear();
    }

    // Opens the dialog modally and lets `act` work in it; a dialog left open is cancelled.
    void WithOptions(const std::function<void(frmOptions&)>& act)
    {
        test::OnNextModal([&act](QDialog& dialog) { act(dynamic_cast<frmOptions&>(dialog)); });
        window_.itmOptions().trigger();
    }

    void ExpectOneBox(const QString& prompt, MsgBoxIcon icon, const QString& title = "Error")
    {
        ASSERT_EQ(fakes_.dialogs.prompts().join(" | ").toStdString(), prompt.toStdString());
        EXPECT_EQ(fakes_.dialogs.boxes.front().icon, icon);
        EXPECT_EQ(fakes_.dialogs.boxes.front().title, title);
        fakes_.dialogs.boxes.clear();
    }

    const Settings& applied() { return window_.state().settings(); }

    test::FakeServices fakes_;
    fs::path save_ = Folder("save", {"Hero.d2s", "Hero.key", "Hero.map"});
    fs::path history_ = fakes_.folder.folder("history");
    std::string settings_ = save_.string() + "\r\n" + history_.string() + "\r\n60\r\n";
    frmMain window_{fakes_.services};
};

TEST_F(FrmOptionsTest, AFirstRunOpensOnTheSaveFolderFoundAndApplyWantsASaveSetThenSaves)
{
    // A player's home in the temporary folder. Whatever the system, the last place searched
    // will hold the saves.
    const fs::path home = fakes_.folder.folder("home");
    fakes_.folder.folder("home/prefix/drive_c/users/joe");
    fakes_.services.environment = {home.string(), home.string(), home.string(),
                                   (home / "prefix").string()};
    const fs::path game = SaveFolderCandidates(fakes_.services.environment, fakes_.registry).back();
    fs::create_directories(game);
    StartMain(false);
    WithOptions([&](frmOptions& dialog) {
        EXPECT_EQ(dialog.Dir1().path(), Text(fs::current_path())) << "nothing found yet";
        ASSERT_TRUE(
            dialog.Dir1().setPath(Text(Folder("up", {"Hero.d2s", "Hero.key", "Hero.MAP"}))));
        dialog.Command1_Click();
        ExpectOneBox("This is not a valid Diablo2 save game directory.", MsgBoxIcon::Information);
    });
    EXPECT_FALSE(fs::exists(fakes_.services.settingsFile));

    for (const char* file : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        WriteFile(game / file, file);
    }
    bool closedByApply = false;
    WithOptions([&](frmOptions& dialog) {
        EXPECT_EQ(dialog.Dir1().path(), Text(game));
        // Windows names the drive "c:" in the box and "C:" in the path.
        EXPECT_TRUE(platform::SameDrive(platform::ToStdString(dialog.Drive1().drive()),
                                        platform::DriveOf(game.string())));
        ASSERT_TRUE(dialog.Dir2().setPath(Text(history_)));
        // Any three files ending so make a save folder.
        ASSERT_TRUE(dialog.Dir1().setPath(Text(Folder("notes", {"A.d2s", "B.d2s", "notes.map"}))));
        QTest::mouseClick(&dialog.Command1(), Qt::LeftButton);
        closedByApply = !dialog.isVisible();
    });
    EXPECT_TRUE(closedByApply);
    ExpectOneBox("New Setting are now saved.", MsgBoxIcon::Information, "Settings");
    const std::string notes = (fakes_.folder.path() / "notes").string();
    EXPECT_EQ(ReadFile(fakes_.services.settingsFile),
              notes + "\r\n" + history_.string() + "\r\n60\r\n");
    EXPECT_EQ(applied(), (Settings{notes, history_.string(), "60"}));
    EXPECT_TRUE(window_.itmLoad().isEnabled());
    EXPECT_TRUE(window_.mnuRun().isEnabled());
}

TEST_F(FrmOptionsTest, DuringARunBrowsingChangesNothingUntilApplyWhichReArmsTheTimerAtOnce)
{
    StartMain();
    window_.itmStart().trigger();
    // Start-up cannot arm the timer from 5000 seconds; a file edited by hand since reads so.
    window_.state().settings().RefreshTime = "5000";
    const Settings stored = applied();
    const fs::path browsed = fakes_.folder.folder("browsed");
    WithOptions([&](frmOptions& dialog) {
        EXPECT_EQ(dialog.Dir1().path(), Text(save_));
        EXPECT_EQ(dialog.Dir2().path(), Text(history_));
        EXPECT_EQ(dialog.Text1().text(), "500") << "the box holds three characters";

        QTest::mouseClick(&dialog.UpDown1().upButton(), Qt::LeftButton);
        ASSERT_TRUE(dialog.Dir1().setPath(Text(fakes_.folder.path())));
        ASSERT_TRUE(dialog.Dir2().setPath(Text(browsed)));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible()) << "Esc is no Cancel";

        // The game saves while the player browses: the check follows what was applied.
        test::Touch(save_ / "Hero.d2s");
        window_.state().engine().Timer1_Timer();
        QTest::mouseClick(&dialog.Command2(), Qt::LeftButton);
    });
    EXPECT_TRUE(fs::exists(history_ / "Hero-06-12-2026-15-04-09"));
    EXPECT_TRUE(fs::is_empty(browsed));
    EXPECT_EQ(applied(), stored);
    EXPECT_EQ(ReadFile(fakes_.services.settingsFile), settings_);

    // Another copy of Hero, saved at other times: nothing in it has changed since it was chosen.
    const fs::path other = Folder("other", {"Hero.d2s", "Hero.key", "Hero.map"});
    test::Touch(other / "Hero.d2s", 3600);
    fakes_.clock.moment.minute = 5;  // a snapshot now would have a name of its own
    WithOptions([&](frmOptions& dialog) {
        ASSERT_TRUE(dialog.Dir1().setPath(Text(other)));
        dialog.Text1().setText("100");
        dialog.Command1_Click();
    });
    EXPECT_EQ(window_.Timer1().interval(), 1526);
    EXPECT_TRUE(window_.Timer1().isEnabled());
    EXPECT_EQ(applied().SaveGameDir, other.string());
    for (int tick = 0; tick < 66; ++tick) {
        window_.state().engine().Timer1_Timer();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(history_), {}), 1)
        << "stamps of the old folder were compared";
}

TEST_F(FrmOptionsTest, TheArrowsStepTheRefreshTimeBetweenZeroAnd999)
{
    StartMain();
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
    StartMain();
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

TEST_F(FrmOptionsTest, AnApplyThatFailsKeepsTheFileTheSettingsTheTimerAndTheDialog)
{
    StartMain();
    const Settings stored = applied();
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
        EXPECT_EQ(window_.Timer1().interval(), 60000);
    });
    EXPECT_EQ(ReadFile(fakes_.folder.path() / "blocked" / "inside"), "kept");
    EXPECT_EQ(applied(), stored);
}

}  // namespace
}  // namespace quorrel
