#include "platform/qt/dir_list_box.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "platform/qt/text.h"

namespace quorrel::platform {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 8;

// Indents each entry by its depth, so that the chain reads as a path and the sub-folders as its
// children.
class IndentDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + Indent(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(Indent(index), 0);
    }

private:
    static int Indent(const QModelIndex& index)
    {
        return index.data(kLevelRole).toInt() * kIndentPixels;
    }
};

// An entry whose tool tip is its whole name, with what the box's tip source adds below it.
class TippedItem final : public QListWidgetItem {
public:
    TippedItem(const QIcon& icon, const QString& name, const DirListBox::TipSource& tipSource)
        : QListWidgetItem(icon, name), tipSource_(tipSource)
    {
    }

    QVariant data(int role) const override
    {
        if (role == Qt::ToolTipRole && tipSource_) {
            const QString more = tipSource_(QListWidgetItem::data(kPathRole).toString());
            if (!more.isEmpty()) {
                return QListWidgetItem::data(role).toString() + "\n" + more;
            }
        }
        return QListWidgetItem::data(role);
    }

private:
    const DirListBox::TipSource& tipSource_;  // the box's, which outlives its entries
};

QListWidgetItem* NewItem(const std::string& name, const std::string& path, int level,
                         const QIcon& icon, const DirListBox::TipSource& tipSource)
{
    auto* item = new TippedItem(icon, ToQString(name), tipSource);
    item->setToolTip(ToQString(name));  // the whole name, where the box is too narrow for it
    item->setData(kPathRole, ToQString(path));
    item->setData(kLevelRole, level);
    return item;
}

}  // namespace

DirListBox::DirListBox(QWidget* parent) : QWidget(parent), list_(new QListWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    list_->setItemDelegate(new IndentDelegate(list_));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->installEventFilter(this);
    setFocusProxy(list_);
    connect(list_, &QListWidget::itemDoubleClicked, this, &DirListBox::open);

    const std::string current = CurrentDirectory();
    if (!setPath(ToQString(current)) && !FolderChain(current).empty()) {
        setPath(ToQString(FolderChain(current).front().path));
    }
}

bool DirListBox::setPath(const QString& path)
{
    const std::vector<FolderLink> chain = FolderChain(ToStdString(path));
    if (chain.empty()) {
        return false;
    }
    const QString text = ToQString(chain.back().path);
    if (text == path_) {
        return true;
    }
    if (!fill(chain)) {
        return false;
    }
    path_ = text;
    emit Change();
    return true;
}

bool DirListBox::fill(const std::vector<FolderLink>& chain)
{
    if (chain.empty()) {
        return false;
    }
    const std::string& folder = chain.back().path;
    std::vector<std::string> children;
    try {
        children = ListSubFolders(folder);
    } catch (const std::exception&) {
        return false;
    }
    list_->clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int level = 0;
    for (const FolderLink& link : chain) {
        list_->addItem(NewItem(link.name, link.path, level++, openIcon, tipSource_));
    }
    list_->setCurrentRow(list_->count() - 1);
    // A root ends with its separator already.
    const std::string parent = folder.back() == kPathSeparator ? folder : folder + kPathSeparator;
    for (const std::string& child : children) {
        const std::string path = parent + child;
        list_->addItem(
            NewItem(ToStdString(shownName(ToQString(path))), path, level, closedIcon, tipSource_));
    }
    return true;
}

void DirListBox::refresh()
{
    fill(FolderChain(ToStdString(path_)));
}

QString DirListBox::pathOf(const QListWidgetItem& item)
{
    return item.data(kPathRole).toString();
}

QString DirListBox::shownName(const QString& folder) const
{
    const QString name = ToQString(ToText(ToPath(ToStdString(folder)).filename()));
    return markSource_ ? markSource_(folder) + name : name;
}

QString DirListBox::fullPath(const QString& folder)
{
    return ToQString(FullPath(ToStdString(folder)));
}

void DirListBox::open(QListWidgetItem* item)
{
    if (item == nullptr) {
        return;
    }
    // A folder that vanished or cannot be read stays shut; the open folder is read again so
    // that a vanished one disappears from the list.
    if (!setPath(item->data(kPathRole).toString())) {
        fill(FolderChain(ToStdString(path_)));
    }
}

bool DirListBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            open(list_->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quorrel::platform
