#include "snapshot/error_log.h"

#include <fstream>

#include "platform/path_text.h"

namespace quorrel {

void AppendErrorEntry(const std::string& logFile, const platform::LocalDateTime& when) noexcept
{
    try {
        std::ofstream log(platform::ToPath(logFile), std::ios::binary | std::ios::app);
        log << "Date: " << platform::ShortDateText(when) << "\r\n"
            << "Time: " << platform::TimeText(when) << "\r\n"
            << "Error Could not save \r\n"
            << "------------------------\r\n";
    } catch (...) {
        // Nowhere left to report to.
    }
}

}  // namespace quorrel
