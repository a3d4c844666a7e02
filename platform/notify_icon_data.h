#pragma once

#include <cstdint>

namespace quorrel::platform {

// The shell's notification-icon record in its first and smallest ANSI form, 88 bytes, with
// 32-bit handles.
struct NOTIFYICONDATA {
    std::uint32_t cbSize;
    std::int32_t hWnd;
    std::uint32_t uID;
    std::uint32_t uFlags;
    std::uint32_t uCallbackMessage;
    std::int32_t hIcon;
    char szTip[64];
};
static_assert(sizeof(NOTIFYICONDATA) == 88, "the shell reads exactly 88 bytes");

inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_MODIFY = 1;
inline constexpr std::uint32_t NIM_DELETE = 2;

inline constexpr std::uint32_t NIF_MESSAGE = 1;
inline constexpr std::uint32_t NIF_ICON = 2;
inline constexpr std::uint32_t NIF_TIP = 4;

// The mouse messages that the shell reports for the icon.
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x202;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x205;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x207;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x208;

}  // namespace quorrel::platform
