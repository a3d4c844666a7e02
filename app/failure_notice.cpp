#include "app/failure_notice.h"

#include <filesystem>

#include "platform/path_text.h"
#include "platform/qt/notify_area.h"
#include "platform/qt/text.h"

namespace quorrel {

namespace {

constexpr std::uint32_t kIconId = 1;  // the program's one icon (see AddNotificationIcon)

// "See Log.txt in <folder>.": the log is named relative to the current folder, which is the
// folder the program started in.
QString WhereToLook(const std::string& logFile)
{
    std::error_code error;
    std::filesystem::path file = std::filesystem::absolute(platform::ToPath(logFile), error);
    if (error) {
        file = platform::ToPath(logFile);
    }
    return "See " + platform::ToQString(platform::ToText(file.filename())) + " in " +
           platform::ToQString(platform::ToText(file.parent_path())) + ".";
}

}  // namespace

FailureNotice::FailureNotice(platform::NotifyArea& notifyArea, const std::string& logFile)
    : notifyArea_(notifyArea), text_("Quorrel could not take a snapshot. " + WhereToLook(logFile))
{
}

void FailureNotice::CheckFinished(bool succeeded)
{
    if (succeeded) {
        told_ = false;
    } else if (!told_) {
        told_ = notifyArea_.ShowBalloon(kIconId, "Quorrel", text_);
    }
}

}  // namespace quorrel
