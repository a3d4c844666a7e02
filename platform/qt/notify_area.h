#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/notify_icon_data.h"

namespace quorrel::platform {

// The notification area of the task bar, taking the shell's record. It serves the program's one
// main window, which connects to Callback.
class NotifyArea : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether the desktop has a notification area at all.
    virtual bool isAvailable() const = 0;

    // NIM_ADD puts up the icon that the record describes, and adds nothing while an icon with
    // the record's identifier is up; no other message changes anything. Returns whether an icon
    // was added.
    virtual bool Shell_NotifyIconA(std::uint32_t message, const NOTIFYICONDATA& data) = 0;

    // Shows a balloon message with the warning icon on the icon with this identifier, when that
    // icon is up. Returns whether it was shown.
    virtual bool ShowBalloon(std::uint32_t iconId, const QString& title, const QString& text) = 0;

signals:
    // What the shell sends for an icon whose record asks for messages: the record's callback
    // message, the icon's identifier and the mouse message that happened over the icon.
    void Callback(std::uint32_t callbackMessage, std::uint32_t iconId, std::uint32_t mouseMessage);
};

// The notification area over Qt's tray icons, showing the application's icon. The icons go
// when this object goes, so none outlives the program.
class QtNotifyArea final : public NotifyArea {
    Q_OBJECT
public:
    using NotifyArea::NotifyArea;
    ~QtNotifyArea() override;

    bool isAvailable() const override;
    bool Shell_NotifyIconA(std::uint32_t message, const NOTIFYICONDATA& data) override;
    bool ShowBalloon(std::uint32_t iconId, const QString& title, const QString& text) override;

private:
    std::map<std::uint32_t, std::unique_ptr<QSystemTrayIcon>> icons_;  // by identifier
};

}  // namespace quorrel::platform
