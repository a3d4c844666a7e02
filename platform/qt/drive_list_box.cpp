#include "platform/qt/drive_list_box.h"

#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/text.h"

namespace quorrel::platform {

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent)
{
    readDrives();
    setDriveQuietly(ToQString(DriveOf(CurrentDirectory())));
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::selectionChanged);
}

void DriveListBox::readDrives()
{
    const bool wasQuiet = quiet_;
    quiet_ = true;
    clear();
    for (const std::string& drive : ListDrives()) {
        addItem(ToQString(drive));
    }
    setCurrentIndex(indexOf(drive_));
    quiet_ = wasQuiet;
}

int DriveListBox::indexOf(const QString& drive) const
{
    const std::string wanted = ToStdString(drive);
    for (int i = 0; i < count(); ++i) {
        if (SameDrive(ToStdString(itemText(i)), wanted)) {
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
    if (directory.setPath(ToQString(CurrentDirectoryOfDrive(ToStdString(chosen))))) {
        return;
    }
    dialogs.MsgBox(parent, "The drive " + chosen + " cannot be read.", MsgBoxIcon::Information,
                   "Error");
    drive.setDriveQuietly(ToQString(DriveOf(ToStdString(directory.path()))));
}

}  // namespace quorrel::platform
