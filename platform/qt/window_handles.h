#pragma once

#include <QIcon>
#include <cstdint>

class QWidget;

namespace quorrel::platform {

// The 32-bit window and icon handles that the notification record carries. Qt has no such
// handles on every platform, so the program hands out its own: small numbers that stand for a
// window or an icon for the rest of the program's life.
std::int32_t WindowHandle(QWidget* window);
QWidget* WindowFromHandle(std::int32_t handle);

std::int32_t IconHandle(const QIcon& icon);
QIcon IconFromHandle(std::int32_t handle);

}  // namespace quorrel::platform
