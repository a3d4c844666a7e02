#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QLocalSocket;

namespace quorrel {

// One running copy of the program per settings file. The first copy to start on a Settings.ini
// holds a lock beside it (Settings.ini.lock) and listens on a local socket named after the
// file's full path; a later start on the same file finds the lock taken, asks the first copy to
// come forward, and ends. A copy with settings of its own (another portable copy) takes another
// lock and runs alongside.
//
// A lock is only believed while its holder is known to run: a lock whose process is gone, or one
// that cannot be judged (empty, garbled, written on another machine, a folder or a link in its
// place) is taken over when no running copy answers on the socket.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Runs,                      // this copy holds the lock (or none can be had) and listens
        AnotherCopyCameForward,    // the copy that runs on these settings was asked forward
        AnotherCopyDoesNotAnswer,  // a copy runs on these settings but does not answer
    };

    // fallbackFolder: where the lock goes when the settings folder cannot hold it (read-only,
    // or not a folder); empty for the program's data folder of the user.
    explicit SingleInstance(const QString& settingsFile, const QString& fallbackFolder = QString(),
                            QObject* parent = nullptr);

    // Takes the lock and starts listening when no other copy runs on these settings; otherwise
    // asks that copy to come forward. The caller ends unless this copy Runs. Call it once.
    Outcome Claim();

    // The lock file in use once Claim has run.
    QString lockFile() const { return lock_ ? lock_->fileName() : QString(); }

    // Where the socket for a settings file is: "quorrel-" and the SHA-1 of the file's full path
    // in hex, in a folder only this user can create entries in (a pipe's name on Windows). Empty
    // when there is no such folder: the copy then does not listen.
    static QString ServerName(const QString& settingsFile);

signals:
    // Another start on the same settings asked this copy to come forward.
    void AnotherStart();

private:
    enum class Answer { NoCopy, CameForward, Silent };

    QLockFile::LockError tryLock(const QString& file);
    // Claims the lock file at one place; nothing when it cannot be had there.
    std::optional<Outcome> claimAt(const QString& file);
    Answer askRunningCopy(bool patient) const;
    void listen();
    void serve(QLocalSocket* socket);

    QString settingsFile_;
    QString fallbackFolder_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

}  // namespace quorrel
