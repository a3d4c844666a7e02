#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file_lister.h"
#include "platform/file_ops.h"
#include "platform/qt/dialogs.h"
#include "settings/settings.h"
#include "snapshot/error_log.h"
#include "snapshot/filenames.h"

class QPushButton;

namespace quorrel {
class HistoryMenu;
}
namespace quorrel {

namespace platform {
class DirListBox;
class DriveListBox;
}  // namespace platform

// The restore dialog: copies the snapshot folder open in Dir1 back into the save folder, over
// the files of the same names, after a safety snapshot of what it replaces. It keeps nothing
// between openings.
class frmLoad final : public QDialog {
    Q_OBJECT
public:
    // The clock names the safety snapshot; the file operations do all of the restore's work, and
    // write the history's index. What goes wrong with the history's upkeep goes to `logFile`.
    frmLoad(const Settings& settings, platform::Clock& clock, platform::FileOps& files,
            platform::Dialogs& dialogs, QWidget* parent, std::string logFile = kLogFile);

    // The controls, for the keyboard and for tests.
    platform::DirListBox& Dir1() { return *Dir1_; }
    platform::DriveListBox& Drive1() { return *Drive1_; }
    QPushButton& cmdLoad() { return *cmdLoad_; }
    QPushButton& cmdCancel() { return *cmdCancel_; }
    HistoryMenu& Dir1Menu() { return *history_; }

    // The files that Load put in place, with their stamps; empty unless it restored.
    const std::vector<Filenames>& restored() const { return restored_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void placeControls();

    void Form_Load();
    void Dir1_Change();
    void Drive1_Change();
    void cmdLoad_Click();
    void cmdCancel_Click();

    // Asks before a restore that would bring back a character dead in hardcore; true when the
    // restore goes on.
    bool RestoreDeadCharacterAnyway();

    const Settings& settings_;
    platform::Clock& clock_;
    platform::FileOps& files_;
    platform::Dialogs& dialogs_;
    const std::string logFile_;

    platform::DirListBox* Dir1_ = nullptr;      // the snapshot folder to restore
    platform::DriveListBox* Drive1_ = nullptr;  // Dir1's drive
    QPushButton* cmdLoad_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    HistoryMenu* history_ = nullptr;  // Dir1's context menu: pins and thinning
    // Never shown: it only lists the files of the folder open in Dir1 for the check in Load.
    platform::FileLister File1_;
    std::vector<Filenames> restored_;
};

}  // namespace quorrel
