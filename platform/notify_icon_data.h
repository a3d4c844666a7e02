#pragma once

#include <cstdint>
#include <string>

namespace quorrel::platform {

// What the program tells the notification area about its icon, named as in the shell's
// NOTIFYICONDATA: only the fields that the icon's behaviour reads. The area serves the program's
// one main window and shows the program's own icon, so the record names neither.
struct NOTIFYICONDATA {
    std::uint32_t uID = 0;               // the icon's identifier
    std::uint32_t uFlags = 0;            // which of the fields below count: NIF_...
    std::uint32_t uCallbackMessage = 0;  // how the mouse events over the icon come back
    std::string szTip;                   // the text shown while the pointer rests on the icon
};

// The one message the program sends: put up an icon.
inline constexpr std::uint32_t NIM_ADD = 0;

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
