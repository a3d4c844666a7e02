#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/services.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/notify_area.h"
#include "support/fakes.h"
#include "support/memory_registry.h"
#include "support/temp_folder.h"
#include "support/watched_files.h"

namespace quorrel::test {

// Records every box instead of showing it; input boxes and questions answer from queues (Cancel
// and No when empty). `onBox` acts while a message box would be up, as the player or another
// program may.
class RecordingDialogs final : public platform::Dialogs {
public:
    struct Box {
        QString prompt;
        platform::MsgBoxIcon icon;
        QString title;
    };
    std::vector<Box> boxes;
    std::deque<QString> inputAnswers;
    std::vector<QString> questions;
    std::deque<bool> yesNoAnswers;
    std::function<void(const Box&)> onBox;

    void MsgBox(QWidget*, const QString& prompt, platform::MsgBoxIcon icon,
                const QString& title) override
    {
        boxes.push_back({prompt, icon, title});
        if (onBox) {
            onBox(boxes.back());
        }
    }
    QString InputBox(QWidget*, const QString&, const QString&) override
    {
        if (inputAnswers.empty()) {
            return QString();
        }
        QString answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    bool AskYesNo(QWidget*, const QString& prompt, const QString&) override
    {
        questions.push_back(prompt);
        if (yesNoAnswers.empty()) {
            return false;
        }
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    QStringList prompts() const
    {
        QStringList list;
        for (const Box& box : boxes) {
            list << box.prompt;
        }
        return list;
    }
};

// A notification area that is always there and keeps one icon per identifier.
class FakeNotifyArea final : public platform::NotifyArea {
public:
    bool available = true;
    std::map<std::uint32_t, platform::NOTIFYICONDATA> icons;

    bool isAvailable() const override { return available; }
    bool Shell_NotifyIconA(std::uint32_t message, const platform::NOTIFYICONDATA& data) override
    {
        if (message != platform::NIM_ADD) {
            return false;
        }
        return icons.emplace(data.uID, data).second;
    }

    struct Balloon {
        std::uint32_t iconId;
        QString title;
        QString text;
    };
    std::vector<Balloon> balloons;

    bool ShowBalloon(std::uint32_t iconId, const QString& title, const QString& text) override
    {
        if (icons.count(iconId) == 0) {
            return false;
        }
        balloons.push_back({iconId, title, text});
        return true;
    }

    // The player does something with the mouse over icon 1.
    void Mouse(std::uint32_t mouseMessage)
    {
        emit Callback(platform::WM_MOUSEMOVE, 1, mouseMessage);
    }
};

// The services of a test: fakes, and settings and log files in a temporary folder.
struct FakeServices {
    TempFolder folder;
    FakeClock clock;
    CountingBeeper beeper;
    WatchedFiles files;
    RecordingDialogs dialogs;
    FakeNotifyArea notifyArea;
    MemoryRegistry registry;
    Services services{clock,
                      beeper,
                      files,
                      dialogs,
                      notifyArea,
                      &registry,
                      (folder.path() / "Settings.ini").string(),
                      (folder.path() / "Log.txt").string()};
};

}  // namespace quorrel::test
