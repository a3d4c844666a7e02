#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalSocket;

namespace quorrel::platform {

// One running copy of the program per settings file. The first copy to start on a Settings.ini
// holds a lock beside it (Settings.ini.lock) and listens on a local socket named after the
// file's full path; a later start on the same file finds the lock taken, asks the first copy to
// come forward, and ends. A copy with settings of its own (another portable copy) takes another
// lock and runs alongside. A lock left by a copy that crashed is taken over: its process is gone.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // fallbackFolder: where the lock goes when the settings folder cannot hold it (read-only,
    // or not a folder); empty for the program's data folder of the user.
    explicit SingleInstance(const QString& settingsFile, const QString& fallbackFolder = QString(),
                            QObject* parent = nullptr);

    // Takes the lock and starts listening, and returns true, when no other copy runs on these
    // settings. Otherwise asks that copy to come forward and returns false; the caller then
    // ends. Call it once.
    bool Claim();

    // The lock file in use once Claim has run.
    QString lockFile() const { return lock_ ? lock_->fileName() : QString(); }

    // The socket's name for a settings file: "quorrel-" and the SHA-1 of its full path in hex,
    // short enough for every system's limit.
    static QString ServerName(const QString& settingsFile);

signals:
    // Another start on the same settings asked this copy to come forward.
    void AnotherStart();

private:
    QLockFile::LockError tryLock(const QString& file);
    void listen();
    void serve(QLocalSocket* socket);
    void wakeFirstCopy() const;

    QString settingsFile_;
    QString fallbackFolder_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

}  // namespace quorrel::platform
