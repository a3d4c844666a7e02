#include "app/frm_main.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include "platform/qt/dir_list_box.h"
#include "restore/frm_load.h"
#include "support/gui_fakes.h"
#include "support/hero_folders.h"
#include "support/listed_names.h"
#include "support/save_bytes.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::WriteFile;

class FrmMainTest : public ::testing::Test {
protected:
    void WriteSettings(const fs::path& saveDir)
    {
        WriteFile(fakes_.services.settingsFile,
                  saveDir.string() + "\r\n" + fakes_.folder.text() + "\r\n60\r\n");
    }

    bool minimised() const { return window_.windowState() & Qt::WindowMinimized; }

    test::FakeServices fakes_;
    fs::path save_ = fakes_.folder.path() / "save";
    frmMain window_{fakes_.services};
};

// Settings naming a folder that is gone make a first run; usable ones arm the timer without
// starting it and record the save folder.
TEST_F(FrmMainTest, OnlyUsableSettingsArmTheTimerAndASecondStartBringsTheWindowBackKeepingTheRun)
{
    WriteSettings(save_);
    {
        frmMain gone(fakes_.services);
        gone.Form_Load();
        EXPECT_EQ(std::pair(fakes_.dialogs.boxes.size(), gone.mnuRun().isEnabled()),
                  std::pair(std::size_t{1}, false));
    }
    test::GameFolder(save_);
    window_.Form_Load();
    EXPECT_EQ(std::tuple(fakes_.dialogs.boxes.size(), window_.Timer1().isEnabled(),
                         window_.Timer1().interval(), window_.state().engine().KnownFiles().size()),
              std::tuple(1u, false, 60000, 3u));

    window_.mnuHide().trigger();
    EXPECT_FALSE(window_.Timer1().isEnabled()) << "Hide starts no run";
    window_.itmStart().trigger();
    window_.AnotherStart();  // the player starts the program again
    EXPECT_TRUE(window_.isVisible() && !minimised());
    EXPECT_TRUE(window_.Timer1().isEnabled()) << "bringing the window back keeps the run";
    window_.itmStop().trigger();
    EXPECT_FALSE(window_.Timer1().isEnabled());

    // Without a notification area a hidden window could never be brought back: Hide minimises.
    fakes_.notifyArea.available = false;
    window_.mnuHide().trigger();
    EXPECT_TRUE(window_.isVisible() && minimised());
    window_.AnotherStart();
    EXPECT_FALSE(minimised());
}

TEST_F(FrmMainTest, AnInterruptedRestoreIsPutInOrderBeforeTheSaveFolderIsListed)
{
    const auto snapshot = fakes_.folder.folder("Hero-06-12-2026-15-04-09");
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map", "notes.txt"}) {
        WriteFile(snapshot / name, "then");
    }
    WriteSettings(save_);
    // The operation the restore was killed before (none: the journal cannot be read, which is no
    // first run), the file that the game then saves, and what the box says.
    for (const auto& [operation, saved, outcome] :
         {std::tuple{"Write", "notes.txt", "Quorrel kept them as the game saved them:\n"},
          std::tuple{"Remove", "", "The restore has been completed"},
          std::tuple{"", "", "Quorrel cannot tell what to put back"}}) {
        fs::remove(test::GameFolder(save_) / "notes.txt");
        bool placed = false;
        if (*operation) {
            test::KillRestore(snapshot, save_, [&](std::string_view at, const fs::path& file) {
                placed = placed || (at == "Move" && file.filename() == ".notes.txt.quorrel-new");
                return at == operation && (*saved == 0 || placed);
            });
        } else {
            WriteFile(save_ / ".quorrel-restore.journal", "not a journal");
        }
        if (*saved) {
            WriteFile(save_ / saved, "saved by the game");
        }
        fakes_.dialogs.boxes.clear();
        frmMain window(fakes_.services);
        window.Form_Load();

        ASSERT_EQ(fakes_.dialogs.boxes.size(), 1u);
        const QString box = fakes_.dialogs.boxes.front().prompt;
        EXPECT_TRUE(box.contains(outcome) &&
                    (!*saved || box.endsWith(QString::fromStdString((save_ / saved).string()))))
            << box.toStdString();
        EXPECT_EQ(*saved ? test::ReadFile(save_ / saved) : "", *saved ? "saved by the game" : "");
        EXPECT_EQ(window.state().engine().KnownFiles().size(),
                  test::ListedNames(save_.string()).size());
    }
}

// A failing check shows one balloon until a check succeeds; a Load's own files are no change.
TEST_F(FrmMainTest, FailingChecksShowOneBalloonAndTheFirstCheckAfterALoadTakesNoSnapshot)
{
    WriteSettings(test::GameFolder(save_));
    const fs::path snapshot = fakes_.folder.folder("Hero-01-12-2026-10-00-00");
    const auto lastWeek = fs::last_write_time(save_ / "Hero.d2s") - std::chrono::hours(24 * 7);
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        WriteFile(snapshot / name, "then");
        fs::last_write_time(snapshot / name, lastWeek);
    }
    window_.Form_Load();
    window_.show();
    const fs::path moved = fakes_.folder.path() / "moved";
    const auto check = [this](const fs::path& from, const fs::path& to) {
        if (!from.empty()) {
            fs::rename(from, to);
        }
        window_.state().engine().Timer1_Timer();
        return fakes_.notifyArea.balloons.size();
    };
    window_.itmStart().trigger();
    ASSERT_EQ(check(save_, moved), 1u);
    EXPECT_EQ(fakes_.notifyArea.balloons.front().toStdString(),
              "Quorrel could not take a snapshot. See Log.txt in " + fakes_.folder.text() + ".");
    EXPECT_EQ(check({}, {}), 1u) << "the failures go on";
    EXPECT_EQ(check(moved, save_), 1u) << "a check that succeeds";
    EXPECT_EQ(check(save_, moved), 2u);
    EXPECT_NE(test::ReadFile(fakes_.services.logFile).find("Error Could not save"),
              std::string::npos)
        << "the failures are logged where the balloon says";
    EXPECT_EQ(check(moved, save_), 2u);

    test::OnNextModal([&snapshot](QDialog& dialog) {
        auto& load = static_cast<frmLoad&>(dialog);
        load.Dir1().setPath(QString::fromStdString(snapshot.string()));
        load.cmdLoad().click();
    });
    window_.itmLoad().trigger();
    ASSERT_EQ(test::ReadFile(save_ / "Hero.d2s"), "then");
    const auto before = std::distance(fs::directory_iterator(fakes_.folder.path()), {});
    // In the same second as the safety snapshot: the restored files are a snapshot already.
    window_.state().engine().Timer1_Timer();
    EXPECT_EQ(std::distance(fs::directory_iterator(fakes_.folder.path()), {}), before);
    // The next save is taken as ever.
    WriteFile(save_ / "Hero.d2s", test::SaveBytes(1024));
    fakes_.clock.moment.second = 30;
    window_.state().engine().Timer1_Timer();
    EXPECT_TRUE(fs::exists(fakes_.folder.path() / "Hero-06-12-2026-15-04-30"));
}

}  // namespace
}  // namespace quorrel
