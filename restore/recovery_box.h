#pragma once

#include <QString>
#include <string>

#include "platform/file_ops.h"
#include "platform/qt/dialogs.h"
#include "restore/restore_error.h"

class QWidget;

namespace quorrel {

// Puts the save folder in order after an interrupted restore, if there was one (RecoverRestore),
// and then, with the save folder's lock let go, tells the player in a box what was done: an
// information box when the folder is wholly old or wholly new again (naming the files that the
// game saved meanwhile, which were kept), an error box naming what is left and where when it is
// not, with what the player can do when its journal cannot be read, or saying why the folder
// cannot be read. Returns whether the folder is in order; nothing to do, or a folder that another
// copy of Quorrel holds, is silent.
bool RecoverSaveFolder(QWidget* parent, const std::string& saveFolder, platform::FileOps& files,
                       platform::Dialogs& dialogs);

// The file, the reason and, one to a line, the leftovers with what each is: the part of an error
// box that says what went wrong and what is where.
QString FailureDetails(const RestoreError& error);

}  // namespace quorrel
