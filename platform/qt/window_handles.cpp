#include "platform/qt/window_handles.h"

#include <QPointer>
#include <QWidget>
#include <vector>

namespace quorrel::platform {

namespace {

// Handle n stands for entry n - 1; 0 is no handle.
template <typename T, typename Same>
std::int32_t HandleIn(std::vector<T>& table, const T& item, Same same)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (same(table[i], item)) {
            return static_cast<std::int32_t>(i + 1);
        }
    }
    table.push_back(item);
    return static_cast<std::int32_t>(table.size());
}

std::vector<QPointer<QWidget>>& Windows()
{
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

std::vector<QIcon>& Icons()
{
    static std::vector<QIcon> icons;
    return icons;
}

}  // namespace

std::int32_t WindowHandle(QWidget* window)
{
    return HandleIn(Windows(), QPointer<QWidget>(window),
                    [](const QPointer<QWidget>& a, const QPointer<QWidget>& b) { return a == b; });
}

QWidget* WindowFromHandle(std::int32_t handle)
{
    const auto& windows = Windows();
    if (handle < 1 || static_cast<std::size_t>(handle) > windows.size()) {
        return nullptr;
    }
    return windows[static_cast<std::size_t>(handle - 1)];
}

std::int32_t IconHandle(const QIcon& icon)
{
    return HandleIn(Icons(), icon,
                    [](const QIcon& a, const QIcon& b) { return a.cacheKey() == b.cacheKey(); });
}

QIcon IconFromHandle(std::int32_t handle)
{
    const auto& icons = Icons();
    if (handle < 1 || static_cast<std::size_t>(handle) > icons.size()) {
        return QIcon();
    }
    return icons[static_cast<std::size_t>(handle - 1)];
}

}  // namespace quorrel::platform
