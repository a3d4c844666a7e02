#include "restore/recovery_box.h"

#include "platform/qt/text.h"
#include "restore/recover_restore.h"

namespace quorrel {

using platform::ToQString;

QString FailureDetails(const RestoreError& error)
{
    QString text = ToQString(error.file()) + "\n" + ToQString(error.reason());
    if (!error.leftovers().empty()) {
        text += "\n\nLeft in the save game directory:";
        for (const Leftover& file : error.leftovers()) {
            text += "\n" + ToQString(file.file) + ": " + ToQString(file.what);
        }
    }
    return text;
}

bool RecoverSaveFolder(QWidget* parent, const std::string& saveFolder, platform::FileOps& files,
                       platform::Dialogs& dialogs, const platform::FolderLock* held)
{
    const QString interrupted =
        "Quorrel was interrupted while restoring a snapshot into the save game directory\n" +
        ToQString(saveFolder) + "\n\n";
    try {
        switch (held != nullptr ? RecoverRestore(saveFolder, files, *held)
                                : RecoverRestore(saveFolder, files)) {
            case Recovery::NothingToDo:
            case Recovery::InOtherHands:  // the copy that holds the folder finishes its own work
                break;
            case Recovery::RolledBack:
                dialogs.MsgBox(parent,
                               interrupted +
                                   "The save files there have been put back as they were "
                                   "before the restore.",
                               platform::MsgBoxIcon::Information);
                break;
            case Recovery::RolledForward:
                dialogs.MsgBox(parent,
                               interrupted +
                                   "The restore has been completed: the save files there are "
                                   "those of the snapshot.",
                               platform::MsgBoxIcon::Information);
                break;
        }
        return true;
    } catch (const SaveFolderUnreadable& error) {
        dialogs.MsgBox(parent,
                       "Quorrel cannot read the save game directory\n" + ToQString(saveFolder) +
                           "\n" + ToQString(error.reason()),
                       platform::MsgBoxIcon::Critical, "Error");
        return false;
    } catch (const RestoreError& error) {
        dialogs.MsgBox(parent,
                       interrupted +
                           "Quorrel could not put that directory in order, and has changed "
                           "nothing more in it.\n\n" +
                           FailureDetails(error),
                       platform::MsgBoxIcon::Critical, "Error");
        return false;
    }
}

}  // namespace quorrel
