#include "settings/frm_options.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/frm_main.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/folder_probe.h"
#include "platform/qt/text.h"
#include "platform/qt/up_down.h"
#include "settings/save_folder_search.h"
#include "settings/settings_file.h"
#include "settings/settings_location.h"
#include "support/gui_fakes.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using platform::MsgBoxIcon;
using enum platform::MsgBoxIcon;

QString Text(const fs::path& path)
{
    return platform::ToQString(path.string());
}

// The dialog as the player opens it, from the main window, whose Apply takes effect at once.
class FrmOptionsTest : public ::testing::Test {
protected:
    void WithOptions(const std::function<void(frmOptions&)>& act)
    {
        test::OnNextModal([&act](QDialog& dialog) { act(dynamic_cast<frmOptions&>(dialog)); });
        window_.itmOptions().trigger();
    }

    // The boxes since the last call: these prompts (the last may go on), the last with this icon.
    void ExpectBoxes(const QStringList& prompts, MsgBoxIcon icon)
    {
        const QStringList shown = fakes_.dialogs.prompts();
        EXPECT_TRUE(shown.size() == prompts.size() &&
                    shown.join('|').startsWith(prompts.join('|')) &&
                    fakes_.dialogs.boxes.back().icon == icon)
            << shown.join(" | ").toStdString();
        fakes_.dialogs.boxes.clear();
    }

    test::FakeServices fakes_;
    fs::path history_ = fakes_.folder.folder("history");
    frmMain window_{fakes_.services};
};

