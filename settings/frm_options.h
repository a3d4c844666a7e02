#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "app/module1.h"
#include "app/services.h"
#include "platform/file_lister.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorrel {

class frmMain;

namespace platform {
class DirListBox;
class DriveListBox;
class UpDown;
}  // namespace platform

// The options dialog: the save folder, the snapshot folder and the refresh time. Created each
// time it is opened; Form_Load runs at the end of the constructor.
//
// The directory boxes write their folder into the settings at once, and Apply alone writes the
// settings file. Cancel (and the close box) put the three settings back as they were at opening,
// so that a running check never watches a folder the player only looked at.
class frmOptions final : public QDialog {
    Q_OBJECT
public:
    frmOptions(Module1& state, frmMain& main, Services& services);

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

public slots:
    void reject() override;

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

    Module1& state_;
    frmMain& main_;
    Services& services_;
    struct Settings {
        std::string SaveGameDir;
        std::string SnapshotDir;
        std::string RefreshTime;
    };
    const Settings opening_;  // as they were when the dialog opened
    bool periodChanged_ = false;

    QLabel* Label1_ = nullptr;
    QLabel* Label2_ = nullptr;
    QLabel* Label4_ = nullptr;
    platform::DirListBox* Dir1_ = nullptr;
    platform::DirListBox* Dir2_ = nullptr;
    platform::DriveListBox* Drive1_ = nullptr;
    platform::DriveListBox* Drive2_ = nullptr;
    QLineEdit* Text1_ = nullptr;
    platform::UpDown* UpDown1_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QPushButton* Command2_ = nullptr;
    QPushButton* Command3_ = nullptr;
    platform::FileLister File1_;  // never shown: lists Dir1's files for Apply's check
};

}  // namespace quorrel
