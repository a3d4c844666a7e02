#pragma once

#include <cstdint>
#include <string>

#include "platform/notify_icon_data.h"

class QWidget;

namespace quorrel {

namespace platform {
class NotifyArea;
}

// The icon's tip. "0.1 Alpha" is part of the program's own fixed text, not its version (that is
// QUORREL_VERSION): it stays as it is when the version changes.
inline constexpr char kNotifyTip[] = "Diablo2 Quorrel 0.1 Alpha";

// The record of the program's icon: the three numbers and the tip as given.
platform::NOTIFYICONDATA MakeNotifyIconData(std::uint32_t uID, std::uint32_t uFlags,
                                            std::uint32_t uCallbackMessage, const std::string& tip);

// Puts the program's icon, with the tip, into the notification area; its mouse events come back
// as mouse-move callbacks (see NotifyArea::Callback).
void AddNotificationIcon(platform::NotifyArea& notifyArea);

// Minimises and hides the window. Where the desktop has no notification area, a hidden window
// could never be brought back, so it is only minimised and stays in the task bar.
void WithdrawWindow(QWidget& window, const platform::NotifyArea& notifyArea);

}  // namespace quorrel
