#include "settings/frm_options.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/frm_main.h"
#include "platform/qt/dir_list_box.h"
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

    // Start-up with the settings on disk.
    void StartMain()
    {
        WriteFile(fakes_.services.settingsFile, settings_);
        window_.Form_Load();
        fakes_.dialogs.boxes.clear();
    }

    std::unique_ptr<frmOptions> Open()
    {
        auto dialog = std::make_unique<frmOptions>(state_, window_, fakes_.services);
        dialog->show();
        return dialog;
    }

    void ExpectOneBox(const QString& prompt, MsgBoxIcon icon, const QString& title)
    {
        ASSERT_EQ(fakes_.dialogs.prompts().join(" | ").toStdString(), prompt.toStdString());
        EXPECT_EQ(fakes_.dialogs.boxes.front().icon, icon);
        EXPECT_EQ(fakes_.dialogs.boxes.front().title, title);
        fakes_.dialogs.boxes.clear();
    }

    test::FakeServices fakes_;
    std::filesystem::path save_ = Folder("save", {"Hero.d2s", "Hero.key", "Hero.map"});
    std::filesystem::path history_ = fakes_.folder.folder("history");
    std::string settings_ = save_.string() + "\r\n" + history_.string() + "\r\n60\r\n";
    Module1 state_;
    frmMain window_{state_, fakes_.services};
};

TEST_F(FrmOptionsTest, FirstRunApplyWantsASaveFolderThenWritesTheFileAndEnablesLoadAndRun)
{
    window_.Form_Load();  // no settings file yet
    fakes_.dialogs.boxes.clear();
    auto dialog = Open();
    ASSERT_TRUE(dialog->Dir2().setPath(Text(history_)));
    ASSERT_TRUE(dialog->Dir1().setPath(Text(Folder("up", {"Hero.d2s", "Hero.key", "Hero.MAP"}))));
    dialog->Command1_Click();
    ExpectOneBox("This is not a valid Diablo2 save game directory.", MsgBoxIcon::Information,
                 "Error");
    EXPECT_FALSE(std::filesystem::exists(fakes_.services.settingsFile));

    // Any three files ending so make a save folder.
    const auto notes = Folder("notes", {"A.d2s", "B.d2s", "notes.map"});
    ASSERT_TRUE(dialog->Dir1().setPath(Text(notes)));
    QTest::mouseClick(&dialog->Command1(), Qt::LeftButton);
    ExpectOneBox("New Setting are now saved.", MsgBoxIcon::Information, "Settings");
    EXPECT_EQ(ReadFile(fakes_.services.settingsFile),
              notes.string() + "\r\n" + history_.string() + "\r\n60\r\n");
    EXPECT_TRUE(window_.itmLoad().isEnabled());
    EXPECT_TRUE(window_.mnuRun().isEnabled());
}

TEST_F(FrmOptionsTest, PreloadShowsTheStoredSettingsAndCancelAfterBrowsingPutsThemBack)
{
    StartMain();
    // Start-up cannot arm the timer from 5000 seconds; a file edited by hand since reads so.
    state_.RefreshTime = "5000";
    auto dialog = Open();
    EXPECT_EQ(dialog->Dir1().path(), Text(save_));
    EXPECT_EQ(dialog->Dir2().path(), Text(history_));
    EXPECT_EQ(dialog->Text1().text(), "500") << "the box holds three characters";
    EXPECT_EQ(state_.RefreshTime, "5000") << "kept until Apply or an arrow";

    ASSERT_TRUE(dialog->Dir1().setPath(Text(fakes_.folder.path())));
    ASSERT_TRUE(dialog->Dir2().setPath(Text(save_)));
    QTest::mouseClick(&dialog->UpDown1().upButton(), Qt::LeftButton);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    ASSERT_EQ(state_.SaveGameDir, fakes_.folder.text())
        << "a directory box writes at once, and Esc is no Cancel";
    QTest::mouseClick(&dialog->Command2(), Qt::LeftButton);
    EXPECT_EQ(state_.SaveGameDir, save_.string());
    EXPECT_EQ(state_.SnapshotDir, history_.string());
    EXPECT_EQ(state_.RefreshTime, "5000");
}

