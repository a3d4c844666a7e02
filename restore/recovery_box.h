#pragma once

#include <QString>
#include <string>

#include "platform/file_ops.h"
#include "platform/folder_lock.h"
#include "platform/qt/dialogs.h"
#include "restore/restore_error.h"

class QWidget;

namespace quorrel {

// Puts the save folder in order after an interrupted restore, if there was one (RecoverRestore),
// and tells the player in a box what was done: an information box when the folder is wholly old
// or wholly new again, an error box naming what is left and where when it is not, or saying why
// the folder cannot be read. Returns whether the folder is in order; nothing to do, or a folder
// that another copy of Quorrel holds, is silent. `held` is the save folder's lock when the caller
// holds it already.
bool RecoverSaveFolder(QWidget* parent, const std::string& saveFolder, platform::FileOps& files,
                       platform::Dialogs& dialogs, const platform::FolderLock* held = nullptr);

// The file, the reason and, one to a line, the leftovers with what each is: the part of an error
// box that says what went wrong and what is where.
QString FailureDetails(const RestoreError& error);

}  // namespace quorrel
