#pragma once

#include <QMainWindow>

#include "app/module1.h"
#include "app/services.h"
#include "platform/qt/qt_timer.h"
#include "snapshot/run_control.h"
#include "snapshot/snapshot_cycle.h"

class QAction;
class QMenu;

namespace quorrel {

// The main window: the menu bar is the program's only command surface, and it owns the
// snapshot timer. There is one for the whole program.
class frmMain final : public QMainWindow {
    Q_OBJECT
public:
    frmMain(Module1& state, Services& services, QWidget* parent = nullptr);

    // Reads the settings, sets the check period and records the save folder as first seen; on
    // any failure greets a first-time user and disables what needs settings. Runs once, before
    // the window is first shown.
    void Form_Load();

    // What the dialogs reach: the menu states and the snapshot engine.
    QAction& itmLoad() { return *itmLoad_; }
    QAction& mnuRun() { return *mnuRun_; }
    QAction& itmStart() { return *itmStart_; }
    QAction& itmStop() { return *itmStop_; }
    QAction& mnuHide() { return *mnuHide_; }
    SnapshotCycle& engine() { return engine_; }
    platform::Timer& Timer1() { return Timer1_; }

    void itmLoad_Click();
    void itmExit_Click();
    void itmOptions_Click();
    void itmAbout_Click();
    void mnuHide_Click();
    void Form_MouseMove(int button, int shift, float x, float y);

protected:
    bool event(QEvent* event) override;

private:
    void createMenus();
    float TwipsPerPixelX() const;

    Module1& state_;
    Services& services_;
    platform::QtTimer Timer1_;
    SnapshotCycle engine_;

    QAction* itmLoad_ = nullptr;
    QAction* itmExit_ = nullptr;
    QAction* mnuRun_ = nullptr;
    QAction* itmStart_ = nullptr;
    QAction* itmStop_ = nullptr;
    QAction* itmOptions_ = nullptr;
    QAction* mnuHide_ = nullptr;
    QAction* itmAbout_ = nullptr;

    std::unique_ptr<RunControl> runControl_;
};

}  // namespace quorrel
