#include "app/single_instance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#include "app/socket_folder.h"

namespace quorrel {

namespace {

constexpr char kComeForward[] = "show\n";
constexpr char kComingForward[] = "shown\n";
// A copy listens right after it takes the lock; a start that falls between the two waits this
// long for it.
constexpr int kListenWait = 3000;
// A running copy answers at once unless it is stuck; it is given this long.
constexpr int kAnswerWait = 3000;

// The settings file's full path, with the links of its folder resolved when the folder exists,
// so that two ways to one folder name one file.
QString FullPath(const QString& settingsFile)
{
    const QFileInfo file(settingsFile);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? file.absoluteFilePath() : QDir(folder).filePath(file.fileName());
}

// "quorrel-" and the SHA-1 of the settings file's full path in hex: the socket's name and the
// fallback lock's.
QString NameFor(const QString& settingsFile)
{
    const QByteArray digest =
        QCryptographicHash::hash(FullPath(settingsFile).toUtf8(), QCryptographicHash::Sha1);
    return "quorrel-" + QString::fromLatin1(digest.toHex());
}

// When this process began, near enough: its statics are made before main.
const QDateTime kProcessStart = QDateTime::currentDateTimeUtc();

// Whether a lock that QLockFile has just refused to call stale names a process of this machine:
// QLockFile then found that process running. A lock it cannot read, or one written on another
// machine, says nothing about whether its holder runs. One that names this very process but is
// older than it was left by an earlier process with the same number: Wine gives the first
// program started in a prefix the same number every time.
bool HolderConfirmedAlive(const QString& file)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!QLockFile(file).getLockInfo(&pid, &host, &application) || pid <= 0 ||
        (!host.isEmpty() && host != QSysInfo::machineHostName())) {
        return false;
    }
    return pid != QCoreApplication::applicationPid() ||
           QFileInfo(file).lastModified() >= kProcessStart;
}

// Removes what stands where the lock goes: a lock file that no process holds, a link (not what
// it names) or an empty folder. A folder with anything in it is the player's and stays.
void RemoveLeftLock(const QString& file)
{
    const QFileInfo left(file);
    if (left.isSymbolicLink()) {
        QFile::remove(file);
    } else if (left.isDir()) {
        QDir().rmdir(file);
    } else {
        QLockFile(file).removeStaleLockFile();
    }
}

// Waits, with the events running (the copy asked may be this process), for the running copy's
// answer.
bool Answered(QLocalSocket& socket)
{
    QEventLoop loop;
    QTimer::singleShot(kAnswerWait, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        if (socket.canReadLine()) {
            loop.quit();
        }
    });
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    if (!socket.canReadLine()) {
        loop.exec();
    }
    return socket.canReadLine() && socket.readLine() == kComingForward;
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
    const QString name = NameFor(settingsFile);
#ifdef _WIN32
    return name;
#else
    const QString folder = SessionSocketFolder(name.size());
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name);
#endif
}

QLockFile::LockError SingleInstance::tryLock(const QString& file)
{
    lock_ = std::make_unique<QLockFile>(file);
    // The lock is held for as long as the program runs, so its age says nothing; a lock is
    // stale when the process that took it is gone.
    lock_->setStaleLockTime(0);
    return lock_->tryLock(0) ? QLockFile::NoError : lock_->error();
}

SingleInstance::Outcome SingleInstance::Claim()
{
    // The settings folder may not exist before the settings are first saved. It is made first,
    // so that every copy names the file by the same resolved path.
    QDir().mkpath(QFileInfo(settingsFile_).absolutePath());
    serverName_ = ServerName(settingsFile_);
    const QString fallback =
        !fallbackFolder_.isEmpty()
            ? fallbackFolder_
            : QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (const std::optional<Outcome> outcome = claimAt(FullPath(settingsFile_) + ".lock")) {
        return *outcome;
    }
    // Made only when it is needed: a portable copy leaves nothing outside its folder.
    QDir().mkpath(fallback);
    if (const std::optional<Outcome> outcome =
            claimAt(QDir(fallback).filePath(NameFor(settingsFile_) + ".lock"))) {
        return *outcome;
    }
    // No lock can be had anywhere: running unguarded beats not running at all.
    lock_.reset();
    listen();
    return Outcome::Runs;
}

std::optional<SingleInstance::Outcome> SingleInstance::claimAt(const QString& file)
{
    // Twice: a start that loses the race to take over a stale lock judges the winner's lock.
    for (int round = 0; round < 2; ++round) {
        const QLockFile::LockError error = tryLock(file);
        if (error == QLockFile::NoError) {
            listen();
            return Outcome::Runs;
        }
        if (error != QLockFile::LockFailedError) {
            return std::nullopt;  // this folder cannot hold the lock
        }
        const bool alive = HolderConfirmedAlive(file);
        switch (askRunningCopy(alive)) {
            case Answer::CameForward:
                return Outcome::AnotherCopyCameForward;
            case Answer::Silent:
                return Outcome::AnotherCopyDoesNotAnswer;
            case Answer::NoCopy:
                if (alive) {
                    return Outcome::AnotherCopyDoesNotAnswer;
                }
                break;
        }
        // Nobody answers for a lock whose holder cannot be shown to run: it is stale. Two starts
        // taking it over at once would each remove the other's new lock; a second lock beside it
        // makes them take turns.
        QLockFile turn(file + ".rmlock");
        turn.tryLock(kListenWait);
        if (!HolderConfirmedAlive(file)) {
            RemoveLeftLock(file);
            if (tryLock(file) == QLockFile::NoError) {
                listen();
                return Outcome::Runs;
            }
        }
    }
    return std::nullopt;  // it cannot be removed (a folder with files in it): the next place
}

void SingleInstance::listen()
{
    if (serverName_.isEmpty()) {
        return;  // no folder of this user's own for the socket
    }
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
                socket->write(kComingForward);
                socket->flush();
                emit AnotherStart();
            }
        }
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    read();
}

SingleInstance::Answer SingleInstance::askRunningCopy(bool patient) const
{
    if (serverName_.isEmpty()) {
        return Answer::NoCopy;
    }
    const QDeadlineTimer deadline(patient ? kListenWait : 0);
    do {
        // Only a socket of this user's own is talked to.
        if (IsOwnSocket(serverName_)) {
            QLocalSocket socket;
            socket.connectToServer(serverName_);
            if (socket.waitForConnected(1000) && ServedByThisUser(socket)) {
                socket.write(kComeForward);
                const bool answered = Answered(socket);
                socket.disconnectFromServer();
                return answered ? Answer::CameForward : Answer::Silent;
            }
        }
        if (patient) {
            QThread::msleep(100);
        }
    } while (!deadline.hasExpired());
    return Answer::NoCopy;
}

}  // namespace quorrel
