#pragma once

#include <istream>
#include <string>

#include "platform/file_ops.h"
#include "settings/settings.h"

namespace quorrel {

// Settings.ini: three bare lines (save folder, snapshot folder, refresh time), each ended by
// CR LF, in the system's code page (see code_page.h). Where that code page lacks a character of
// the three (a Cyrillic folder on a Western Windows), the file is UTF-8 and starts with a
// byte-order mark, which Windows' own editors read as such; it is read back either way.

// The settings file of a program installed in applicationDirectory.
std::string SettingsFilePath(const std::string& applicationDirectory);

// Reads the three lines into the settings, each as soon as it is read. A CR ends a line and an
// LF right after it is skipped; a bare LF belongs to the line; the last line may end at the end
// of the file. Throws std::system_error when the file cannot be read or is no plain file (a link,
// a FIFO, a device: none is followed or waited on), and std::runtime_error when it ends before
// the third line has begun, or a line holds a NUL or more than 32 KiB; the settings read until
// then keep their new values. Reads no more of the file than three such lines.
void ReadSettingsFile(Settings& settings, const std::string& file);

// The same from an open stream of the file's bytes.
void ReadSettings(std::istream& in, Settings& settings);

// Replaces the file with the three settings, durably: the new content goes to Settings.ini.new
// beside it, which is flushed to disk, renamed over the file, and the folder flushed, so that
// neither a failed write nor a power cut ever leaves the file cut short. A Settings.ini.new left
// by a crash is overwritten. A missing folder is created first, with any missing folders above
// it. Throws std::system_error naming the file and the reason when the settings cannot be saved;
// the old file then stays as it was, and no temporary file is left.
void WriteSettingsFile(const Settings& settings, const std::string& file,
                       platform::FileOps& files = platform::SystemFiles());

}  // namespace quorrel
