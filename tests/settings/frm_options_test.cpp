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
#include "support/gui_fakes.h"

namespace quorrel {
namespace {

using platform::MsgBoxIcon;
using test::ReadFile;
using test::WriteFile;

QString Text(const std::filesystem::path& path)
{
    return platform::ToQString(path.string());
}

class FrmOptionsTest : public ::testing::Test {
protected:
    std::filesystem::path Folder(const std::string& name, std::initializer_list<const char*> files)
    {
        const auto folder = fakes_.folder.folder(name);
        for (const char* file : files) {
            WriteFile(folder / file, file);
        }
        return folder;
    }

    // Start-up with settings on disk, or as a first run when refreshTime is empty.
    void StartMain(const std::string& refreshTime = "60")
    {
        if (!refreshTime.empty()) {
            settings_ = save_.string() + "\r\n" + history_.string() + "\r\n" + refreshTime + "\r\n";
            WriteFile(fakes_.services.settingsFile, settings_);
        }
        window_.Form_Load();
        fakes_.dialogs.boxes.clear();
    }

    std::unique_ptr<frmOptions> Open()
    {
        auto dialog = std::make_unique<frmOptions>(state_, window_, fakes_.services);
        dialog->show();
        return dialog;
    }

    // Types over the whole text, as a player who selected it first.
    static void Type(QLineEdit& box, const QString& text)
    {
        box.selectAll();
        QTest::keyClicks(&box, text);
    }

    void ExpectOneBox(const QString& prompt, MsgBoxIcon icon, const QString& title)
    {
        ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u)
            << fakes_.dialogs.prompts().join(" | ").toStdString();
        EXPECT_EQ(fakes_.dialogs.boxes.front().prompt, prompt);
        EXPECT_EQ(fakes_.dialogs.boxes.front().icon, icon);
        EXPECT_EQ(fakes_.dialogs.boxes.front().title, title);
        fakes_.dialogs.boxes.clear();
    }

    test::FakeServices fakes_;
    std::filesystem::path save_ = Folder("save", {"Hero.d2s", "Hero.key", "Hero.map"});
    std::filesystem::path history_ = fakes_.folder.folder("history");
    std::string settings_;
    Module1 state_;
    frmMain window_{state_, fakes_.services};
};

TEST_F(FrmOptionsTest, FirstRunApplyWritesTheFileAndEnablesLoadAndRun)
{
    StartMain("");
    auto dialog = Open();
    EXPECT_EQ(dialog->Text1().text(), "60");
    EXPECT_EQ(dialog->Dir1().path(), Text(std::filesystem::current_path()));
    EXPECT_EQ(dialog->Drive1().drive(), dialog->Drive2().drive());

    ASSERT_TRUE(dialog->Dir1().setPath(Text(save_)));
    ASSERT_TRUE(dialog->Dir2().setPath(Text(history_)));
    EXPECT_EQ(state_.SaveGameDir, save_.string()) << "a directory box writes its setting at once";
    QTest::mouseClick(&dialog->Command1(), Qt::LeftButton);

    ExpectOneBox("New Setting are now saved.", MsgBoxIcon::Information, "Settings");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ReadFile(fakes_.services.settingsFile),
              save_.string() + "\r\n" + history_.string() + "\r\n60\r\n");
    EXPECT_TRUE(window_.itmLoad().isEnabled());
    EXPECT_TRUE(window_.mnuRun().isEnabled());
    EXPECT_EQ(window_.Timer1().interval(), 60000);
    EXPECT_TRUE(state_.KnownFiles.empty()) << "Apply does not list the save folder again";
}

TEST_F(FrmOptionsTest, ApplyTakesOnlyAFolderWithThreeSaveFiles)
{
    struct Case {
        const char* name;
        std::initializer_list<const char*> files;
        bool passes;
    };
    const Case cases[] = {
        {"upper", {"Hero.D2S", "Hero.KEY", "Hero.MAP"}, false},
        {"two", {"Hero.d2s", "Hero.key", "notes.txt"}, false},
        {"notes", {"Hero.d2s", "Other.d2s", "notes.map"}, true},
        {"mix", {"Hero.d2s", "Hero.key", "Hero.map"}, true},
    };
    StartMain();
    for (const Case& test : cases) {
        auto dialog = Open();
        ASSERT_TRUE(dialog->Dir1().setPath(Text(Folder(test.name, test.files))));
        dialog->Command1_Click();
        EXPECT_EQ(dialog->result() == QDialog::Accepted, test.passes) << test.name;
        if (!test.passes) {
            ExpectOneBox("This is not a valid Diablo2 save game directory.",
                         MsgBoxIcon::Information, "Error");
            EXPECT_EQ(ReadFile(fakes_.services.settingsFile), settings_);
        }
        fakes_.dialogs.boxes.clear();
    }
}

