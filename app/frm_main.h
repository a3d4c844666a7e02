#pragma once

#include <QMainWindow>
#include <cstdint>

#include "app/failure_notice.h"
#include "app/history_keeper.h"
#include "app/module1.h"
#include "app/services.h"
#include "platform/qt/qt_timer.h"

class QAction;

namespace quorrel {

// The main window: the menu bar is the program's only command surface, and it owns the
// snapshot timer and the shared state. There is one for the whole program.
class frmMain final : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(Services& services, QWidget* parent = nullptr);

    // Reads the settings, sets the check period and records the save folder as first seen; on
    // any failure greets a first-time user and disables what needs settings. Runs once, before
    // the window is first shown.
    void Form_Load();

    Module1& state() { return state_; }
    platform::Timer& Timer1() { return Timer1_; }

    // The menu, for the keyboard and for tests.
    QAction& itmLoad() { return *itmLoad_; }
    QAction& mnuRun() { return *mnuRun_; }
    QAction& itmStart() { return *itmStart_; }
    QAction& itmStop() { return *itmStop_; }
    QAction& itmOptions() { return *itmOptions_; }
    QAction& mnuHide() { return *mnuHide_; }

    void itmLoad_Click();
    void itmExit_Click();
    void itmStart_Click();
    void itmStop_Click();
    void itmOptions_Click();
    void itmAbout_Click();
    void mnuHide_Click();

    // The notification icon's callback: the mouse message that happened over the icon. A
    // visible window ignores it.
    void Form_MouseMove(std::uint32_t mouseMessage);

    // The player started the program again on the same settings: this copy comes forward
    // instead, its window as a double-click on the icon brings it, or the box it waits on.
    void AnotherStart();

private:
    void createMenus();

    Services& services_;
    platform::QtTimer Timer1_;
    FailureNotice failureNotice_;
    HistoryKeeper keeper_;  // before the engine, which hands it each snapshot
    Module1 state_;
    // Whether settings are in place: read at start-up, with the save folder recorded, or saved
    // by the options dialog since. Load and Run are enabled from then on.
    bool settingsLoaded_ = false;

    QAction* itmLoad_ = nullptr;
    QAction* itmExit_ = nullptr;
    QAction* mnuRun_ = nullptr;
    QAction* itmStart_ = nullptr;
    QAction* itmStop_ = nullptr;
    QAction* itmOptions_ = nullptr;
    QAction* mnuHide_ = nullptr;
    QAction* itmAbout_ = nullptr;
};

}  // namespace quorrel
