#include "platform/qt/dir_list_box.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <filesystem>
#include <optional>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "platform/qt/text.h"

namespace quorrel::platform {

namespace {

namespace fs = std::filesystem;

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

// The full path of a folder as the box reports it: absolute, "." and ".." resolved, and no
// trailing separator except at a root.
std::optional<fs::path> Normalised(const QString& text)
{
    if (text.isEmpty()) {
        return std::nullopt;
    }
    std::error_code error;
    fs::path folder = fs::absolute(ToPath(ToStdString(text)), error);
    if (error) {
        return std::nullopt;
    }
    folder = folder.lexically_normal();
    if (!folder.has_filename() && folder != folder.root_path()) {
        folder = folder.parent_path();
    }
    return folder;
}

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

QListWidgetItem* NewItem(const QString& name, const fs::path& path, int level, const QIcon& icon,
                         const DirListBox::TipSource& tipSource)
{
    auto* item = new TippedItem(icon, name, tipSource);
    item->setToolTip(name);  // the whole name, where the box is too narrow for it
    item->setData(kPathRole, ToQString(ToText(path)));
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

    if (!setPath(ToQString(CurrentDirectory()))) {
        setPath(ToQString(ToText(fs::current_path().root_path())));
    }
}

bool DirListBox::setPath(const QString& path)
{
    const std::optional<fs::path> folder = Normalised(path);
    if (!folder) {
        return false;
    }
    const QString text = ToQString(ToText(*folder));
    if (text == path_) {
        return true;
    }
    if (!fill(*folder)) {
        return false;
    }
    path_ = text;
    emit Change();
    return true;
}

bool DirListBox::fill(const std::filesystem::path& folder)
{
    std::vector<std::string> children;
    try {
        children = ListSubFolders(ToText(folder));
    } catch (const std::exception&) {
        return false;
    }
    list_->clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    fs::path chain = folder.root_path();
    list_->addItem(NewItem(ToQString(ToText(chain)), chain, 0, openIcon, tipSource_));
    int level = 1;
    for (const fs::path& name : folder.relative_path()) {
        chain /= name;
        list_->addItem(NewItem(ToQString(ToText(name)), chain, level++, openIcon, tipSource_));
    }
    list_->setCurrentRow(list_->count() - 1);
    for (const std::string& child : children) {
        const fs::path path = folder / ToPath(child);
        list_->addItem(
            NewItem(shownName(ToQString(ToText(path))), path, level, closedIcon, tipSource_));
    }
    return true;
}

void DirListBox::refresh()
{
    fill(ToPath(ToStdString(path_)));
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
    const std::optional<fs::path> path = Normalised(folder);
    return path ? ToQString(ToText(*path)) : QString();
}

void DirListBox::open(QListWidgetItem* item)
{
    if (item == nullptr) {
        return;
    }
    // A folder that vanished or cannot be read stays shut; the open folder is read again so
    // that a vanished one disappears from the list.
    if (!setPath(item->data(kPathRole).toString())) {
        fill(ToPath(ToStdString(path_)));
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
