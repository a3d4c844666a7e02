#include "app/frm_splash.h"

#include <QLabel>
#include <QPixmap>

#include "platform/qt/twips.h"

namespace quorrel {

frmSplash::frmSplash(std::function<void()> showMainWindow, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      showMainWindow_(std::move(showMainWindow))
{
    // Discarded when it closes, its window and its timer with it: no window of the splash is
    // left for a close meant for the main window to go to, and a close before it gives way ends
    // the program rather than leaving the main window to come up on its own.
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(platform::TwipsSize(4476, 1776));
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(":/quorrel/splash.png"));
    picture->move(0, 0);
    picture->adjustSize();

    Timer1_.setSingleShot(true);
    connect(&Timer1_, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1_.start(700);
}

void frmSplash::Timer1_Timer()
{
    // Hidden rather than closed until the main window is up: closing the only window would end
    // the program.
    hide();
    showMainWindow_();
    close();
}

}  // namespace quorrel
