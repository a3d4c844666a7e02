#include "snapshot/error_log.h"

#include "platform/file_content.h"
#include "platform/path_text.h"

namespace quorrel {

void AppendErrorEntry(const std::string& logFile, const platform::LocalDateTime& when) noexcept
{
    try {
        const std::string entry = "Date: " + platform::ShortDateText(when) + "\r\n" +
                                  "Time: " + platform::TimeText(when) + "\r\n" +
                                  "Error Could not save \r\n" + "------------------------\r\n";
        platform::AppendInOneWrite(platform::ToPath(logFile), entry);
    } catch (...) {
        // Nowhere left to report to.
    }
}

void AppendLogNote(const std::string& logFile, const platform::LocalDateTime& when,
                   const std::string& text) noexcept
{
    try {
        platform::AppendInOneWrite(
            platform::ToPath(logFile),
            platform::ShortDateText(when) + " " + platform::TimeText(when) + " " + text + "\r\n");
    } catch (...) {
        // Nowhere left to report to.
    }
}

}  // namespace quorrel
