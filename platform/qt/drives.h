#pragma once

#include <QString>
#include <QStringList>

// The machine's drives, as a drive list box shows them. On Windows a drive is a letter and a
// colon; Linux and macOS have no letters, so each mounted volume counts as a drive, named by its
// mount point.
namespace quorrel::platform {

// The drives that exist now. Windows: "c:" style texts; elsewhere "/" first, then the mount
// points of the volumes that hold files, those of a device (no proc, sysfs, cgroups or tmpfs).
QStringList ListDrives();

// The drive that holds a path. Windows: its first two characters ("C:"); elsewhere the mount
// point of ListDrives() that holds it ("/" at the least).
QString DriveOf(const QString& path);

// The folder that a directory box pointed at the bare drive opens. Windows keeps a current
// folder per drive; elsewhere it is the volume's root, the drive text itself.
QString CurrentDirectoryOfDrive(const QString& drive);

// Whether two drive texts name the same drive (Windows ignores letter case).
bool SameDrive(const QString& left, const QString& right);

}  // namespace quorrel::platform
