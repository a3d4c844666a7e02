#pragma once

#include <string>

#include "platform/clock.h"

namespace quorrel {

// The log of failed checks. The name is relative: the log goes to the current folder.
inline constexpr const char* kLogFile = "Log.txt";

// Appends the four-line entry of a failed check to the log file:
//   Date: <short date>
//   Time: <time>
//   Error Could not save
//   ------------------------
// The entry goes in with one write, so it is there whole or not at all. A log that cannot be
// written loses the entry; the check goes on regardless.
void AppendErrorEntry(const std::string& logFile, const platform::LocalDateTime& when) noexcept;

// Appends one line on the history's upkeep (a thinning, a damaged index), dated as the entries
// are: "<short date> <time> <text>". Written as the entries are; never throws.
void AppendLogNote(const std::string& logFile, const platform::LocalDateTime& when,
                   const std::string& text) noexcept;

}  // namespace quorrel
