#pragma once

#include <string>

#include "platform/file_ops.h"
#include "platform/folder_lock.h"

namespace quorrel {

enum class Recovery {
    NothingToDo,    // no restore was interrupted
    RolledBack,     // the save folder is back as it was before the interrupted restore
    RolledForward,  // the interrupted restore had put every file in place; it is now finished
    InOtherHands,   // another copy of Quorrel holds the folder: it is restoring into it, or putting
                    // it in order, and finishes that itself
};

// Puts the save folder in order after a restore that was cut short by a crash, a kill or a power
// cut, by the journal that the restore left there: a committed restore is finished, any other is
// undone, so that the folder is wholly old or wholly new. Run it before the folder is listed or
// restored into. It holds the save folder's lock while it works; while another copy of Quorrel
// holds it, the folder is left alone. Throws SaveFolderUnreadable when the folder cannot be
// looked into, and RestoreError, naming everything still out of place, when it cannot finish; a
// journal that cannot be read makes it change nothing at all.
Recovery RecoverRestore(const std::string& saveFolder, platform::FileOps& ops);

// The same, under the save folder's lock that the caller holds already (a Load, which goes on to
// restore under it).
Recovery RecoverRestore(const std::string& saveFolder, platform::FileOps& ops,
                        const platform::FolderLock& held);

}  // namespace quorrel
