#include "platform/qt/notify_area.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <cstring>
#include <vector>

#include "platform/qt/window_handles.h"

namespace quorrel::platform {

const QEvent::Type NotifyIconCallbackEvent::kType =
    static_cast<QEvent::Type>(QEvent::registerEventType());

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

QtNotifyArea::QtNotifyArea(QObject* parent) : QObject(parent) {}

QtNotifyArea::~QtNotifyArea()
{
    for (auto& [key, icon] : icons_) {
        icon->hide();
    }
}

bool QtNotifyArea::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtNotifyArea::Shell_NotifyIconA(std::uint32_t message, const NOTIFYICONDATA& data)
{
    switch (message) {
        case NIM_ADD:
            return add(data);
        case NIM_DELETE:
            return icons_.erase({data.hWnd, data.uID}) > 0;
        default:
            return false;
    }
}

bool QtNotifyArea::add(const NOTIFYICONDATA& data)
{
    const IconKey key{data.hWnd, data.uID};
    QWidget* window = WindowFromHandle(data.hWnd);
    if (icons_.count(key) > 0 || window == nullptr) {
        return false;
    }

    auto icon = std::make_unique<QSystemTrayIcon>();
    if (data.uFlags & NIF_ICON) {
        icon->setIcon(IconFromHandle(data.hIcon));
    }
    if (data.uFlags & NIF_TIP) {
        icon->setToolTip(
            QString::fromLocal8Bit(data.szTip, strnlen(data.szTip, sizeof data.szTip)));
    }
    if (data.uFlags & NIF_MESSAGE) {
        const std::uint32_t callbackMessage = data.uCallbackMessage;
        const std::uint32_t iconId = data.uID;
        connect(icon.get(), &QSystemTrayIcon::activated, this,
                [target = QPointer<QWidget>(window), callbackMessage,
                 iconId](QSystemTrayIcon::ActivationReason reason) {
                    for (std::uint32_t mouseMessage : MouseMessagesOf(reason)) {
                        if (target) {
                            // The event queue takes ownership of the event.
                            QCoreApplication::postEvent(
                                target,
                                new NotifyIconCallbackEvent(callbackMessage, iconId, mouseMessage));
                        }
                    }
                });
    }
    icon->show();
    icons_.emplace(key, std::move(icon));
    return true;
}

}  // namespace quorrel::platform