TEST_F(FrmOptionsTest, TheRefreshBoxHoldsThreeCharactersAndComplainsWhenEmpty)
{
    StartMain();
    auto dialog = Open();
    QLineEdit& box = dialog->Text1();
    box.selectAll();
    QTest::keyClicks(&box, "1234");
    EXPECT_EQ(box.text(), "123");

    box.selectAll();
    QTest::keyClick(&box, Qt::Key_Backspace);
    ExpectOneBox("Please type an integer", MsgBoxIcon::Critical, "Error");
    dialog->Command1_Click();
    ExpectOneBox("One or more options is/are missing", MsgBoxIcon::Critical, "Error");
}

TEST_F(FrmOptionsTest, ArrowsStepTheBoxBetweenZeroAnd999)
{
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"1", false, "0"},     {"0", false, "0"},    {"2.5", true, "3.5"},
        {"2.5", false, "1.5"}, {"999", true, "999"},
    };
    StartMain();
    auto dialog = Open();
    for (const auto& [before, up, after] : cases) {
        dialog->Text1().setText(before);
        state_.RefreshTime = before;
        platform::UpDown& arrows = dialog->UpDown1();
        QTest::mouseClick(up ? &arrows.upButton() : &arrows.downButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->Text1().text(), after) << before;
        EXPECT_EQ(state_.RefreshTime, after) << before;
    }
    ExpectOneBox("The maximum refresh time is 999 sec", MsgBoxIcon::Information, "Error");
}

TEST_F(FrmOptionsTest, NewDirecoryMakesOnePlainFolderInsideTheSnapshotFolder)
{
    StartMain();
    auto dialog = Open();
    fakes_.dialogs.inputAnswers = {"Heroes", "Heroes", "", "../x"};
    dialog->Command3_Click();
    EXPECT_EQ(state_.SnapshotDir, (history_ / "Heroes").string());

    ASSERT_TRUE(dialog->Dir2().setPath(Text(history_)));
    for (int attempt = 0; attempt < 3; ++attempt) {
        dialog->Command3_Click();
        ExpectOneBox(
            "The name of the directory that you have entered\n\r is not valid or the "
            "directory already exists",
            MsgBoxIcon::Information, "Error");
    }
    EXPECT_FALSE(std::filesystem::exists(fakes_.folder.path() / "x"));
}

TEST_F(FrmOptionsTest, ApplyDuringARunReArmsTheTimer)
{
    StartMain();
    window_.itmStart().trigger();
    auto dialog = Open();
    dialog->Text1().setText("100");
    dialog->Command1_Click();
    EXPECT_EQ(window_.Timer1().interval(), 1526);
    EXPECT_TRUE(window_.Timer1().isEnabled());
}

TEST_F(FrmOptionsTest, AnApplyThatFailsKeepsTheFileAndTheDialog)
{
    StartMain();
    auto dialog = Open();
    for (const char* refresh : {"-5", "x"}) {
        dialog->Text1().setText(refresh);
        fakes_.dialogs.boxes.clear();  // the box itself refuses "x" while typing
        dialog->Command1_Click();
        ExpectOneBox("Please type an integer", MsgBoxIcon::Critical, "Error");
        EXPECT_EQ(window_.Timer1().interval(), 60000) << refresh;
    }

    // A folder where the file must go cannot be replaced.
    fakes_.services.settingsFile = fakes_.folder.folder("blocked").string();
    WriteFile(fakes_.folder.path() / "blocked" / "inside", "kept");
    dialog->Text1().setText("100");
    dialog->Command1_Click();
    ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(fakes_.dialogs.boxes.front().prompt.startsWith("The settings could not be saved."));
    EXPECT_EQ(fakes_.dialogs.boxes.front().icon, MsgBoxIcon::Critical);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ReadFile(fakes_.folder.path() / "blocked" / "inside"), "kept");

    dialog->Command2_Click();
    EXPECT_EQ(window_.Timer1().interval(), 60000) << "Cancel re-arms the timer as it was";
}

}  // namespace
}  // namespace quorrel
