#include "app/frm_main.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QWindow>

#include "app/notification_icon.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/text.h"
#include "restore/frm_load.h"
#include "settings/frm_options.h"
#include "settings/save_folder_search.h"
#include "support/gui_fakes.h"
#include "support/hero_folders.h"
#include "support/listed_names.h"
#include "support/modal.h"
#include "support/save_bytes.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using platform::MsgBoxIcon;
using test::WriteFile;

class FrmMainTest : public ::testing::Test {
protected:
    void WriteSettings(const std::string& saveDir)
    {
        WriteFile(fakes_.services.settingsFile,
                  saveDir + "\r\n" + fakes_.folder.text() + "\r\n60\r\n");
    }

    fs::path SaveFolder()
    {
        const auto save = fakes_.folder.folder("save");
        for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map"}) {
            WriteFile(save / name, name);
        }
        return save;
    }

    // The shell posts the icon's callbacks; they arrive when the window's queue is next read.
    void Mouse(std::uint32_t mouseMessage)
    {
        fakes_.notifyArea.Mouse(mouseMessage);
        QApplication::processEvents();
    }

    bool minimised() const { return window_.windowState() & Qt::WindowMinimized; }

    test::FakeServices fakes_;
    frmMain window_{fakes_.services};
};

TEST_F(FrmMainTest, NoSettingsOrSettingsThatCannotBeUsedAreAFirstRun)
{
    for (const bool fileThere : {false, true}) {
        if (fileThere) {
            WriteSettings((fakes_.folder.path() / "gone").string());
        }
        fakes_.dialogs.boxes.clear();
        frmMain window(fakes_.services);
        window.Form_Load();
        ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u);
        const auto& box = fakes_.dialogs.boxes.front();
        EXPECT_EQ(box.prompt,
                  "This is the first time running the application please Set the options from "
                  "the options menu");
        EXPECT_EQ(box.title, "FirstTime User");
        EXPECT_EQ(box.icon, MsgBoxIcon::Information);
        EXPECT_FALSE(window.itmLoad().isEnabled()) << fileThere;
        EXPECT_FALSE(window.mnuRun().isEnabled()) << fileThere;
        EXPECT_TRUE(window.mnuHide().isEnabled());
    }
}

TEST_F(FrmMainTest, ReadableSettingsArmTheTimerWithoutStartingIt)
{
    WriteSettings(SaveFolder().string());
    window_.Form_Load();
    EXPECT_TRUE(fakes_.dialogs.boxes.empty());
    for (QAction* item :
         {&window_.itmLoad(), &window_.mnuRun(), &window_.itmStart(), &window_.itmStop()}) {
        EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
    }
    EXPECT_EQ(window_.Timer1().interval(), 60000);
    EXPECT_FALSE(window_.Timer1().isEnabled());
    EXPECT_EQ(window_.state().engine().KnownFiles().size(), 3u);
}

