#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The program's UTF-8 text and Windows' UTF-16, converted where they meet.
namespace quorrel::platform::windows {

// Bytes that are no UTF-8 become U+FFFD: such a name names no file, and the call that uses it
// reports that.
std::wstring Widen(std::string_view text, UINT codePage = CP_UTF8);
std::string Narrow(std::wstring_view text);

}  // namespace quorrel::platform::windows
