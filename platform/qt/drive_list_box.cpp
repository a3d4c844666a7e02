#include "platform/qt/drive_list_box.h"

#include "platform/file_system.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/drives.h"
#include "platform/qt/text.h"

namespace quorrel::platform {

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent)
{
    readDrives();
    setDriveQuietly(DriveOf(ToQString(CurrentDirectory())));
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::selectionChanged);
}

void DriveListBox::readDrives()
{
    const bool wasQuiet = quiet_;
    quiet_ = true;
    clear();
    addItems(ListDrives());
    setCurrentIndex(indexOf(drive_));
    quiet_ = wasQuiet;
}

int DriveListBox::indexOf(const QString& drive) const
{
    for (int i = 0; i < count(); ++i) {
        if (SameDrive(itemText(i), drive)) {
            return i;
        }
    }
    return -1;
}

void DriveListBox::setDrive(const QString& drive)
{
    int index = indexOf(drive);
    if (index < 0) {
        readDrives();
        index = indexOf(drive);
    }
    if (index >= 0) {
        setCurrentIndex(index);
    }
}

void DriveListBox::setDriveQuietly(const QString& drive)
{
    quiet_ = true;
    setDrive(drive);
    quiet_ = false;
    if (currentIndex() >= 0) {
        drive_ = currentText();
    }
}

void DriveListBox::showPopup()
{
    readDrives();
    QComboBox::showPopup();
}

void DriveListBox::selectionChanged()
{
    if (quiet_ || currentIndex() < 0 || currentText() == drive_) {
        return;
    }
    drive_ = currentText();
    emit Change();
}

void FollowDrive(DriveListBox& drive, DirListBox& directory, Dialogs& dialogs, QWidget* parent)
{
    const QString chosen = drive.drive();
    if (directory.setPath(CurrentDirectoryOfDrive(chosen))) {
        return;
    }
    dialogs.MsgBox(parent, "The drive " + chosen + " cannot be read.", MsgBoxIcon::Information,
                   "Error");
    drive.setDriveQuietly(DriveOf(directory.path()));
}

}  // namespace quorrel::platform
