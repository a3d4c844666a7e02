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
                       platform::Dialogs& dialogs)
{
    const QString interrupted =
        "Quorrel was interrupted while restoring a snapshot into the save game directory\n" +
        ToQString(saveFolder) + "\n\n";
    try {
        const Recovered recovered = RecoverRestore(saveFolder, files);
        QString text = interrupted;
        switch (recovered.how) {
            case Recovery::NothingToDo:
            case Recovery::InOtherHands:  // the copy that holds the folder finishes its own work
                return true;
            case Recovery::RolledBack:
                text += "The save files there have been put back as they were before the restore.";
                break;
            case Recovery::RolledForward:
                text +=
                    "The restore has been completed: the save files there are those of the "
                    "snapshot.";
                break;
        }
        if (!recovered.keptAsSaved.empty()) {
            text +=
                "\n\nBut the game saved these files after the restore began, and Quorrel kept "
                "them as the game saved them:";
            for (const std::string& file : recovered.keptAsSaved) {
                text += "\n" + ToQString(file);
            }
        }
        dialogs.MsgBox(parent, text, platform::MsgBoxIcon::Information);
        return true;
    } catch (const SaveFolderUnreadable& error) {
        dialogs.MsgBox(parent,
                       "Quorrel cannot read the save game directory\n" + ToQString(saveFolder) +
                           "\n" + ToQString(error.reason()),
                       platform::MsgBoxIcon::Critical, "Error");
    } catch (const UnusableJournal& error) {
        dialogs.MsgBox(parent,
                       interrupted +
                           "Its journal cannot be read, so Quorrel cannot tell what to put back, "
                           "and has changed nothing there. No snapshot can be restored into that "
                           "directory until you have put it in order yourself: do with each file "
                           "as its line says.\n\n" +
                           FailureDetails(error),
                       platform::MsgBoxIcon::Critical, "Error");
    } catch (const RestoreError& error) {
        dialogs.MsgBox(parent,
                       interrupted +
                           "Quorrel could not put that directory in order, and has changed "
                           "nothing more in it. It tries again the next time it starts or "
                           "restores a snapshot.\n\n" +
                           FailureDetails(error),
                       platform::MsgBoxIcon::Critical, "Error");
    }
    return false;
}

}  // namespace quorrel
