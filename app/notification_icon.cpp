#include "app/notification_icon.h"

#include <QWidget>
#include <algorithm>
#include <cstring>

#include "platform/qt/notify_area.h"

namespace quorrel {

platform::NOTIFYICONDATA MakeNotifyIconData(const std::int32_t& hWnd, const std::int32_t& uID,
                                            const std::int32_t& uFlags,
                                            const std::int32_t& uCallbackMessage,
                                            const std::int32_t& hIcon, const std::string& tip)
{
    platform::NOTIFYICONDATA data{};
    data.cbSize = sizeof data;
    data.hWnd = hWnd;
    data.uID = static_cast<std::uint32_t>(uID);
    data.uFlags = static_cast<std::uint32_t>(uFlags);
    data.uCallbackMessage = static_cast<std::uint32_t>(uCallbackMessage);
    data.hIcon = hIcon;
    std::memset(data.szTip, ' ', sizeof data.szTip);
    const std::size_t length = std::min(tip.size(), sizeof data.szTip - 1);
    std::memcpy(data.szTip, tip.data(), length);
    data.szTip[length] = '\0';
    return data;
}

void AddNotificationIcon(const QWidget& window, platform::NotifyArea& notifyArea)
{
    const std::string tip = kNotifyTip;
    // The native handle, as far as the record's 32 bits hold it. Qt keeps no icon handles: the
    // notification area serves this one window and shows the program's own icon, so neither
    // handle is read on the way.
    const auto hWnd = static_cast<std::int32_t>(window.winId());
    const std::int32_t hIcon = 0;
    const platform::NOTIFYICONDATA data =
        MakeNotifyIconData(hWnd, 1, platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP,
                           platform::WM_MOUSEMOVE, hIcon, tip);
    notifyArea.Shell_NotifyIconA(platform::NIM_ADD, data);
}

void WithdrawWindow(QWidget& window, const platform::NotifyArea& notifyArea)
{
    window.setWindowState(window.windowState() | Qt::WindowMinimized);
    if (notifyArea.isAvailable()) {
        window.hide();
    }
}

}  // namespace quorrel
