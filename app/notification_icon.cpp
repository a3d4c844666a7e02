#include "app/notification_icon.h"

#include <QWidget>

#include "platform/qt/notify_area.h"

namespace quorrel {

platform::NOTIFYICONDATA MakeNotifyIconData(std::uint32_t uID, std::uint32_t uFlags,
                                            std::uint32_t uCallbackMessage, const std::string& tip)
{
    return {uID, uFlags, uCallbackMessage, tip};
}

void AddNotificationIcon(platform::NotifyArea& notifyArea)
{
    notifyArea.Shell_NotifyIconA(
        platform::NIM_ADD,
        MakeNotifyIconData(1, platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP,
                           platform::WM_MOUSEMOVE, kNotifyTip));
}

void WithdrawWindow(QWidget& window, const platform::NotifyArea& notifyArea)
{
    window.setWindowState(window.windowState() | Qt::WindowMinimized);
    if (notifyArea.isAvailable()) {
        window.hide();
    }
}

}  // namespace quorrel
