#include "app/frm_main.h"

#include <QApplication>
#include <QMenuBar>

#include "about/frm_about.h"
#include "app/notification_icon.h"
#include "app/withdrawn_window.h"
#include "platform/path_text.h"
#include "platform/qt/background.h"
#include "platform/qt/text.h"
#include "platform/qt/trash.h"
#include "platform/qt/twips.h"
#include "restore/frm_load.h"
#include "restore/recovery_box.h"
#include "settings/frm_options.h"
#include "settings/save_folder_search.h"
#include "settings/settings_file.h"
#include "snapshot/take_snapshot.h"

namespace quorrel {

frmMain::frmMain(Services& services, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      services_(services),
      failureNotice_(services.notifyArea, services.logFile),
      keeper_(services.files, services.clock, services.logFile, &platform::MoveToRecycleBin),
      state_(Timer1_, {services.clock, services.beeper, services.files, services.logFile,
                       [this](bool succeeded) { failureNotice_.CheckFinished(succeeded); },
                       [this](const std::string& character, const std::string& folder) {
                           keeper_.AfterSnapshot(state_.settings().SnapshotDir, character, folder);
                       }})
{
    setWindowTitle("Quorrel");
    setWindowIcon(QIcon(":/quorrel/quorrel.png"));
    setCentralWidget(new QWidget(this));
    platform::SetBackgroundPicture(*centralWidget());
    createMenus();
    resize(platform::TwipsSize(4320, 5232) + QSize(0, menuBar()->sizeHint().height()));

    connect(&Timer1_, &platform::QtTimer::Tick, this, [this] { state_.engine().Timer1_Timer(); });
    // Queued, as the shell posts its callbacks to the window's message queue.
    connect(
        &services_.notifyArea, &platform::NotifyArea::Callback, this,
        [this](std::uint32_t callbackMessage, std::uint32_t, std::uint32_t mouseMessage) {
            if (callbackMessage == platform::WM_MOUSEMOVE) {
                Form_MouseMove(mouseMessage);
            }
        },
        Qt::QueuedConnection);
}

void frmMain::createMenus()
{
    QMenu* mnuFile = menuBar()->addMenu("File");
    itmLoad_ = mnuFile->addAction("Load", this, &frmMain::itmLoad_Click);
    mnuFile->addSeparator();
    itmExit_ = mnuFile->addAction("Exit", this, &frmMain::itmExit_Click);

    QMenu* mnuRun = menuBar()->addMenu("Run");
    mnuRun_ = mnuRun->menuAction();
    itmStart_ = mnuRun->addAction("Start", this, &frmMain::itmStart_Click);
    itmStop_ = mnuRun->addAction("Stop", this, &frmMain::itmStop_Click);

    QMenu* mnuOptions = menuBar()->addMenu("Options");
    itmOptions_ = mnuOptions->addAction("Set Options", this, &frmMain::itmOptions_Click);

    mnuHide_ = menuBar()->addAction("Hide", this, &frmMain::mnuHide_Click);

    QMenu* mnuHelp = menuBar()->addMenu("Help");
    itmAbout_ = mnuHelp->addAction("About", this, &frmMain::itmAbout_Click);
}

void frmMain::Form_Load()
{
    try {
        ReadSettingsFile(state_.settings(), services_.settingsFile);
        RemoveUnfinishedSnapshots(state_.settings().SnapshotDir);
        keeper_.ThinAll(state_.settings().SnapshotDir);
        // A restore cut short is put in order before the save folder is first listed. It says
        // itself what it did, or what is left, so its failure is no first run.
        RecoverSaveFolder(this, state_.settings().SaveGameDir, services_.files, services_.dialogs);
        state_.engine().SetCheckPeriod();
        state_.engine().RecordSaveFolder();
        settingsLoaded_ = true;
    } catch (const std::exception&) {
        services_.dialogs.MsgBox(this,
                                 "This is the first time running the application "
                                 "please Set the options from the options menu",
                                 platform::MsgBoxIcon::Information, "FirstTime User");
        mnuRun_->setEnabled(false);
    }
    itmLoad_->setEnabled(settingsLoaded_);
}

void frmMain::itmLoad_Click()
{
    frmLoad dialog(state_.settings(), services_.clock, services_.files, services_.dialogs, this,
                   services_.logFile);
    dialog.exec();
    // The restored files are a snapshot in the history already: the next check takes none.
    state_.engine().TakeAsKnown(dialog.restored());
}

void frmMain::itmExit_Click()
{
    close();
}

void frmMain::itmStart_Click()
{
    // Off and on again, so that the first check comes one whole interval after Start.
    Timer1_.setEnabled(false);
    Timer1_.setEnabled(true);
    AddNotificationIcon(services_.notifyArea);
    itmStart_->setEnabled(false);
    itmStop_->setEnabled(true);
    WithdrawWindow(*this, services_.notifyArea);
}

void frmMain::itmStop_Click()
{
    itmStop_->setEnabled(false);
    itmStart_->setEnabled(true);
    Timer1_.setEnabled(false);
}

void frmMain::itmOptions_Click()
{
    // Nothing stored yet: the game's save folder, if it is found on this machine, saves the
    // first-time user the search.
    const std::string found =
        settingsLoaded_ ? std::string() : FindSaveFolder(services_.environment, services_.registry);
    frmOptions dialog(
        state_.settings(), settingsLoaded_, found,
        [this](const Settings& edited) { state_.Apply(edited, services_.settingsFile); },
        services_.dialogs, this);
    if (dialog.exec() == QDialog::Accepted) {
        settingsLoaded_ = true;
        itmLoad_->setEnabled(true);
        mnuRun_->setEnabled(true);
    }
}

void frmMain::itmAbout_Click()
{
    const std::string settingsFolder =
        platform::ToText(platform::ToPath(services_.settingsFile).parent_path());
    frmAbout dialog(services_.registry, services_.dialogs, platform::ToQString(settingsFolder),
                    this);
    dialog.exec();
}

void frmMain::mnuHide_Click()
{
    AddNotificationIcon(services_.notifyArea);
    WithdrawWindow(*this, services_.notifyArea);
}

void frmMain::Form_MouseMove(std::uint32_t mouseMessage)
{
    // A visible window gets real mouse moves; only a withdrawn one listens to its icon.
    if (isVisible()) {
        return;
    }
    if (mouseMessage == platform::WM_LBUTTONDBLCLK) {
        ShowWithdrawnWindow(*this);
    }
}

void frmMain::AnotherStart()
{
    if (QWidget* waiting = QApplication::activeModalWidget()) {
        waiting->raise();
        waiting->activateWindow();
        return;
    }
    // Taken down first when it is up, so that it comes back on top of the windows over it.
    if (isVisible()) {
        hide();
    }
    ShowWithdrawnWindow(*this);
}

}  // namespace quorrel
