#include "platform/qt/drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace quorrel::platform {

namespace {

#ifndef Q_OS_WIN
// Whether folder is path itself or one of its ancestors, compared by whole names.
bool Holds(const QString& folder, const QString& path)
{
    if (folder == "/") {
        return path.startsWith('/');
    }
    return path.startsWith(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}
#endif

}  // namespace

QStringList ListDrives()
{
    QStringList drives;
#ifdef Q_OS_WIN
    // Every lettered drive, one without a medium too: choosing it says that it cannot be read.
    for (const QFileInfo& root : QDir::drives()) {
        drives.push_back(root.filePath().left(2).toLower());
    }
#else
    // Only a device's volumes hold a player's files; the kernel's own file systems have none.
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.device().startsWith("/dev/") && volume.rootPath() != "/" &&
            !drives.contains(volume.rootPath())) {
            drives.push_back(volume.rootPath());
        }
    }
    drives.sort();
    drives.push_front("/");
#endif
    return drives;
}

QString DriveOf(const QString& path)
{
#ifdef Q_OS_WIN
    return path.left(2);
#else
    QString best = "/";
    for (const QString& drive : ListDrives()) {
        if (drive.size() > best.size() && Holds(drive, path)) {
            best = drive;
        }
    }
    return best;
#endif
}

QString CurrentDirectoryOfDrive(const QString& drive)
{
#ifdef Q_OS_WIN
    // "C:" alone names the current folder of drive C, which Windows keeps for each drive. The
    // first call tells the length, which may pass MAX_PATH. Qt would write the letter in upper
    // case; the drive box's own text ("c:\") is kept.
    const std::wstring bare = drive.left(2).toStdWString();
    std::wstring buffer(::GetFullPathNameW(bare.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD length = buffer.empty()
                             ? 0
                             : ::GetFullPathNameW(bare.c_str(), static_cast<DWORD>(buffer.size()),
                                                  buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) {
        return drive.left(2) + "\\";
    }
    // A directory box shows a folder without its trailing "\", a drive root with it ("C:\").
    QString folder = QString::fromWCharArray(buffer.data(), static_cast<qsizetype>(length));
    if (folder.size() > 3 && folder.endsWith('\\')) {
        folder.chop(1);
    }
    return folder;
#else
    return drive;
#endif
}

bool SameDrive(const QString& left, const QString& right)
{
#ifdef Q_OS_WIN
    return left.compare(right, Qt::CaseInsensitive) == 0;
#else
    return left == right;
#endif
}

}  // namespace quorrel::platform
