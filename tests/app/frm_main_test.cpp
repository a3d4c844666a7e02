#include "app/frm_main.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>

#include "app/notification_icon.h"
#include "restore/hero_folders.h"
#include "support/gui_fakes.h"
#include "support/modal.h"

namespace quorrel {
namespace {

using test::WriteFile;

class FrmMainTest : public ::testing::Test {
protected:
    void WriteSettings(const std::string& saveDir, const std::string& refreshTime = "60")
    {
        WriteFile(fakes_.services.settingsFile,
                  saveDir + "\r\n" + fakes_.folder.text() + "\r\n" + refreshTime + "\r\n");
    }

    std::filesystem::path SaveFolder()
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

    test::FakeServices fakes_;
    frmMain window_{fakes_.services};
};

TEST_F(FrmMainTest, FirstRunGreetsTheUserAndDisablesLoadAndRun)
{
    window_.Form_Load();
    ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u);
    const auto& box = fakes_.dialogs.boxes.front();
    EXPECT_EQ(box.prompt,
              "This is the first time running the application please Set the options from the "
              "options menu");
    EXPECT_EQ(box.title, "FirstTime User");
    EXPECT_EQ(box.icon, platform::MsgBoxIcon::Information);
    EXPECT_FALSE(window_.itmLoad().isEnabled());
    EXPECT_FALSE(window_.mnuRun().isEnabled());
    EXPECT_TRUE(window_.mnuHide().isEnabled());
}

TEST_F(FrmMainTest, SettingsThatCannotBeUsedAreAFirstRunToo)
{
    WriteSettings((fakes_.folder.path() / "gone").string());
    window_.Form_Load();
    EXPECT_EQ(fakes_.dialogs.boxes.size(), 1u) << "the file was read, but the folder is gone";
    EXPECT_EQ(window_.state().settings().SnapshotDir, fakes_.folder.text());
    EXPECT_FALSE(window_.itmLoad().isEnabled());
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
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        WriteFile(snapshot / name, "then");
    }
    const std::string interrupted =
        "Quorrel was interrupted while restoring a snapshot into the save game directory\n" +
        (fakes_.folder.path() / "save").string() + "\n\n";
    struct Row {
        std::function<bool(std::string_view, const std::filesystem::path&)> killAt;
        std::string heroNow;  // Hero.d2s after start-up; empty: the journal cannot be read
        std::string box;
    };
    for (const Row& row :
         {// Hero.d2s moved aside, its copy not yet in its place: no listing would find it.
          Row{[](std::string_view operation, const std::filesystem::path&file) {
                  return operation == "Rename" &&
                         file.filename().string().ends_with(".quorrel-new");
              },
              "Hero.d2s",
              "The save files there have been put back as they were before the restore."},
          Row{[](std::string_view operation, const std::filesystem::path&) {
                  return operation == "Remove";
              },
              "then",
              "The restore has been completed: the save files there are those of the "
              "snapshot."},
          Row{{}, "", "Quorrel could not put that directory in order"}}) {
        const auto save = SaveFolder();
        WriteSettings(save.string());
        if (row.killAt) {
            test::KillRestore(snapshot, save, row.killAt);
        } else {
            WriteFile(save / ".quorrel-restore.journal", "not a journal");
        }
        fakes_.dialogs.boxes.clear();
        frmMain window(fakes_.services);
        window.Form_Load();

        ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u);
        const auto& box = fakes_.dialogs.boxes.front();
        EXPECT_TRUE(box.prompt.contains(row.box.c_str())) << box.prompt.toStdString();
        EXPECT_TRUE(box.prompt.startsWith(interrupted.c_str())) << box.prompt.toStdString();
        EXPECT_EQ(box.icon, row.heroNow.empty() ? platform::MsgBoxIcon::Critical
                                                : platform::MsgBoxIcon::Information);
        EXPECT_TRUE(window.itmLoad().isEnabled()) << "no first run";
        EXPECT_EQ(window.state().engine().KnownFiles().size(), 3u);
        if (!row.heroNow.empty()) {
            EXPECT_EQ(test::ReadFile(save / "Hero.d2s"), row.heroNow);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(save), {}), 3)
                << "no file of the restore is left";
        }
    }
    EXPECT_TRUE(std::filesystem::exists(fakes_.folder.path() / "save/.quorrel-restore.journal"))
        << "a journal that cannot be read is left as it is";
}

