#include "settings/frm_options.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "platform/qt/dir_list_box.h"
#include "platform/qt/text.h"
#include "platform/qt/up_down.h"
#include "settings/settings_file.h"
#include "snapshot/check_period.h"
#include "support/gui_fakes.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using platform::MsgBoxIcon;

QString Text(const fs::path& path)
{
    return platform::ToQString(path.string());
}

// The dialog on its own, with the part of Apply that the dialog relies on: the refresh time must
// arm the timer, and the file is written.
class FrmOptionsTest : public ::testing::Test {
protected:
    fs::path Folder(const std::string& name, std::initializer_list<const char*> files)
    {
        const auto folder = fakes_.folder.folder(name);
        for (const char* file : files) {
            test::WriteFile(folder / file, std::string("the game's ") + file);
        }
        return folder;
    }

    // The dialog, shown, on the stored settings (preload) or as a first run.
    std::unique_ptr<frmOptions> Open(bool preload)
    {
        auto dialog = std::make_unique<frmOptions>(
            stored_, preload, "",
            [this](const Settings& edited) {
                CheckPeriodOf(edited.RefreshTime);
                WriteSettingsFile(edited, fakes_.services.settingsFile);
                applied_.push_back(edited);
            },
            fakes_.dialogs, nullptr);
        dialog->show();
        return dialog;
    }

    // One box shown, whose text starts so.
    void ExpectOneBox(const QString& prompt, MsgBoxIcon icon, const QString& title = "Error")
    {
        ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u)
            << fakes_.dialogs.prompts().join(" | ").toStdString();
        EXPECT_TRUE(fakes_.dialogs.boxes.front().prompt.startsWith(prompt)) << prompt.toStdString();
        EXPECT_EQ(fakes_.dialogs.boxes.front().icon, icon);
        EXPECT_EQ(fakes_.dialogs.boxes.front().title, title);
        fakes_.dialogs.boxes.clear();
    }

    test::FakeServices fakes_;
    fs::path history_ = fakes_.folder.folder("history");
    Settings stored_{Folder("save", {"Hero.d2s", "Hero.key", "Hero.map"}).string(),
                     history_.string(), "60"};
    std::vector<Settings> applied_;  // every call of Apply that succeeded
};

// A first run: Apply says what is wrong, and keeps the dialog open, until it has saved.
TEST_F(FrmOptionsTest, ApplySaysWhatIsWrongUntilTheSettingsAreSavedThenCloses)
{
    const auto dialog = Open(false);
    EXPECT_EQ(dialog->Dir1().path(), Text(fs::current_path())) << "nothing found";
    ASSERT_TRUE(dialog->Dir2().setPath(Text(history_)));
    // Letter case counts in the endings; any three files ending so make a save folder.
    ASSERT_TRUE(dialog->Dir1().setPath(Text(Folder("up", {"Hero.d2s", "Hero.key", "Hero.MAP"}))));
    dialog->Command1_Click();
    ExpectOneBox("This is not a valid Diablo2 save game directory.", MsgBoxIcon::Information);
    ASSERT_TRUE(dialog->Dir1().setPath(Text(Folder("notes", {"A.d2s", "B.d2s", "notes.map"}))));

    dialog->Text1().selectAll();
    QTest::keyClick(&dialog->Text1(), Qt::Key_Backspace);
    ExpectOneBox("Please type an integer", MsgBoxIcon::Critical);
    dialog->Command1_Click();
    ExpectOneBox("One or more options is/are missing", MsgBoxIcon::Critical);
    dialog->Text1().setText("-5");
    dialog->Command1_Click();
    ExpectOneBox("Please type an integer", MsgBoxIcon::Critical);
    // A folder where the file must go cannot be replaced.
    const std::string file = fakes_.services.settingsFile;
    fakes_.services.settingsFile = Folder("blocked", {"inside"}).string();
    dialog->Text1().setText("100");
    dialog->Command1_Click();
    ExpectOneBox("The settings could not be saved.\n", MsgBoxIcon::Critical);
    EXPECT_EQ(test::ReadFile(fakes_.folder.path() / "blocked" / "inside"), "the game's inside");
    EXPECT_TRUE(applied_.empty());
    EXPECT_TRUE(dialog->isVisible());

    fakes_.services.settingsFile = file;
    QTest::mouseClick(&dialog->Command1(), Qt::LeftButton);
    ExpectOneBox("New Setting are now saved.", MsgBoxIcon::Information, "Settings");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(applied_, (std::vector<Settings>{{(fakes_.folder.path() / "notes").string(),
                                                history_.string(), "100"}}));
}

TEST_F(FrmOptionsTest, BrowsingTheArrowsAndNewDirecoryChangeNoSettingUntilApply)
{
    const auto dialog = Open(true);
    // The arrows step the refresh time by a second, between 0 and 999.
    platform::UpDown& arrows = dialog->UpDown1();
    for (const auto& [before, up, after] :
         {std::tuple{"1", false, "0"}, std::tuple{"0", false, "0"}, std::tuple{"2.5", true, "3.5"},
          std::tuple{"2.5", false, "1.5"}, std::tuple{"999", true, "999"}}) {
        dialog->Text1().setText(before);
        QTest::mouseClick(up ? &arrows.upButton() : &arrows.downButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->Text1().text(), after) << before;
        EXPECT_EQ(dialog->edited().RefreshTime, after) << before;
    }
    ExpectOneBox("The maximum refresh time is 999 sec", MsgBoxIcon::Information);
    ASSERT_TRUE(dialog->Dir1().setPath(Text(fakes_.folder.path())));
    // New Direcory makes one plain folder inside the snapshot folder, and opens it.
    fakes_.dialogs.inputAnswers = {"Heroes", "Heroes", "", "../x"};
    dialog->Command3_Click();
    EXPECT_EQ(dialog->edited(),
              (Settings{fakes_.folder.text(), (history_ / "Heroes").string(), "999"}));
    ASSERT_TRUE(dialog->Dir2().setPath(Text(history_)));
    for (int attempt = 0; attempt < 3; ++attempt) {
        dialog->Command3_Click();
        ExpectOneBox(
            "The name of the directory that you have entered\n\r is not valid or the "
            "directory already exists",
            MsgBoxIcon::Information);
    }
    EXPECT_FALSE(fs::exists(fakes_.folder.path() / "x"));

    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible()) << "Esc is no Cancel";
    QTest::mouseClick(&dialog->Command2(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(applied_.empty());
}

}  // namespace
}  // namespace quorrel
