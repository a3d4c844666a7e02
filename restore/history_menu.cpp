#include "restore/history_menu.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>

#include "platform/path_text.h"
#include "platform/qt/text.h"
#include "platform/qt/trash.h"
#include "snapshot/thin_history.h"
#include "snapshot/thinning_rule.h"

namespace quorrel {

namespace {

using platform::ToQString;
using platform::ToStdString;

// A bullet: every font that Windows and the desktops ship has one (a pushpin is a box in many).
const QString kPinMark = QString::fromUtf8("\xE2\x80\xA2 ");

QString ThinningQuestion(std::size_t count)
{
    return "Thinning out keeps, for each character, every snapshot of the last 24 hours, the "
           "newest of each hour for 7 days, the newest of each day for 90 days and the newest of "
           "each week before that. It never removes a pinned snapshot, the newest " +
           QString::number(kKeptNewest) +
           " of each character, or a safety snapshot younger "
           "than " +
           QString::number(kSafetyKeptDays) +
           " days. Thinned folders go to the recycle bin where there is one.\n\n" +
           (count == 0 ? QString("Nothing would be removed now.")
                       : "This would remove " + QString::number(count) + " snapshot folder" +
                             (count == 1 ? "" : "s") + " now.") +
           "\n\nThin out older snapshots?";
}

}  // namespace

HistoryMenu::HistoryMenu(platform::DirListBox& Dir1, std::string snapshotDir,
                         platform::Clock& clock, platform::FileOps& files,
                         platform::Dialogs& dialogs, std::string logFile,
                         platform::DirListBox::TipSource snapshotTip, QWidget* parent)
    : QObject(parent),
      Dir1_(Dir1),
      snapshotDir_(std::move(snapshotDir)),
      history_(platform::DirListBox::fullPath(ToQString(snapshotDir_))),
      clock_(clock),
      files_(files),
      dialogs_(dialogs),
      logFile_(std::move(logFile)),
      parent_(parent),
      menu_(new QMenu(parent)),
      itmPin_(menu_->addAction("Pin")),
      itmUnpin_(menu_->addAction("Unpin")),
      itmThin_(menu_->addAction("Thin out older snapshots..."))
{
    Read();
    itmThin_->setCheckable(true);
    connect(itmPin_, &QAction::triggered, this, &HistoryMenu::itmPin_Click);
    connect(itmUnpin_, &QAction::triggered, this, &HistoryMenu::itmUnpin_Click);
    connect(itmThin_, &QAction::triggered, this, &HistoryMenu::itmThin_Click);

    Dir1_.setMarkSource([this](const QString& folder) {
        return index_.pinned.contains(NameInHistory(folder)) ? kPinMark : QString();
    });
    Dir1_.setTipSource([this, snapshotTip](const QString& folder) {
        const QString pin = PinTip(folder);
        const QString rest = snapshotTip ? snapshotTip(folder) : QString();
        return pin.isEmpty() ? rest : rest.isEmpty() ? pin : pin + "\n" + rest;
    });
    QListWidget& list = Dir1_.list();
    list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&list, &QWidget::customContextMenuRequested, this, [this, &list](const QPoint& at) {
        if (QListWidgetItem* item = list.itemAt(at)) {
            list.setCurrentItem(item);
        }
        menu().popup(list.viewport()->mapToGlobal(at));
    });
}

QMenu& HistoryMenu::menu()
{
    const std::string name = ToStdString(Highlighted());
    const bool pinned = index_.pinned.contains(name);
    itmPin_->setEnabled(!name.empty() && !pinned && CanBeIndexed(name));
    itmUnpin_->setEnabled(pinned);
    itmThin_->setChecked(index_.thinning);
    return *menu_;
}

void HistoryMenu::itmPin_Click()
{
    const std::string name = ToStdString(Highlighted());
    if (!name.empty() && Change([&name](HistoryIndex& index) {
            return CanBeIndexed(name) && index.pinned.insert(name).second;
        })) {
        Dir1_.list().currentItem()->setText(
            Dir1_.shownName(platform::DirListBox::pathOf(*Dir1_.list().currentItem())));
    }
}

void HistoryMenu::itmUnpin_Click()
{
    const std::string name = ToStdString(Highlighted());
    if (!name.empty() &&
        Change([&name](HistoryIndex& index) { return index.pinned.erase(name) > 0; })) {
        Dir1_.list().currentItem()->setText(
            Dir1_.shownName(platform::DirListBox::pathOf(*Dir1_.list().currentItem())));
    }
}

void HistoryMenu::itmThin_Click(bool on)
{
    if (!on) {
        Change([](HistoryIndex& index) { return std::exchange(index.thinning, false); });
        itmThin_->setChecked(index_.thinning);
        return;
    }
    std::size_t count = 0;
    try {
        HistoryIndex thinning = index_;
        thinning.thinning = true;
        count = FoldersToThin(HistoryFolders(snapshotDir_), thinning, clock_.now()).size();
    } catch (const std::exception& failure) {
        dialogs_.MsgBox(parent_,
                        "The snapshot directory cannot be read.\n\n" + ToQString(failure.what()),
                        platform::MsgBoxIcon::Critical, "Error");
        itmThin_->setChecked(false);
        return;
    }
    if (dialogs_.AskYesNo(parent_, ThinningQuestion(count)) &&
        Change([](HistoryIndex& index) { return !std::exchange(index.thinning, true); })) {
        // The first thinning of a long history may send thousands of folders to the bin.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ThinHistory(snapshotDir_, "", {files_, &platform::MoveToRecycleBin, clock_, logFile_});
        Dir1_.refresh();
        QApplication::restoreOverrideCursor();
    }
    itmThin_->setChecked(index_.thinning);
}

QString HistoryMenu::Highlighted() const
{
    const QListWidgetItem* item = Dir1_.list().currentItem();
    return item == nullptr ? QString()
                           : ToQString(NameInHistory(platform::DirListBox::pathOf(*item)));
}

std::string HistoryMenu::NameInHistory(const QString& folder) const
{
    const std::filesystem::path path = platform::ToPath(ToStdString(folder));
    return !history_.isEmpty() && ToQString(platform::ToText(path.parent_path())) == history_ &&
                   path.has_filename()
               ? platform::ToText(path.filename())
               : std::string();
}

QString HistoryMenu::PinTip(const QString& folder) const
{
    const std::string name = NameInHistory(folder);
    if (!index_.pinned.contains(name)) {
        return QString();
    }
    const auto died = index_.lastAlive.find(name);
    return died == index_.lastAlive.end() ? QString("Pinned")
                                          : "Pinned: the last snapshot before " +
                                                QString::fromStdString(died->second) + " died";
}

bool HistoryMenu::Change(const std::function<bool(HistoryIndex&)>& change)
{
    bool reached = false;
    bool changed = false;
    QString failure;
    try {
        changed = ChangeHistoryIndex(snapshotDir_, logFile_, files_, [&](HistoryIndex& index) {
            reached = true;
            return change(index);
        });
        if (!reached) {
            failure = "Another copy of Quorrel is at work on the history. Try again in a moment.";
        }
    } catch (const std::exception& error) {
        failure = "The history's index could not be written.\n\n" + ToQString(error.what());
    }
    Read();
    if (!failure.isEmpty()) {
        dialogs_.MsgBox(parent_, failure, platform::MsgBoxIcon::Critical, "Error");
    }
    return changed;
}

void HistoryMenu::Read()
{
    index_ = ReadHistoryIndex(snapshotDir_, logFile_);
}

}  // namespace quorrel