TEST_F(FrmMainTest, AnInterruptedRestoreIsPutInOrderBeforeTheSaveFolderIsListed)
{
    const auto snapshot = fakes_.folder.folder("Hero-06-12-2026-15-04-09");
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "notes.txt"}) {
        WriteFile(snapshot / name, "then");
    }
    // The operation the restore was killed before and the end of the file's name (none: the
    // journal cannot be read), the file that the game then saves, and the end of the box.
    for (const auto& [operation, ending, saved, outcome] :
         {std::tuple{"Move", ".quorrel-new", "", "put back as they were before the restore."},
          std::tuple{"Write", "", "notes.txt",
                     "the game saved these files after the restore began, and Quorrel kept "
                     "them as the game saved them:\n"},
          std::tuple{"Remove", "", "", "The restore has been completed"},
          std::tuple{"", "", "", "Quorrel cannot tell what to put back"}}) {
        const auto save = SaveFolder();
        fs::remove(save / "notes.txt");
        WriteSettings(save.string());
        bool placed = false;
        if (*operation) {
            test::KillRestore(snapshot, save, [&](std::string_view at, const fs::path& file) {
                placed = placed || (at == "Move" && file.filename() == ".notes.txt.quorrel-new");
                return at == operation && file.filename().string().ends_with(ending) &&
                       (*saved == 0 || placed);
            });
        } else {
            WriteFile(save / ".quorrel-restore.journal", "not a journal");
        }
        if (*saved) {
            WriteFile(save / saved, "saved by the game");
        }
        fakes_.dialogs.boxes.clear();
        frmMain window(fakes_.services);
        window.Form_Load();

        ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u);
        const QString box = fakes_.dialogs.boxes.front().prompt;
        EXPECT_TRUE(
            box.startsWith("Quorrel was interrupted while restoring a snapshot into the "
                           "save game directory\n" +
                           QString::fromStdString(save.string())));
        EXPECT_TRUE(box.contains(outcome)) << box.toStdString();
        if (*saved) {
            EXPECT_TRUE(box.endsWith(QString::fromStdString((save / saved).string())));
            EXPECT_EQ(test::ReadFile(save / saved), "saved by the game");
        }
        EXPECT_EQ(fakes_.dialogs.boxes.front().icon,
                  *operation ? MsgBoxIcon::Information : MsgBoxIcon::Critical);
        EXPECT_TRUE(window.itmLoad().isEnabled()) << "no first run";
        EXPECT_EQ(window.state().engine().KnownFiles().size(),
                  test::ListedNames(save.string()).size());
    }
}

TEST_F(FrmMainTest, HideAndStartWithdrawToTheIconAndOnlyALeftDoubleClickBringsTheWindowBack)
{
    WriteSettings(SaveFolder().string());
    window_.Form_Load();
    window_.show();
    window_.mnuHide().trigger();
    EXPECT_FALSE(window_.isVisible());
    EXPECT_FALSE(window_.Timer1().isEnabled()) << "Hide starts no run";
    ASSERT_EQ(fakes_.notifyArea.icons.size(), 1u);
    const auto& [iconId, icon] = *fakes_.notifyArea.icons.begin();
    EXPECT_EQ(iconId, 1u);
    EXPECT_EQ(icon.szTip, "Diablo2 Quorrel 0.1 Alpha");
    EXPECT_EQ(icon.uFlags, platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP);
    EXPECT_EQ(icon.uCallbackMessage, platform::WM_MOUSEMOVE);
    for (std::uint32_t message : {platform::WM_MOUSEMOVE, platform::WM_LBUTTONDOWN,
                                  platform::WM_LBUTTONUP, platform::WM_RBUTTONUP}) {
        Mouse(message);
        EXPECT_FALSE(window_.isVisible()) << message;
    }
    Mouse(platform::WM_LBUTTONDBLCLK);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_FALSE(minimised());

    window_.itmStart().trigger();
    EXPECT_TRUE(window_.Timer1().isEnabled());
    EXPECT_FALSE(window_.itmStart().isEnabled());
    EXPECT_TRUE(window_.itmStop().isEnabled());
    EXPECT_FALSE(window_.isVisible());
    EXPECT_EQ(fakes_.notifyArea.icons.size(), 1u);
    window_.AnotherStart();  // the player starts the program again
    EXPECT_TRUE(window_.isVisible());
    EXPECT_FALSE(minimised());
    EXPECT_TRUE(window_.Timer1().isEnabled()) << "bringing the window back keeps the run going";

    window_.itmStop().trigger();
    EXPECT_FALSE(window_.Timer1().isEnabled());
    EXPECT_TRUE(window_.itmStart().isEnabled());
    EXPECT_FALSE(window_.itmStop().isEnabled());
    EXPECT_TRUE(window_.isVisible());
}

TEST_F(FrmMainTest, WithoutANotificationAreaHideOnlyMinimisesAndAnotherStartRestores)
{
    fakes_.notifyArea.available = false;
    window_.show();
    window_.mnuHide().trigger();
    EXPECT_TRUE(window_.isVisible()) << "a hidden window could never be brought back";
    EXPECT_TRUE(minimised());
    window_.AnotherStart();
    EXPECT_FALSE(minimised());
}

