#pragma once

#include <string>

#include "platform/file_ops.h"

namespace quorrel {

enum class Recovery {
    NothingToDo,    // no restore was interrupted
    RolledBack,     // the save folder is back as it was before the interrupted restore
    RolledForward,  // the interrupted restore had put every file in place; it is now finished
};

// Puts the save folder in order after a restore that was cut short by a crash, a kill or a power
// cut, by the journal that the restore left there: a committed restore is finished, any other is
// undone, so that the folder is wholly old or wholly new. Run it before the folder is listed or
// restored into. Throws RestoreError, naming everything still out of place, when it cannot
// finish; a journal that cannot be read makes it change nothing at all.
Recovery RecoverRestore(const std::string& saveFolder, platform::FileOps& ops);

}  // namespace quorrel
