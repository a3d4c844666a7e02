#pragma once

#include <string>
#include <vector>

#include "platform/file_ops.h"

namespace quorrel {

enum class Recovery {
    NothingToDo,    // no restore was interrupted
    RolledBack,     // the save folder is back as it was before the interrupted restore
    RolledForward,  // the interrupted restore had put every file in place; it is now finished
    InOtherHands,   // another copy of Quorrel holds the folder: it is restoring into it, or putting
                    // it in order, and finishes that itself
};

struct Recovered {
    Recovery how = Recovery::NothingToDo;
    // The save files that the game wrote after the restore began, in places that the restore had
    // been working on: kept as the game saved them.
    std::vector<std::string> keptAsSaved;
};

// Puts the save folder in order after a restore that was cut short by a crash, a kill or a power
// cut, by the journal that the restore left there: a committed restore is finished, any other is
// undone, file by file, so that the folder is wholly old or wholly new, but for the save files
// that the game wrote meanwhile, which stay. Nothing of the restore's is left in the folder. Run
// it before the folder is listed or restored into. It holds the save folder's lock while it
// works, and lets go of it before it returns; while another copy of Quorrel holds it, the folder
// is left alone. Throws SaveFolderUnreadable when the folder cannot be looked into, UnusableJournal
// when the journal cannot be read at all (nothing is touched then), and RestoreError, naming
// everything still out of place, when a step fails: the journal stays for the next try.
Recovered RecoverRestore(const std::string& saveFolder, platform::FileOps& ops);

}  // namespace quorrel
