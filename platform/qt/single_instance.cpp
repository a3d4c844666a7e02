#include "platform/qt/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace quorrel::platform {

namespace {

constexpr char kComeForward[] = "show\n";

// The settings file's full path, with the links of its folder resolved when the folder exists,
// so that two ways to one folder name one file.
QString FullPath(const QString& settingsFile)
{
    const QFileInfo file(settingsFile);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? file.absoluteFilePath() : QDir(folder).filePath(file.fileName());
}

}  // namespace

SingleInstance::SingleInstance(const QString& settingsFile, const QString& fallbackFolder,
                               QObject* parent)
    : QObject(parent), settingsFile_(settingsFile), fallbackFolder_(fallbackFolder)
{
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            serve(socket);
        }
    });
}

QString SingleInstance::ServerName(const QString& settingsFile)
{
    const QByteArray digest =
        QCryptographicHash::hash(FullPath(settingsFile).toUtf8(), QCryptographicHash::Sha1);
    return "quorrel-" + QString::fromLatin1(digest.toHex());
}

QLockFile::LockError SingleInstance::tryLock(const QString& file)
{
    lock_ = std::make_unique<QLockFile>(file);
    // The lock is held for as long as the program runs, so its age says nothing; a lock is
    // stale when the process that took it is gone.
    lock_->setStaleLockTime(0);
    return lock_->tryLock(0) ? QLockFile::NoError : lock_->error();
}

bool SingleInstance::Claim()
{
    // The settings folder may not exist before the settings are first saved. It is made first,
    // so that every copy names the file by the same resolved path.
    QDir().mkpath(QFileInfo(settingsFile_).absolutePath());
    serverName_ = ServerName(settingsFile_);
    QLockFile::LockError error = tryLock(FullPath(settingsFile_) + ".lock");
    if (error == QLockFile::PermissionError || error == QLockFile::UnknownError) {
        const QString folder =
            !fallbackFolder_.isEmpty()
                ? fallbackFolder_
                : QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        QDir().mkpath(folder);
        error = tryLock(QDir(folder).filePath(serverName_ + ".lock"));
    }
    if (error == QLockFile::LockFailedError) {
        wakeFirstCopy();
        return false;
    }
    // Taken, or no lock can be had anywhere: running unguarded beats not running at all.
    listen();
    return true;
}

void SingleInstance::listen()
{
    // A socket left by a copy that crashed would stand in the way; the lock says none runs.
    QLocalServer::removeServer(serverName_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(serverName_);
}

void SingleInstance::serve(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const auto read = [this, socket] {
        while (socket->canReadLine()) {
            if (socket->readLine() == kComeForward) {
                emit AnotherStart();
            }
        }
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    read();
}

void SingleInstance::wakeFirstCopy() const
{
    // The first copy listens right after it takes the lock; a start that falls between the two
    // tries again for a few seconds.
    for (int attempt = 0; attempt < 30; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(1000)) {
            socket.write(kComeForward);
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return;
        }
        QThread::msleep(100);
    }
}

}  // namespace quorrel::platform
