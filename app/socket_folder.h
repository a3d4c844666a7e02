#pragma once

#include <QString>
#include <QStringList>

class QLocalSocket;

namespace quorrel {

// Where a copy of the program listens for later starts. On Windows a local socket is a named
// pipe, which takes a plain name. Elsewhere it is a file, and a file in the shared temporary
// folder, under a name anyone can work out, could be put there first by another user; so the
// socket goes into a folder in which only this user can create entries.

// The first folder that only this user can create entries in: `runtimeFolder` (the session's
// XDG_RUNTIME_DIR) when it is this user's own with mode 0700, and left as it is; otherwise the
// first of `ownFolders` that is, or can be made, this user's own with mode 0700. A link is never
// taken for a folder, and a folder whose path leaves too little room for a socket name of
// `nameLength` characters is passed over. Empty when none will do.
QString PrivateSocketFolder(const QString& runtimeFolder, const QStringList& ownFolders,
                            qsizetype nameLength);

// PrivateSocketFolder for this session: XDG_RUNTIME_DIR, then quorrel-<user id> in the temporary
// folder, then the user's data folder for the program. Empty on Windows.
QString SessionSocketFolder(qsizetype nameLength);

// Whether `path` is a socket that this user owns, judged on the path itself (a link is not
// followed), so that a start never talks to a socket that another user put there. Always true
// on Windows, where the name is a pipe's: see ServedByThisUser.
bool IsOwnSocket(const QString& path);

// Whether the server at the other end of a connected socket runs as this user. On Windows any
// user may create a pipe of a given name first, so the pipe's server process is asked for the
// user it runs as (a process whose user cannot be read is not this user's). Elsewhere
// IsOwnSocket has judged the socket before it was connected to, and this is always true.
bool ServedByThisUser(const QLocalSocket& socket);

}  // namespace quorrel
