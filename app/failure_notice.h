#pragma once

#include <QString>
#include <string>

namespace quorrel {

namespace platform {
class NotifyArea;
}

// Tells the player, on the notification icon, that checks have started to fail, instead of
// leaving it to the log alone: one balloon when a check fails after the last one succeeded (or
// after the start), none while the failures go on, and one again only after a check has
// succeeded. A failure while the icon is not up tells nobody, so the next one tries again. The
// log keeps every failure as before.
class FailureNotice {
public:
    // logFile: the log that the checks write, named as they name it; its folder is taken now.
    FailureNotice(platform::NotifyArea& notifyArea, const std::string& logFile);

    void CheckFinished(bool succeeded);

private:
    platform::NotifyArea& notifyArea_;
    QString text_;       // "Quorrel could not take a snapshot. See Log.txt in <folder>."
    bool told_ = false;  // of the failures going on
};

}  // namespace quorrel