// A first run: the dialog opens on the game's save folder where one is found, and Apply says what
// is wrong, and keeps the dialog open, until the settings are saved.
TEST_F(FrmOptionsTest, OnAFirstRunApplySaysWhatIsWrongUntilTheSettingsAreSaved)
{
    // A machine whose game keeps its saves in the last place searched.
    const fs::path home = fakes_.folder.folder("home");
    fakes_.folder.folder("home/prefix/drive_c/users/joe");
    fakes_.services.environment = {home.string(), home.string(), home.string(),
                                   (home / "prefix").string()};
    window_.Form_Load();
    fakes_.dialogs.boxes.clear();
    const fs::path game = test::GameFolder(
        SaveFolderCandidates(fakes_.services.environment, &fakes_.registry).back());
    const Settings before = window_.state().settings();
    const int interval = window_.Timer1().interval();
    const std::string file = fakes_.services.settingsFile;
    // Letter case counts in the endings; any three files ending so make a save folder. A folder
    // where the file must go cannot be replaced. A failed Apply changes nothing.
    const auto folder = [this](const char* name, std::initializer_list<const char*> files) {
        return test::GameFolder(fakes_.folder.path() / name, files);
    };
    const fs::path up = folder("up", {"Hero.d2s", "Hero.key", "Hero.MAP"});
    const fs::path notes = folder("notes", {"A.d2s", "B.d2s", "notes.map"});
    const fs::path blocked = folder("blocked", {"inside"});
    const QString integer = "Please type an integer";
    const std::tuple<fs::path, const char*, fs::path, MsgBoxIcon, QStringList> refusals[] = {
        {up, "60", file, Information, {"This is not a valid Diablo2 save game directory."}},
        {notes, "", file, Critical, {integer, "One or more options is/are missing"}},
        {notes, "-5", file, Critical, {integer}},
        {notes, "100", blocked, Critical, {"The settings could not be saved.\n"}},
    };
    WithOptions([&](frmOptions& dialog) {
        EXPECT_EQ(dialog.Dir1().path(), Text(game));
        ASSERT_TRUE(dialog.Dir2().setPath(Text(history_)));
        for (const auto& [saves, refresh, settingsFile, icon, prompts] : refusals) {
            SCOPED_TRACE(prompts.back().toStdString());
            ASSERT_TRUE(dialog.Dir1().setPath(Text(saves)));
            dialog.Text1().setText(refresh);
            fakes_.services.settingsFile = settingsFile.string();
            dialog.Command1_Click();
            ExpectBoxes(prompts, icon);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(window_.state().settings(), before);
            EXPECT_EQ(window_.Timer1().interval(), interval);
        }
        fakes_.services.settingsFile = file;
        QTest::mouseClick(&dialog.Command1(), Qt::LeftButton);
        ExpectBoxes({"New Setting are now saved."}, Information);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_EQ(test::ReadFile(blocked / "inside"), "the game's inside");
    EXPECT_EQ(window_.state().settings(), (Settings{notes.string(), history_.string(), "100"}));
    EXPECT_EQ(window_.Timer1().interval(), 1526) << "the timer re-armed";
    EXPECT_TRUE(window_.itmLoad().isEnabled() && window_.mnuRun().isEnabled());
}

// During a run, what the player browses, the arrows and New Direcory change no setting until
// Apply, which keeps the run and records the new save folder at once.
TEST_F(FrmOptionsTest, NothingBrowsedCountsUntilApplyWhichTakesEffectAtOnce)
{
    const fs::path save = test::GameFolder(fakes_.folder.path() / "save");
    const Settings stored{save.string(), history_.string(), "60"};
    WriteSettingsFile(stored, fakes_.services.settingsFile);
    window_.Form_Load();
    window_.itmStart().trigger();
    WithOptions([&](frmOptions& dialog) {
        // The arrows step the refresh time by a second, up to 999.
        platform::UpDown& arrows = dialog.UpDown1();
        for (const auto& [before, up, after] :
             {std::tuple{"2.5", false, "1.5"}, std::tuple{"2.5", true, "3.5"},
              std::tuple{"999", true, "999"}}) {
            dialog.Text1().setText(before);
            QTest::mouseClick(up ? &arrows.upButton() : &arrows.downButton(), Qt::LeftButton);
            EXPECT_EQ(dialog.Text1().text(), after) << before;
        }
        ExpectBoxes({"The maximum refresh time is 999 sec"}, Information);
        ASSERT_TRUE(dialog.Dir1().setPath(Text(fakes_.folder.path())));
        // New Direcory makes one plain folder inside the snapshot folder, and opens it.
        fakes_.dialogs.inputAnswers = {"Heroes", "../x"};
        dialog.Command3_Click();
        EXPECT_EQ(dialog.edited(),
                  (Settings{fakes_.folder.text(), (history_ / "Heroes").string(), "999"}));
        dialog.Command3_Click();
        ExpectBoxes({"The name of the directory that you have entered"}, Information);
        EXPECT_FALSE(fs::exists(history_ / "x"));
        test::Touch(save / "Hero.d2s");
        window_.state().engine().Timer1_Timer();  // a check meanwhile
        QTest::mouseClick(&dialog.Command2(), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    });
    EXPECT_EQ(window_.state().settings(), stored);
    EXPECT_TRUE(fs::exists(history_ / "Hero-06-12-2026-15-04-09")) << "the applied folder checked";

    // Another copy of Hero, saved at other times: nothing in it counts as changed.
    const fs::path other = test::GameFolder(fakes_.folder.path() / "other");
    test::Touch(other / "Hero.d2s", 3600);
    fakes_.clock.moment.minute = 5;  // a snapshot now would have a name of its own
    WithOptions([&](frmOptions& dialog) {
        ASSERT_TRUE(dialog.Dir1().setPath(Text(other)));
        dialog.Command1_Click();
    });
    ASSERT_TRUE(window_.Timer1().isEnabled()) << "Apply keeps the run";
    window_.state().engine().Timer1_Timer();
    EXPECT_FALSE(fs::exists(history_ / "Hero-06-12-2026-15-05-09"))
        << "stamps of the old folder were compared";
}

TEST(SettingsLocationTest, ThePortableFolderWinsWheneverItHoldsOrTakesTheFileUnlessSetUpThere)
{
    const test::TempFolder root;
    const fs::path program = root.folder("program");
    const std::string config = (root.path() / "config" / "Quorrel").string();
    // A file beside the program, a folder taking files, the uninstaller, a configuration folder.
    for (const auto& [fileThere, takesFiles, uninstaller, configKnown, beside] :
         {std::tuple{false, false, false, false, true}, std::tuple{false, true, true, true, false},
          std::tuple{true, true, true, true, true}, std::tuple{false, true, false, true, true}}) {
        for (const auto& [name, there] :
             {std::pair<fs::path, bool>{"Settings.ini", fileThere},
              std::pair<fs::path, bool>{kUninstallerName, uninstaller}}) {
            there ? test::WriteFile(program / name, "") : void(fs::remove(program / name));
        }
        EXPECT_EQ(SettingsFileLocation(program.string(), configKnown ? config : "",
                                       [&](const std::string&) { return takesFiles; }),
                  SettingsFilePath(beside ? program.string() : config))
            << fileThere << takesFiles << uninstaller << configKnown;
    }

    // The probe leaves nothing behind. An installed copy's folder that takes no files (as root: a
    // file) sends its settings to a folder made on the first save.
    EXPECT_TRUE(platform::CanCreateFilesIn(program.string()));
    EXPECT_TRUE(fs::is_empty(program));
    test::WriteFile(root.path() / "quorrel.exe", "a program");
    const std::string file = SettingsFileLocation((root.path() / "quorrel.exe").string(), config,
                                                  platform::CanCreateFilesIn);
    ASSERT_EQ(file, SettingsFilePath(config));
    EXPECT_FALSE(fs::exists(config)) << "nothing is made before the settings are saved";
    WriteSettingsFile({"save", "history", "60"}, file);
    EXPECT_TRUE(fs::exists(file));
}

}  // namespace
}  // namespace quorrel
