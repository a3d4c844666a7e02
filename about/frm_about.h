#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "app/services.h"

class QFrame;
class QLabel;
class QPushButton;

namespace quorrel {

// The About box: the program's name, version, description and disclaimer over its artwork, and
// a button that starts the system-information tool. Loaded afresh each time it is opened. The
// controls carry their names as object names, so that they can be found by them.
class frmAbout final : public QDialog {
    Q_OBJECT
public:
    frmAbout(Services& services, QWidget* parent);

    // Fills the caption, the title and the version line; runs when the box is created.
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Starts the tool, or tells the user that there is none.
    void StartSysInfo();
    // See GetKeyValue in about/get_key_value.h; reads the registry of the services.
    bool GetKeyValue(platform::RegistryKey KeyRoot, const std::string& KeyName,
                     const std::string& SubKeyRef, std::string& KeyVal);

protected:
    // Esc presses the cancel button, as Enter presses the default one.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();

    Services& services_;
    QLabel* picIcon_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QLabel* lblDisclaimer_ = nullptr;
    std::array<QFrame*, 2> Line1_{};
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdSysInfo_ = nullptr;
};

}  // namespace quorrel
