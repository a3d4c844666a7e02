#include "app/notification_icon.h"

#include <QWidget>
#include <algorithm>
#include <cstring>

#include "platform/number_text.h"
#include "platform/qt/notify_area.h"
#include "platform/qt/window_handles.h"

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

void AddNotificationIcon(QWidget& window, platform::NotifyArea& notifyArea)
{
    const std::string tip = kNotifyTip;
    const std::int32_t hWnd = platform::WindowHandle(&window);
    const std::int32_t hIcon = platform::IconHandle(window.windowIcon());
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

std::int32_t MouseMessageFromX(float x, float twipsPerPixelX)
{
    const auto twips = static_cast<std::int32_t>(platform::RoundHalfEven(x));
    const auto perPixel = static_cast<std::int32_t>(platform::RoundHalfEven(twipsPerPixelX));
    return perPixel == 0 ? 0 : twips / perPixel;
}

}  // namespace quorrel