TEST_F(FrmOptionsTest, PreloadShowsTheStoredSettingsWithoutMovingThem)
{
    StartMain();
    // Start-up cannot arm the timer from 5000 seconds; a file edited by hand since reads so.
    state_.RefreshTime = "5000";
    auto dialog = Open();
    EXPECT_EQ(dialog->Dir1().path(), Text(save_));
    EXPECT_EQ(dialog->Dir2().path(), Text(history_));
    EXPECT_EQ(dialog->Drive1().drive(), platform::ToQString(platform::DriveOf(save_.string())));
    EXPECT_EQ(dialog->Text1().text(), "500") << "the box holds three characters";
    EXPECT_EQ(state_.RefreshTime, "5000") << "kept until Apply or an arrow";
    EXPECT_EQ(state_.SaveGameDir, save_.string());
    EXPECT_TRUE(fakes_.dialogs.boxes.empty());
    EXPECT_EQ(dialog->File1().count(), 3u);
}

TEST_F(FrmOptionsTest, AStoredFolderThatIsGoneLeavesItsBoxOnTheStartingFolder)
{
    StartMain();
    std::filesystem::remove_all(history_);
    auto dialog = Open();
    EXPECT_EQ(dialog->Dir2().path(), Text(std::filesystem::current_path()));
    EXPECT_EQ(state_.SnapshotDir, history_.string());
    EXPECT_EQ(dialog->Dir1().path(), Text(save_));
}

TEST_F(FrmOptionsTest, TheRefreshBoxHoldsThreeCharactersAndComplainsWhenEmpty)
{
    StartMain();
    auto dialog = Open();
    QLineEdit& box = dialog->Text1();
    Type(box, "1234");
    EXPECT_EQ(box.text(), "123");
    EXPECT_TRUE(fakes_.dialogs.boxes.empty());

    QTest::keyClick(&box, Qt::Key_End);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_TRUE(fakes_.dialogs.boxes.empty());
    QTest::keyClick(&box, Qt::Key_Backspace);
    ExpectOneBox("Please type an integer", MsgBoxIcon::Critical, "Error");

    dialog->Command1_Click();
    ExpectOneBox("One or more options is/are missing", MsgBoxIcon::Critical, "Error");
    EXPECT_TRUE(dialog->isVisible());

    Type(box, "9e9");
    EXPECT_EQ(fakes_.dialogs.prompts(),
              QStringList({"Please type an integer", "The maximum refresh time is 999 sec"}))
        << "9e is no number yet; 9e9 is";
    EXPECT_EQ(box.text(), "999");
}

TEST_F(FrmOptionsTest, ArrowsStepTheBoxBetweenZeroAnd999)
{
    StartMain();
    auto dialog = Open();
    QToolButton& up = dialog->UpDown1().upButton();
    QToolButton& down = dialog->UpDown1().downButton();

    dialog->Text1().setText("1");
    QTest::mouseClick(&down, Qt::LeftButton);
    EXPECT_EQ(dialog->Text1().text(), "0");
    EXPECT_EQ(state_.RefreshTime, "0");
    QTest::mouseClick(&down, Qt::LeftButton);
    EXPECT_EQ(dialog->Text1().text(), "0");

    dialog->Text1().setText("2.5");
    QTest::mouseClick(&up, Qt::LeftButton);
    EXPECT_EQ(dialog->Text1().text(), "3.5");
    dialog->Text1().setText("2.5");
    QTest::mouseClick(&down, Qt::LeftButton);
    EXPECT_EQ(state_.RefreshTime, "1.5");

    dialog->Text1().setText("999");
    QTest::mouseClick(&up, Qt::LeftButton);
    ExpectOneBox("The maximum refresh time is 999 sec", MsgBoxIcon::Information, "Error");
    EXPECT_EQ(dialog->Text1().text(), "999");
    EXPECT_EQ(state_.RefreshTime, "999");

    dialog->Text1().setText("x");
    fakes_.dialogs.boxes.clear();
    QTest::mouseClick(&up, Qt::LeftButton);
    ExpectOneBox("Please type an integer", MsgBoxIcon::Critical, "Error");
}

