#pragma once

#include <QEvent>
#include <QObject>
#include <QSystemTrayIcon>
#include <map>
#include <memory>
#include <utility>

#include "platform/notify_icon_data.h"

namespace quorrel::platform {

// What the shell delivers to a window for its notification icon: the record's callback message,
// the icon's identifier and the mouse message that happened over the icon.
class NotifyIconCallbackEvent final : public QEvent {
public:
    static const QEvent::Type kType;

    NotifyIconCallbackEvent(std::uint32_t callbackMessage, std::uint32_t iconId,
                            std::uint32_t mouseMessage)
        : QEvent(kType),
          callbackMessage(callbackMessage),
          iconId(iconId),
          mouseMessage(mouseMessage)
    {
    }

    const std::uint32_t callbackMessage;
    const std::uint32_t iconId;
    const std::uint32_t mouseMessage;
};

// The notification area of the task bar, taking the shell's record.
class NotifyArea {
public:
    virtual ~NotifyArea() = default;

    // Whether the desktop has a notification area at all.
    virtual bool isAvailable() const = 0;

    // NIM_ADD puts up an icon for the record's window and identifier (and adds nothing when
    // that pair has one already); NIM_DELETE takes it down. Returns whether anything changed.
    virtual bool Shell_NotifyIconA(std::uint32_t message, const NOTIFYICONDATA& data) = 0;
};

// The notification area over Qt's tray icons; each icon's activations come back to its window
// as the shell's mouse messages. The icons go when this object goes, so none outlives the program.
class QtNotifyArea final : public QObject, public NotifyArea {
    Q_OBJECT
public:
    explicit QtNotifyArea(QObject* parent = nullptr);
    ~QtNotifyArea() override;

    bool isAvailable() const override;
    bool Shell_NotifyIconA(std::uint32_t message, const NOTIFYICONDATA& data) override;

private:
    using IconKey = std::pair<std::int32_t, std::uint32_t>;  // window handle, identifier
    bool add(const NOTIFYICONDATA& data);

    std::map<IconKey, std::unique_ptr<QSystemTrayIcon>> icons_;
};

}  // namespace quorrel::platform
