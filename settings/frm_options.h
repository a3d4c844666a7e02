#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "platform/file_lister.h"
#include "platform/qt/dialogs.h"
#include "settings/settings.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorrel {

namespace platform {
class DirListBox;
class DriveListBox;
class UpDown;
}  // namespace platform

// The options dialog: the save folder, the snapshot folder and the refresh time. Created each
// time it is opened; Form_Load runs at the end of the constructor.
//
// The dialog edits a copy of the settings: the directory boxes and the arrows write into it at
// once, and only a successful Apply hands it over, so that a running check never follows a folder
// the player merely browsed. exec() gives Accepted after a successful Apply.
class frmOptions final : public QDialog {
    Q_OBJECT
public:
    // Saves edited settings and puts them in use, or throws and changes nothing:
    // std::invalid_argument or std::out_of_range for a refresh time that cannot arm the timer,
    // std::system_error when the settings file cannot be written.
    using ApplySettings = std::function<void(const Settings& edited)>;

    // preload: whether settings were read or saved before; the dialog then starts from them.
    // Otherwise the save folder box starts on foundSaveFolder, when it is given and opens (see
    // FindSaveFolder).
    frmOptions(const Settings& applied, bool preload, std::string foundSaveFolder,
               ApplySettings apply, platform::Dialogs& dialogs, QWidget* parent);

    // The settings as the dialog has them now.
    const Settings& edited() const { return edited_; }

    void Form_Load();
    void Drive1_Change();
    void Drive2_Change();
    void Dir1_Change();
    void Dir2_Change();
    void Text1_Change();
    void UpDown1_UpClick();
    void UpDown1_DownClick();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    platform::DirListBox& Dir1() { return *Dir1_; }
    platform::DirListBox& Dir2() { return *Dir2_; }
    platform::DriveListBox& Drive1() { return *Drive1_; }
    platform::DriveListBox& Drive2() { return *Drive2_; }
    QLineEdit& Text1() { return *Text1_; }
    platform::UpDown& UpDown1() { return *UpDown1_; }
    QPushButton& Command1() { return *Command1_; }
    QPushButton& Command2() { return *Command2_; }
    QPushButton& Command3() { return *Command3_; }
    const platform::FileLister& File1() const { return File1_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void setColours();
    void setTabOrder();
    void connectHandlers();

    void ListFile1();
    std::optional<double> RefreshNumber();
    void ShowMaximumRefreshTime();
    void Error(const QString& prompt, platform::MsgBoxIcon icon);

    const bool preload_;
    const std::string foundSaveFolder_;
    const ApplySettings apply_;
    platform::Dialogs& dialogs_;
    Settings edited_;

    QLabel* Label1_ = nullptr;                  // "Diablo2 Save Directory"
    QLabel* Label2_ = nullptr;                  // "Quorrel Directory"
    QLabel* Label4_ = nullptr;                  // "Refresh Time (in Sec)"
    platform::DirListBox* Dir1_ = nullptr;      // the save folder
    platform::DirListBox* Dir2_ = nullptr;      // the snapshot folder
    platform::DriveListBox* Drive1_ = nullptr;  // Dir1's drive
    platform::DriveListBox* Drive2_ = nullptr;  // Dir2's drive
    QLineEdit* Text1_ = nullptr;                // the refresh time, at most 3 characters
    platform::UpDown* UpDown1_ = nullptr;       // steps Text1 by one second
    QPushButton* Command1_ = nullptr;           // Apply
    QPushButton* Command2_ = nullptr;           // Cancel
    QPushButton* Command3_ = nullptr;           // New Direcory
    platform::FileLister File1_;                // never shown: lists Dir1's files for Apply's check
};

}  // namespace quorrel
