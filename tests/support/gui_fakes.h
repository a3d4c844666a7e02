#pragma once

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTimer>
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
// and No when empty). `onBox` acts while a message box would be up.
class RecordingDialogs final : public platform::Dialogs {
public:
    struct Box {
        QString prompt;
        platform::MsgBoxIcon icon;
    };
    std::vector<Box> boxes;
    std::deque<QString> inputAnswers;
    std::vector<QString> questions;
    std::deque<bool> yesNoAnswers;
    std::function<void(const Box&)> onBox;

    void MsgBox(QWidget*, const QString& prompt, platform::MsgBoxIcon icon, const QString&) override
    {
        boxes.push_back({prompt, icon});
        if (onBox) {
            onBox(boxes.back());
        }
    }
    QString InputBox(QWidget*, const QString&, const QString&) override
    {
        return Next(inputAnswers);
    }
    bool AskYesNo(QWidget*, const QString& prompt, const QString&) override
    {
        questions.push_back(prompt);
        return Next(yesNoAnswers);
    }
    QStringList prompts() const
    {
        QStringList list;
        for (const Box& box : boxes) {
            list << box.prompt;
        }
        return list;
    }

private:
    template <typename Answer>
    static Answer Next(std::deque<Answer>& answers)  // Cancel or No when none is left
    {
        Answer next{};
        if (!answers.empty()) {
            next = answers.front();
            answers.pop_front();
        }
        return next;
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
        return message == platform::NIM_ADD && icons.emplace(data.uID, data).second;
    }

    std::vector<QString> balloons;  // the texts shown

    bool ShowBalloon(std::uint32_t iconId, const QString&, const QString& text) override
    {
        const bool shown = icons.count(iconId) != 0;
        if (shown) {
            balloons.push_back(text);
        }
        return shown;
    }
};

// A folder made with its parents, holding these files as the game wrote them.
inline std::filesystem::path GameFolder(const std::filesystem::path& folder,
                                        std::initializer_list<const char*> files = {
                                            "Hero.d2s", "Hero.key", "Hero.map"})
{
    std::filesystem::create_directories(folder);
    for (const char* file : files) {
        WriteFile(folder / file, std::string("the game's ") + file);
    }
    return folder;
}

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

// Runs `act` on the modal dialog that the next call opens with exec(), as a player would; a
// dialog that `act` leaves open is cancelled, so that no test ever waits on it.
inline void OnNextModal(std::function<void(QDialog&)> act)
{
    QTimer::singleShot(0, [act = std::move(act)] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            act(*dialog);
            if (dialog->isVisible()) {
                dialog->reject();
            }
        }
    });
}

}  // namespace quorrel::test
