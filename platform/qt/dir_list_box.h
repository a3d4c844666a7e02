#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/path_text.h"

class QListWidget;
class QListWidgetItem;

namespace quorrel::platform {

// A directory list box: the open folder's chain of parents down from the root, then its
// sub-folders. A double-click (or Enter) opens the folder under it; a single click only
// highlights. Each entry's tool tip is its whole name, which a narrow box cuts. Starts on the
// process's current folder.
//
// The background and text colours come from the palette's Base and Text roles.
class DirListBox : public QWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The open folder as a full path, with no trailing separator except at a root ("/", "C:\").
    QString path() const { return path_; }

    // Opens a folder. Returns false, and changes nothing, when it does not exist or cannot be
    // listed. Emits Change() before returning, and only when the open folder really changes.
    bool setPath(const QString& path);

    // The shown entries, the chain first; for tests and for the keyboard.
    QListWidget& list() { return *list_; }

    // Lines that an entry's tool tip shows below its whole name, worked out from the entry's
    // full path only when the tip is asked for, so that listing a large folder costs no more. An
    // empty text adds nothing.
    using TipSource = std::function<QString(const QString& folder)>;
    void setTipSource(TipSource source) { tipSource_ = std::move(source); }

    // A mark shown before a sub-folder's name (a pin, say), asked for each sub-folder from its
    // full path when the list is filled; an empty text shows the name alone.
    using MarkSource = std::function<QString(const QString& folder)>;
    void setMarkSource(MarkSource source) { markSource_ = std::move(source); }

    // Lists the open folder again, with the marks as they are now.
    void refresh();

    // The full path of an entry, and the name that the box shows for it, with its mark.
    static QString pathOf(const QListWidgetItem& item);
    QString shownName(const QString& folder) const;

    // A folder's full path as path() reports it; empty when it cannot be made absolute.
    static QString fullPath(const QString& folder);

signals:
    void Change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void open(QListWidgetItem* item);
    bool fill(const std::vector<FolderLink>& chain);

    QListWidget* list_;
    QString path_;
    TipSource tipSource_;
    MarkSource markSource_;
};

}  // namespace quorrel::platform
