#pragma once

#include <QDialog>
#include <array>

#include "platform/qt/dialogs.h"
#include "platform/registry.h"

class QFrame;
class QLabel;
class QPushButton;

namespace quorrel {

// The About box: the program's name, version, description and disclaimer over its artwork, and
// a button that starts the system-information tool: the one the registry names where there is a
// registry (see StartSysInfo), else the desktop's own. The description says which folder holds
// the settings. Loaded afresh each time it is opened. The controls carry their names as object
// names, so that they can be found by them.
class frmAbout final : public QDialog {
    Q_OBJECT
public:
    frmAbout(platform::Registry* registry, platform::Dialogs& dialogs,
             const QString& settingsFolder, QWidget* parent);

    // Fills the caption, the title and the version line; runs when the box is created.
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Starts the tool, or tells the user that there is none.
    void StartSysInfo();

protected:
    // Esc clicks OK, which is the cancel button as well as the default one.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void describe(const QString& settingsFolder);

    platform::Registry* registry_;  // none on Linux and macOS
    platform::Dialogs& dialogs_;
    QLabel* picIcon_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QLabel* lblDisclaimer_ = nullptr;
    std::array<QFrame*, 2> Line1_{};  // the etched separator: a grey line over a white one
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdSysInfo_ = nullptr;
};

}  // namespace quorrel