TEST_F(FrmMainTest, FailingChecksShowOneBalloonUntilACheckSucceeds)
{
    const fs::path save = SaveFolder();
    const fs::path moved = fakes_.folder.path() / "moved";
    WriteSettings(save.string());
    window_.Form_Load();
    window_.show();
    const auto check = [this](const fs::path& from, const fs::path& to) {
        if (!from.empty()) {
            fs::rename(from, to);
        }
        window_.state().engine().Timer1_Timer();
        return fakes_.notifyArea.balloons.size();
    };

    EXPECT_EQ(check(save, moved), 0u) << "no icon to show it on";
    window_.itmStart().trigger();
    ASSERT_EQ(check({}, {}), 1u);
    EXPECT_EQ(fakes_.notifyArea.balloons.front().title, "Quorrel");
    EXPECT_EQ(fakes_.notifyArea.balloons.front().text.toStdString(),
              "Quorrel could not take a snapshot. See Log.txt in " + fakes_.folder.text() + ".");
    EXPECT_EQ(check({}, {}), 1u) << "the failures go on";
    EXPECT_EQ(check(moved, save), 1u) << "a check that succeeds";
    EXPECT_EQ(check(save, moved), 2u);

    EXPECT_NE(test::ReadFile(fakes_.services.logFile).find("Error Could not save"),
              std::string::npos)
        << "the failures are logged where the balloon says";
}

// The options dialog itself is tried in tests/settings/frm_options_test.cpp; here, what the main
// window gives it and what its Apply does to the running program.
TEST_F(FrmMainTest, SetOptionsOpensTheDialogWhoseApplyTakesEffectAtOnce)
{
    const auto withOptions = [this](const std::function<void(frmOptions&)>& act) {
        test::OnNextModal([&act](QDialog& dialog) { act(dynamic_cast<frmOptions&>(dialog)); });
        window_.itmOptions().trigger();
    };
    // A first run, on a machine whose game keeps its saves in the last place searched.
    const fs::path home = fakes_.folder.folder("home");
    fakes_.folder.folder("home/prefix/drive_c/users/joe");
    fakes_.services.environment = {home.string(), home.string(), home.string(),
                                   (home / "prefix").string()};
    const fs::path game =
        SaveFolderCandidates(fakes_.services.environment, &fakes_.registry).back();
    fs::create_directories(game);
    for (const char* file : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        WriteFile(game / file, std::string("the game's ") + file);
    }
    window_.Form_Load();
    const fs::path history = fakes_.folder.folder("history");
    withOptions([&](frmOptions& dialog) {
        EXPECT_EQ(dialog.Dir1().path().toStdString(), game.string());
        ASSERT_TRUE(dialog.Dir2().setPath(platform::ToQString(history.string())));
        dialog.Command1_Click();
    });
    EXPECT_EQ(window_.state().settings(), (Settings{game.string(), history.string(), "60"}));
    EXPECT_TRUE(window_.itmLoad().isEnabled());
    EXPECT_TRUE(window_.mnuRun().isEnabled());

    // During a run the check follows what was applied, not what the player browses.
    window_.itmStart().trigger();
    withOptions([&](frmOptions& dialog) {
        EXPECT_EQ(dialog.Dir1().path().toStdString(), game.string()) << "the applied settings";
        EXPECT_EQ(dialog.Dir2().path().toStdString(), history.string());
        ASSERT_TRUE(dialog.Dir1().setPath(platform::ToQString(fakes_.folder.text())));
        test::Touch(game / "Hero.d2s");
        window_.state().engine().Timer1_Timer();
    });
    EXPECT_TRUE(fs::exists(history / "Hero-06-12-2026-15-04-09"));
    EXPECT_EQ(window_.state().settings().SaveGameDir, game.string());

    // Another copy of Hero, saved at other times: Apply re-arms the timer and records the new
    // folder at once, so nothing in it counts as changed.
    const fs::path other = fakes_.folder.folder("other");
    for (const char* file : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        WriteFile(other / file, std::string("the game's ") + file);
    }
    test::Touch(other / "Hero.d2s", 3600);
    fakes_.clock.moment.minute = 5;  // a snapshot now would have a name of its own
    withOptions([&](frmOptions& dialog) {
        ASSERT_TRUE(dialog.Dir1().setPath(platform::ToQString(other.string())));
        dialog.Text1().setText("100");
        dialog.Command1_Click();
    });
    EXPECT_EQ(window_.Timer1().interval(), 1526);
    EXPECT_TRUE(window_.Timer1().isEnabled());
    EXPECT_EQ(window_.state().settings().SaveGameDir, other.string());
    for (int tick = 0; tick < 66; ++tick) {
        window_.state().engine().Timer1_Timer();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(history), {}), 1)
        << "stamps of the old folder were compared";

    // An Apply that fails changes neither the settings nor the timer.
    const Settings applied = window_.state().settings();
    fakes_.services.settingsFile = fakes_.folder.folder("blocked").string();
    withOptions([&](frmOptions& dialog) {
        dialog.Text1().setText("60");
        dialog.Command1_Click();
    });
    EXPECT_EQ(window_.state().settings(), applied);
    EXPECT_EQ(window_.Timer1().interval(), 1526);
}