TEST_F(FrmMainTest, StartWithdrawsToTheNotificationAreaAndStopEndsTheRun)
{
    WriteSettings(SaveFolder().string());
    window_.Form_Load();
    window_.show();

    window_.itmStart().trigger();
    EXPECT_TRUE(window_.Timer1().isEnabled());
    EXPECT_FALSE(window_.itmStart().isEnabled());
    EXPECT_TRUE(window_.itmStop().isEnabled());
    EXPECT_FALSE(window_.isVisible());
    EXPECT_TRUE(window_.windowState() & Qt::WindowMinimized);
    ASSERT_EQ(fakes_.notifyArea.icons.size(), 1u);
    EXPECT_STREQ(fakes_.notifyArea.icons.begin()->second.szTip, "Diablo2 Quorrel 0.1 Alpha");

    Mouse(platform::WM_LBUTTONDBLCLK);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_FALSE(window_.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(window_.Timer1().isEnabled()) << "bringing the window back keeps the run going";

    window_.itmStop().trigger();
    EXPECT_FALSE(window_.Timer1().isEnabled());
    EXPECT_TRUE(window_.itmStart().isEnabled());
    EXPECT_FALSE(window_.itmStop().isEnabled());
    EXPECT_TRUE(window_.isVisible());

    window_.itmStart().trigger();
    EXPECT_EQ(fakes_.notifyArea.icons.size(), 1u) << "a second Start shows no second icon";
}

TEST_F(FrmMainTest, OnlyALeftDoubleClickBringsAHiddenWindowBack)
{
    window_.show();
    window_.mnuHide().trigger();
    EXPECT_FALSE(window_.isVisible());
    EXPECT_FALSE(window_.Timer1().isEnabled()) << "Hide starts no run";

    for (std::uint32_t message : {platform::WM_MOUSEMOVE, platform::WM_LBUTTONDOWN,
                                  platform::WM_LBUTTONUP, platform::WM_RBUTTONUP}) {
        Mouse(message);
        EXPECT_FALSE(window_.isVisible()) << message;
    }
    Mouse(platform::WM_LBUTTONDBLCLK);
    EXPECT_TRUE(window_.isVisible());

    window_.mnuHide().trigger();
    EXPECT_FALSE(window_.isVisible());
    EXPECT_EQ(fakes_.notifyArea.icons.size(), 1u);
    EXPECT_EQ(fakes_.notifyArea.addCalls, 2);
}

TEST_F(FrmMainTest, WithoutANotificationAreaHideOnlyMinimises)
{
    fakes_.notifyArea.available = false;
    window_.show();
    window_.mnuHide().trigger();
    EXPECT_TRUE(window_.isVisible()) << "a hidden window could never be brought back";
    EXPECT_TRUE(window_.windowState() & Qt::WindowMinimized);
}

TEST_F(FrmMainTest, FailingChecksShowOneBalloonUntilACheckSucceeds)
{
    const std::filesystem::path save = SaveFolder();
    const std::filesystem::path moved = fakes_.folder.path() / "moved";
    WriteSettings(save.string());
    window_.Form_Load();
    window_.show();
    const auto check = [this](const std::filesystem::path& from, const std::filesystem::path& to) {
        if (!from.empty()) {
            std::filesystem::rename(from, to);
        }
        window_.state().engine().Timer1_Timer();
        return fakes_.notifyArea.balloons.size();
    };

    EXPECT_EQ(check(save, moved), 0u) << "no icon to show it on";
    window_.itmStart().trigger();
    EXPECT_EQ(check({}, {}), 1u);
    const auto& balloon = fakes_.notifyArea.balloons.front();
    EXPECT_EQ(balloon.iconId, 1u);
    EXPECT_EQ(balloon.title, "Quorrel");
    EXPECT_EQ(balloon.text.toStdString(),
              "Quorrel could not take a snapshot. See Log.txt in " + fakes_.folder.text() + ".");
    EXPECT_EQ(check({}, {}), 1u) << "the failures go on";
    EXPECT_EQ(check(moved, save), 1u) << "a check that succeeds";
    EXPECT_EQ(check(save, moved), 2u);

    const std::string log = test::ReadFile(fakes_.services.logFile);
    std::size_t entries = 0;
    for (std::size_t at = log.find("Error Could not save \r\n"); at != std::string::npos;
         at = log.find("Error Could not save \r\n", at + 1)) {
        ++entries;
    }
    EXPECT_EQ(entries, 4u) << "every failure is logged as before";
}

TEST_F(FrmMainTest, AnotherStartBringsTheWindowOrTheBoxItWaitsOnForward)
{
    window_.show();
    window_.mnuHide().trigger();
    window_.AnotherStart();
    EXPECT_TRUE(window_.isVisible());
    EXPECT_FALSE(window_.windowState() & Qt::WindowMinimized);

    window_.setWindowState(Qt::WindowMinimized);  // as Hide leaves it without a notification area
    window_.AnotherStart();
    EXPECT_TRUE(window_.isVisible());
    EXPECT_FALSE(window_.windowState() & Qt::WindowMinimized);

    bool dialogStaysOnTop = false;
    test::OnNextModal([&](QDialog& dialog) {
        window_.AnotherStart();
        dialogStaysOnTop = dialog.isVisible() && QApplication::activeModalWidget() == &dialog;
    });
    window_.itmOptions().trigger();
    EXPECT_TRUE(dialogStaysOnTop);
    EXPECT_TRUE(window_.isVisible());
}

TEST(NotificationIconTest, TheTipEndsInOneNulAndBlanksThatNeverCutTheNul)
{
    struct Row {
        std::string tip;
        std::string field;  // all 64 characters of szTip
    };
    const std::string tip = "Diablo2 Quorrel 0.1 Alpha";
    for (const Row& row :
         {Row{tip, tip + '\0' + std::string(38, ' ')}, Row{"", '\0' + std::string(63, ' ')},
          Row{std::string(63, 'x'), std::string(63, 'x') + '\0'},
          Row{std::string(80, 'x'), std::string(63, 'x') + '\0'}}) {
        const platform::NOTIFYICONDATA data = MakeNotifyIconData(0x1234, 1, 7, 512, 0x55, row.tip);
        EXPECT_EQ(std::string(data.szTip, sizeof data.szTip), row.field) << row.tip.size();
        EXPECT_EQ(data.cbSize, 88u);
        EXPECT_EQ(data.hWnd, 0x1234);
        EXPECT_EQ(data.uID, 1u);
        EXPECT_EQ(data.uFlags, 7u);
        EXPECT_EQ(data.uCallbackMessage, 512u);
        EXPECT_EQ(data.hIcon, 0x55);
    }
}

}  // namespace
}  // namespace quorrel
