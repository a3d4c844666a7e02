#include "platform/qt/notify_area.h"

#include <QGuiApplication>
#include <vector>

namespace quorrel::platform {

namespace {

// Qt reports activations, the shell reports mouse messages.
std::vector<std::uint32_t> MouseMessagesOf(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            return {WM_LBUTTONDBLCLK};
        case QSystemTrayIcon::Trigger:
            return {WM_LBUTTONDOWN, WM_LBUTTONUP};
        case QSystemTrayIcon::Context:
            return {WM_RBUTTONDOWN, WM_RBUTTONUP};
        case QSystemTrayIcon::MiddleClick:
            return {WM_MBUTTONDOWN, WM_MBUTTONUP};
        case QSystemTrayIcon::Unknown:
            break;
    }
    return {};
}

}  // namespace

QtNotifyArea::~QtNotifyArea()
{
    for (auto& [id, icon] : icons_) {
        icon->hide();
    }
}

bool QtNotifyArea::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtNotifyArea::Shell_NotifyIconA(std::uint32_t message, const NOTIFYICONDATA& data)
{
    if (message != NIM_ADD || icons_.count(data.uID) > 0) {
        return false;
    }
    auto icon = std::make_unique<QSystemTrayIcon>();
    if (data.uFlags & NIF_ICON) {
        icon->setIcon(QGuiApplication::windowIcon());
    }
    if (data.uFlags & NIF_TIP) {
        icon->setToolTip(QString::fromLocal8Bit(data.szTip));
    }
    if (data.uFlags & NIF_MESSAGE) {
        connect(icon.get(), &QSystemTrayIcon::activated, this,
                [this, callbackMessage = data.uCallbackMessage,
                 iconId = data.uID](QSystemTrayIcon::ActivationReason reason) {
                    for (const std::uint32_t mouseMessage : MouseMessagesOf(reason)) {
                        emit Callback(callbackMessage, iconId, mouseMessage);
                    }
                });
    }
    icon->show();
    icons_.emplace(data.uID, std::move(icon));
    return true;
}

bool QtNotifyArea::ShowBalloon(std::uint32_t iconId, const QString& title, const QString& text)
{
    const auto found = icons_.find(iconId);
    if (found == icons_.end() || !found->second->isVisible()) {
        return false;
    }
    // Where the desktop runs no notification service, Qt draws the balloon itself.
    found->second->showMessage(title, text, QSystemTrayIcon::Warning);
    return true;
}

}  // namespace quorrel::platform
