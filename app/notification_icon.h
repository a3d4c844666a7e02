#pragma once

#include <cstdint>
#include <string>

#include "platform/notify_icon_data.h"

class QWidget;

namespace quorrel {

namespace platform {
class NotifyArea;
}

inline constexpr char kNotifyTip[] = "Diablo2 Quorrel 0.1 Alpha";

// Fills the shell's record: size 88, the five numbers as given, and the tip followed by one NUL
// and blanks to the end of its 64 characters. A tip is cut to 63 characters so that its NUL is
// never lost.
platform::NOTIFYICONDATA MakeNotifyIconData(const std::int32_t& hWnd, const std::int32_t& uID,
                                            const std::int32_t& uFlags,
                                            const std::int32_t& uCallbackMessage,
                                            const std::int32_t& hIcon, const std::string& tip);

// Puts the program's icon, with the tip, into the notification area; its mouse events come back
// as mouse-move callbacks (see NotifyArea::Callback).
void AddNotificationIcon(const QWidget& window, platform::NotifyArea& notifyArea);

// Minimises and hides the window. Where the desktop has no notification area, a hidden window
// could never be brought back, so it is only minimised and stays in the task bar.
void WithdrawWindow(QWidget& window, const platform::NotifyArea& notifyArea);

}  // namespace quorrel
