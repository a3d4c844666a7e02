#include "app/socket_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

#ifdef _WIN32
#include <windows.h>

#include <vector>

#include "platform/windows/handle.h"
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace quorrel {

#ifdef _WIN32

namespace {

// The user that a process runs as, as its token names it; empty when it cannot be read, as
// another user's token cannot.
std::vector<BYTE> UserOf(HANDLE process)
{
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &opened)) {
        return {};
    }
    const platform::windows::Handle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> information(size);
    if (size == 0 ||
        !::GetTokenInformation(token.get(), TokenUser, information.data(), size, &size)) {
        return {};
    }
    const PSID user = reinterpret_cast<const TOKEN_USER*>(information.data())->User.Sid;
    const auto* bytes = static_cast<const BYTE*>(user);
    return std::vector<BYTE>(bytes, bytes + ::GetLengthSid(user));
}

}  // namespace

QString PrivateSocketFolder(const QString&, const QStringList&, qsizetype)
{
    return QString();
}

QString SessionSocketFolder(qsizetype)
{
    return QString();
}

bool IsOwnSocket(const QString&)
{
    return true;
}

// The user rather than the token's owner: a raised administrator's objects are owned by the
// Administrators group.
bool ServedByThisUser(const QLocalSocket& socket)
{
    ULONG server = 0;
    if (!::GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(socket.socketDescriptor()),
                                       &server)) {
        return false;
    }
    const platform::windows::Handle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, server));
    if (process.get() == nullptr) {
        return false;
    }
    const std::vector<BYTE> ours = UserOf(::GetCurrentProcess());
    return !ours.empty() && UserOf(process.get()) == ours;
}

#else

namespace {

constexpr mode_t kPrivate = 0700;

// Whether a socket named `nameLength` characters fits in `folder`. QLocalServer binds the socket
// in a temporary folder beside its final path first ("<name>XXXXXX/s"), so that takes room too.
bool RoomForSocket(const QByteArray& folder, qsizetype nameLength)
{
    constexpr qsizetype kTemporaryPart = 8;
    return folder.size() + 1 + nameLength + kTemporaryPart <
           qsizetype(sizeof(sockaddr_un::sun_path));
}

// A folder, not a link, that this user owns.
bool OwnFolder(const QByteArray& folder, struct stat& info)
{
    return ::lstat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid();
}

bool UsableRuntimeFolder(const QByteArray& folder)
{
    struct stat info {};
    return OwnFolder(folder, info) && (info.st_mode & 07777) == kPrivate;
}

// Made with mode 0700 when missing; one of this user's own is put back to 0700.
bool MadeOwnFolder(const QString& folder)
{
    QDir().mkpath(QFileInfo(folder).absolutePath());
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), kPrivate);
    struct stat info {};
    return OwnFolder(path, info) &&
           ((info.st_mode & 07777) == kPrivate || ::chmod(path.constData(), kPrivate) == 0);
}

}  // namespace

QString PrivateSocketFolder(const QString& runtimeFolder, const QStringList& ownFolders,
                            qsizetype nameLength)
{
    if (QDir::isAbsolutePath(runtimeFolder) &&
        RoomForSocket(QFile::encodeName(runtimeFolder), nameLength) &&
        UsableRuntimeFolder(QFile::encodeName(runtimeFolder))) {
        return QDir::cleanPath(runtimeFolder);
    }
    for (const QString& folder : ownFolders) {
        if (QDir::isAbsolutePath(folder) && RoomForSocket(QFile::encodeName(folder), nameLength) &&
            MadeOwnFolder(folder)) {
            return QDir::cleanPath(folder);
        }
    }
    return QString();
}

QString SessionSocketFolder(qsizetype nameLength)
{
    return PrivateSocketFolder(
        qEnvironmentVariable("XDG_RUNTIME_DIR"),
        {QDir::temp().filePath("quorrel-" + QString::number(::geteuid())),
         QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
             .filePath("sockets")},
        nameLength);
}

bool IsOwnSocket(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode) &&
           info.st_uid == ::geteuid();
}

bool ServedByThisUser(const QLocalSocket&)
{
    return true;
}

#endif

}  // namespace quorrel
