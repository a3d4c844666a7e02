#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text files that a player may open by hand (Settings.ini) are written in the system's own
// encoding: the ANSI code page on Windows, UTF-8 elsewhere. The program's own text is UTF-8
// everywhere (see path_text.h).
namespace quorrel::platform {

// The text in the system's encoding, or nothing when that encoding lacks one of its characters
// (a Cyrillic name in code page 1252).
std::optional<std::string> ToCodePage(std::string_view text);

// Text in the system's encoding as the program's text.
std::string FromCodePage(std::string_view bytes);

}  // namespace quorrel::platform
