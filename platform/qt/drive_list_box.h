#pragma once

#include <QComboBox>
#include <QString>

namespace quorrel::platform {

class DirListBox;
class Dialogs;

// A drive list box: the machine's drives (see drives.h). Starts on the drive of the process's
// current folder. The drives are read again each time the list drops down, so that a volume
// mounted meanwhile shows up.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    QString drive() const { return drive_; }

    // Selects a drive and emits Change() when it really changes. A drive that is not listed
    // leaves the selection as it was.
    void setDrive(const QString& drive);

    // Selects a drive without emitting Change(): brings the box into line with a directory box
    // that is already there.
    void setDriveQuietly(const QString& drive);

    void showPopup() override;

signals:
    void Change();

private:
    void readDrives();
    int indexOf(const QString& drive) const;
    void selectionChanged();

    QString drive_;
    bool quiet_ = false;
};

// What a drive box does for the directory box it serves: points it at the current folder of the
// drive just chosen. A drive that cannot be read (no medium) is reported in a box, and the drive
// box goes back to the drive of the folder still open.
void FollowDrive(DriveListBox& drive, DirListBox& directory, Dialogs& dialogs, QWidget* parent);

}  // namespace quorrel::platform