TEST_F(FrmOptionsTest, CancelPutsTheSettingsBackAndEscapeClosesNothing)
{
    StartMain();
    const Module1 before = state_;
    auto dialog = Open();
    ASSERT_TRUE(dialog->Dir1().setPath(Text(fakes_.folder.path())));
    QTest::mouseClick(&dialog->UpDown1().upButton(), Qt::LeftButton);
    EXPECT_EQ(state_.SaveGameDir, fakes_.folder.text());

    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QTest::keyClick(&dialog->Text1(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());

    QTest::mouseClick(&dialog->Command2(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(state_.SaveGameDir, before.SaveGameDir);
    EXPECT_EQ(state_.RefreshTime, before.RefreshTime);
    EXPECT_EQ(ReadFile(fakes_.services.settingsFile), settings_);

    auto closed = Open();
    ASSERT_TRUE(closed->Dir2().setPath(Text(save_)));
    closed->close();
    EXPECT_EQ(state_.SnapshotDir, before.SnapshotDir) << "the close box is Cancel";
}

TEST_F(FrmOptionsTest, ApplyRefusesANegativeRefreshTimeAndReportsAFileItCannotWrite)
{
    StartMain();
    auto dialog = Open();
    dialog->Text1().setText("-5");
    EXPECT_TRUE(fakes_.dialogs.boxes.empty()) << "the box itself lets -5 through";
    dialog->Command1_Click();
    ExpectOneBox("Please type an integer", MsgBoxIcon::Critical, "Error");
    EXPECT_EQ(window_.Timer1().interval(), 60000);

    // A folder where the file must go cannot be replaced.
    const std::string file = fakes_.services.settingsFile;
    fakes_.services.settingsFile = fakes_.folder.folder("blocked").string();
    WriteFile(fakes_.folder.path() / "blocked" / "inside", "");
    Type(dialog->Text1(), "100");
    dialog->Command1_Click();
    ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(fakes_.dialogs.boxes.front().prompt.startsWith("The settings could not be saved."));
    EXPECT_TRUE(fakes_.dialogs.boxes.front().prompt.contains("blocked"));
    EXPECT_EQ(fakes_.dialogs.boxes.front().icon, MsgBoxIcon::Critical);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ReadFile(file), settings_);

    dialog->Command2_Click();
    EXPECT_EQ(window_.Timer1().interval(), 60000) << "Cancel re-arms the timer as it was";
}

TEST_F(FrmOptionsTest, ApplyDuringARunReArmsTheTimer)
{
    StartMain();
    window_.itmStart().trigger();
    auto dialog = Open();
    Type(dialog->Text1(), "100");
    dialog->Command1_Click();
    EXPECT_EQ(window_.Timer1().interval(), 1526);
    EXPECT_TRUE(window_.Timer1().isEnabled());
    EXPECT_EQ(window_.engine().TicksPerCheck(), 66);
}

TEST_F(FrmOptionsTest, NewDirecoryMakesOnePlainFolderInsideTheSnapshotFolder)
{
    StartMain();
    auto dialog = Open();
    const QString failed =
        "The name of the directory that you have entered\n\r is not valid or the directory "
        "already exists";
    fakes_.dialogs.inputAnswers = {"Heroes", "Heroes", "", "../x", "."};

    dialog->Command3_Click();
    EXPECT_EQ(fakes_.dialogs.inputPrompts.front(),
              "This will create a new folder to store the quorrel files from diablo 2 | Create "
              "Folder");
    EXPECT_TRUE(std::filesystem::is_directory(history_ / "Heroes"));
    EXPECT_EQ(dialog->Dir2().path(), Text(history_ / "Heroes"));
    EXPECT_EQ(state_.SnapshotDir, (history_ / "Heroes").string());

    ASSERT_TRUE(dialog->Dir2().setPath(Text(history_)));
    for (int attempt = 0; attempt < 4; ++attempt) {
        dialog->Command3_Click();
        ExpectOneBox(failed, MsgBoxIcon::Information, "Error");
        EXPECT_EQ(dialog->Dir2().path(), Text(history_));
    }
    EXPECT_FALSE(std::filesystem::exists(fakes_.folder.path() / "x"));
}

TEST_F(FrmOptionsTest, ADriveThatCannotBeReadTakesTheBoxBackToItsFolder)
{
    StartMain();
    auto dialog = Open();
    const QString drive = dialog->Drive1().drive();
    dialog->Drive1().addItem(Text(fakes_.folder.path() / "no medium"));
    dialog->Drive1().setCurrentIndex(dialog->Drive1().count() - 1);
    ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u);
    EXPECT_EQ(fakes_.dialogs.boxes.front().icon, MsgBoxIcon::Information);
    EXPECT_EQ(dialog->Drive1().drive(), drive);
    EXPECT_EQ(dialog->Dir1().path(), Text(save_));
}

}  // namespace
}  // namespace quorrel
