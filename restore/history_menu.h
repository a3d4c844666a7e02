#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "platform/file_ops.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/dir_list_box.h"
#include "snapshot/history_index.h"

class QAction;
class QMenu;

namespace quorrel {

// The Load dialog's hand on the history: the folder list's context menu, to pin and unpin the
// highlighted snapshot folder and to choose whether older snapshots are thinned out, and the
// pins shown before the folders' names and in their tool tips. Everything it changes goes into
// the history's index (see HistoryIndex).
class HistoryMenu final : public QObject {
    Q_OBJECT
public:
    // `snapshotTip` gives the rest of a folder's tool tip.
    HistoryMenu(platform::DirListBox& Dir1, std::string snapshotDir, platform::Clock& clock,
                platform::FileOps& files, platform::Dialogs& dialogs, std::string logFile,
                platform::DirListBox::TipSource snapshotTip, QWidget* parent);

    // The menu's items as the folder now highlighted has them; for the keyboard and tests.
    QMenu& menu();
    QAction& itmPin() { return *itmPin_; }
    QAction& itmUnpin() { return *itmUnpin_; }
    QAction& itmThin() { return *itmThin_; }

private:
    void itmPin_Click();
    void itmUnpin_Click();
    void itmThin_Click(bool on);

    // The highlighted folder's name when it is a folder of the history; empty otherwise.
    QString Highlighted() const;
    std::string NameInHistory(const QString& folder) const;
    QString PinTip(const QString& folder) const;
    // Changes the index; false, with the reason shown, when it cannot be written.
    bool Change(const std::function<bool(HistoryIndex&)>& change);
    void Read();

    platform::DirListBox& Dir1_;
    const std::string snapshotDir_;
    QString history_;  // snapshotDir_ as Dir1 shows paths
    platform::Clock& clock_;
    platform::FileOps& files_;
    platform::Dialogs& dialogs_;
    const std::string logFile_;
    QWidget* parent_;
    HistoryIndex index_;
    QMenu* menu_;
    QAction* itmPin_;
    QAction* itmUnpin_;
    QAction* itmThin_;
};

}  // namespace quorrel
