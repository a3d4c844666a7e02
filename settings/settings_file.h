#pragma once

#include <string>

#include "app/module1.h"

namespace quorrel {

// Settings.ini: three bare lines (save folder, snapshot folder, refresh time), each ended by
// CR LF, in the system's code page.

// The settings file of a program installed in applicationDirectory.
std::string SettingsFilePath(const std::string& applicationDirectory);

// Reads the three lines into the settings, each as soon as it is read. A CR ends a line and an
// LF right after it is skipped; a bare LF belongs to the line; the last line may end at the end
// of the file. Returns false when the file cannot be opened or ends before the third line has
// begun; the settings read until then keep their new values.
bool ReadSettingsFile(Module1& state, const std::string& file);

// Replaces the file with the three settings. The new content goes to a temporary file beside it
// that is then renamed over it, so the file is never left cut short. Throws std::runtime_error
// naming the reason when it cannot be written; the old file then stays as it was.
void WriteSettingsFile(const Module1& state, const std::string& file);

}  // namespace quorrel
