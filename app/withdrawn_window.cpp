#include "app/withdrawn_window.h"

#include <QGuiApplication>
#include <QWidget>

#if defined(QUORREL_X11) && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#endif

namespace quorrel {

namespace {

#if defined(QUORREL_X11) && QT_CONFIG(xcb)
// On X11 a hidden window is withdrawn, and a withdrawn window comes back in the state that its
// WM_HINTS name as initial (ICCCM 4.1.4); minimising wrote IconicState there. Qt writes
// NormalState back only when it un-minimises a window it still believes minimised, and then only
// after it has asked for the window to be mapped. That belief comes from WM_STATE and
// _NET_WM_STATE, which the window manager deletes when it lets the window go, so it depends on
// whether Qt read them before or after. When Qt believed the window normal, the window came back
// iconic and stayed so; when it believed it minimised, the manager could still catch the old hint,
// take the window iconic and restore it at the second map, while Qt's idea of the state swung to
// and fro. Writing NormalState before anything is mapped gives the manager a normal window every
// time.
void StartNormalOnX11(QWidget& window)
{
    // Other platforms (offscreen, for one) may speak to an X server too, but their windows are
    // not X windows.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || x11 == nullptr ||
        x11->connection() == nullptr) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());

    // flags, input, initial_state, icon_pixmap, icon_window, icon_x, icon_y, icon_mask, group
    std::array<std::uint32_t, 9> hints{};
    constexpr std::uint32_t kStateHint = 1u << 1;
    constexpr std::uint32_t kNormalState = 1;
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, id, XCB_ATOM_WM_HINTS,
                                                XCB_ATOM_WM_HINTS, 0, hints.size()),
                               nullptr),
        &std::free);
    if (reply && reply->format == 32) {
        const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        const auto count = std::min<std::size_t>(reply->value_len, hints.size());
        std::copy(values, values + count, hints.begin());
    }
    hints[0] |= kStateHint;
    hints[2] = kNormalState;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                        32, hints.size(), hints.data());
    // Qt sends the map on this same connection, so the window manager sees the hint first.
}
#endif

}  // namespace

void ShowWithdrawnWindow(QWidget& window)
{
#if defined(QUORREL_X11) && QT_CONFIG(xcb)
    StartNormalOnX11(window);
#endif
    // The state first, so that the window is mapped once and not as a minimised window that is
    // then restored.
    window.showNormal();
    window.raise();
    window.activateWindow();
}

}  // namespace quorrel
