#include "app/frm_main.h"

#include <QMenuBar>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "about/frm_about.h"
#include "app/background.h"
#include "app/notification_icon.h"
#include "app/twips.h"
#include "platform/qt/withdrawn_window.h"
#include "restore/frm_load.h"
#include "settings/frm_options.h"
#include "settings/settings_file.h"

namespace quorrel {

frmMain::frmMain(Module1& state, Services& services, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      state_(state),
      services_(services),
      engine_(state, Timer1_, {services.clock, services.beeper, services.copier, services.logFile})
{
    setWindowTitle("Quorrel");
    setWindowIcon(QIcon(":/quorrel/quorrel.png"));
    setCentralWidget(new QWidget(this));
    SetBackgroundPicture(*centralWidget());
    createMenus();
    resize(TwipsSize(4320, 5232) + QSize(0, menuBar()->sizeHint().height()));

    runControl_ = std::make_unique<RunControl>(
        Timer1_, *itmStart_, *itmStop_,
        [this] { AddNotificationIcon(*this, services_.notifyArea); },
        [this] { WithdrawWindow(*this, services_.notifyArea); });
    connect(&Timer1_, &platform::QtTimer::Tick, this, [this] { engine_.Timer1_Timer(); });
}

void frmMain::createMenus()
{
    QMenu* mnuFile = menuBar()->addMenu("File");
    itmLoad_ = mnuFile->addAction("Load", this, &frmMain::itmLoad_Click);
    mnuFile->addSeparator();
    itmExit_ = mnuFile->addAction("Exit", this, &frmMain::itmExit_Click);

    QMenu* mnuRun = menuBar()->addMenu("Run");
    mnuRun_ = mnuRun->menuAction();
    itmStart_ = mnuRun->addAction("Start", this, [this] { runControl_->itmStart_Click(); });
    itmStop_ = mnuRun->addAction("Stop", this, [this] { runControl_->itmStop_Click(); });

    QMenu* mnuOptions = menuBar()->addMenu("Options");
    itmOptions_ = mnuOptions->addAction("Set Options", this, &frmMain::itmOptions_Click);

    mnuHide_ = menuBar()->addAction("Hide", this, &frmMain::mnuHide_Click);

    QMenu* mnuHelp = menuBar()->addMenu("Help");
    itmAbout_ = mnuHelp->addAction("About", this, &frmMain::itmAbout_Click);
}

void frmMain::Form_Load()
{
    try {
        if (!ReadSettingsFile(state_, services_.settingsFile)) {
            throw std::runtime_error("Settings.ini cannot be read");
        }
        itmLoad_->setEnabled(true);
        engine_.SetCheckPeriod();
        engine_.ListSaveFolder(state_.KnownFiles);
    } catch (const std::exception&) {
        services_.dialogs.MsgBox(this,
                                 "This is the first time running the application "
                                 "please Set the options from the options menu",
                                 platform::MsgBoxIcon::Information, "FirstTime User");
        itmLoad_->setEnabled(false);
        mnuRun_->setEnabled(false);
    }
}

void frmMain::itmLoad_Click()
{
    frmLoad dialog(state_, services_, this);
    dialog.exec();
}

void frmMain::itmExit_Click()
{
    close();
}

void frmMain::itmOptions_Click()
{
    frmOptions dialog(state_, *this, services_);
    dialog.exec();
}

void frmMain::itmAbout_Click()
{
    frmAbout dialog(services_, this);
    dialog.exec();
}

void frmMain::mnuHide_Click()
{
    AddNotificationIcon(*this, services_.notifyArea);
    WithdrawWindow(*this, services_.notifyArea);
}

void frmMain::Form_MouseMove(int /*button*/, int /*shift*/, float x, float /*y*/)
{
    // A visible window gets real mouse moves; only a withdrawn one listens to its icon.
    if (isVisible()) {
        return;
    }
    if (MouseMessageFromX(x, TwipsPerPixelX()) == platform::WM_LBUTTONDBLCLK) {
        platform::ShowWithdrawnWindow(*this);
    }
}

bool frmMain::event(QEvent* event)
{
    if (event->type() == platform::NotifyIconCallbackEvent::kType) {
        const auto* callback = static_cast<platform::NotifyIconCallbackEvent*>(event);
        if (callback->callbackMessage == platform::WM_MOUSEMOVE) {
            // The shell puts the mouse message where a mouse move carries its x coordinate.
            Form_MouseMove(0, 0, static_cast<float>(callback->mouseMessage) * TwipsPerPixelX(), 0);
        }
        return true;
    }
    return QMainWindow::event(event);
}

float frmMain::TwipsPerPixelX() const
{
    // Whole twips per pixel, as the screen reports them on Windows (15 at 96 dpi, 12 at 120).
    const QScreen* current = screen();
    const double dotsPerInch = current ? current->logicalDotsPerInchX() : 96.0;
    return static_cast<float>(std::max(1.0, std::round(1440.0 / dotsPerInch)));
}

}  // namespace quorrel