TEST_F(FrmMainTest, TheFirstCheckAfterALoadTakesNoSnapshotOfTheFilesThatTheLoadRestored)
{
    const fs::path save = SaveFolder();
    const fs::path snapshot = fakes_.folder.folder("Hero-01-12-2026-10-00-00");
    const auto lastWeek = fs::last_write_time(save / "Hero.d2s") - std::chrono::hours(24 * 7);
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        WriteFile(snapshot / name, "then");
        fs::last_write_time(snapshot / name, lastWeek);
    }
    WriteSettings(save.string());
    window_.Form_Load();
    window_.show();
    window_.itmStart().trigger();
    test::OnNextModal([&snapshot](QDialog& dialog) {
        auto& load = static_cast<frmLoad&>(dialog);
        load.Dir1().setPath(QString::fromStdString(snapshot.string()));
        load.cmdLoad().click();
    });
    window_.itmLoad().trigger();
    ASSERT_EQ(test::ReadFile(save / "Hero.d2s"), "then");
    const auto snapshots = [this] {
        return std::distance(fs::directory_iterator(fakes_.folder.path()), {});
    };
    const auto before = snapshots();

    // In the same second as the safety snapshot: the restored files are a snapshot already.
    window_.state().engine().Timer1_Timer();
    EXPECT_EQ(test::ReadFile(fakes_.services.logFile), "");
    EXPECT_TRUE(fakes_.notifyArea.balloons.empty());
    EXPECT_EQ(snapshots(), before);

    // The next save is taken as ever.
    WriteFile(save / "Hero.d2s", test::SaveBytes(1024));
    fakes_.clock.moment.second = 30;
    window_.state().engine().Timer1_Timer();
    EXPECT_TRUE(fs::exists(fakes_.folder.path() / "Hero-06-12-2026-15-04-30"));
    EXPECT_EQ(test::ReadFile(fakes_.services.logFile), "");
}

TEST_F(FrmMainTest, AnotherStartLeavesTheBoxTheWindowWaitsOnInFront)
{
    window_.show();
    bool dialogStaysOnTop = false;
    test::OnNextModal([&](QDialog& dialog) {
        const QSignalSpy windowShownAgain(window_.windowHandle(), &QWindow::visibleChanged);
        window_.AnotherStart();
        dialogStaysOnTop = dialog.isVisible() && QApplication::activeModalWidget() == &dialog &&
                           windowShownAgain.isEmpty();
    });
    window_.itmOptions().trigger();
    EXPECT_TRUE(dialogStaysOnTop);
}

}  // namespace
}  // namespace quorrel
