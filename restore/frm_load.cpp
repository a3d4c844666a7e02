#include "restore/frm_load.h"

#include <QIcon>
#include <QPalette>
#include <QPushButton>

#include "platform/qt/background.h"
#include "platform/qt/colours.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/drive_list_box.h"
#include "platform/qt/drives.h"
#include "platform/qt/text.h"
#include "platform/qt/twips.h"
#include "restore/history_menu.h"
#include "restore/recovery_box.h"
#include "restore/restore_folder.h"
#include "restore/safety_snapshot.h"
#include "restore/snapshot_saves.h"
#include "restore/snapshot_tip.h"
#include "snapshot/save_set.h"

namespace quorrel {

namespace {

constexpr QSize kClientSize = platform::TwipsSize(2580, 3816);

using platform::MsgBoxIcon;
using platform::ToQString;
using platform::ToStdString;

QString SafetySnapshotFailure(const RestoreError& error)
{
    return "The snapshot was not restored: Quorrel could not first keep a copy of the save "
           "files that it would replace.\n\n" +
           ToQString(error.file()) + "\n" + ToQString(error.reason()) +
           "\n\nThe save game directory was left as it was.";
}

QString RestoreFailure(const RestoreError& error)
{
    if (error.stage() == RestoreStage::SafetySnapshot) {
        return SafetySnapshotFailure(error);
    }
    switch (error.state()) {
        case SaveFolderState::AsBefore:
            return "The snapshot could not be restored.\n\n" + FailureDetails(error) +
                   "\n\nThe save game directory was left as it was.";
        case SaveFolderState::Restored:
            return "The snapshot was restored, but Quorrel could not finish tidying up after "
                   "it.\n\n" +
                   FailureDetails(error) +
                   (error.leftovers().empty()
                        ? QString()
                        : "\n\nQuorrel removes these files the next time it starts or restores "
                          "a snapshot.");
        case SaveFolderState::Unfinished:
            break;
    }
    return "The snapshot could not be restored, and the save game directory could not be put "
           "back as it was.\n\n" +
           FailureDetails(error) +
           "\n\nQuorrel tries again to put it back the next time it starts or restores a "
           "snapshot.";
}

}  // namespace

frmLoad::frmLoad(const Settings& settings, platform::Clock& clock, platform::FileOps& files,
                 platform::Dialogs& dialogs, QWidget* parent, std::string logFile)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings),
      clock_(clock),
      files_(files),
      dialogs_(dialogs),
      logFile_(std::move(logFile))
{
    setWindowTitle("Load Game");
    setWindowIcon(QIcon(":/quorrel/quorrel.png"));
    platform::SetBackgroundPicture(*this);
    resize(kClientSize);
    createControls();

    // Both boxes start on the starting folder, so File1 lists the open folder from here on.
    Dir1_Change();
    connect(Dir1_, &platform::DirListBox::Change, this, &frmLoad::Dir1_Change);
    connect(Drive1_, &platform::DriveListBox::Change, this, &frmLoad::Drive1_Change);
    connect(cmdLoad_, &QPushButton::clicked, this, &frmLoad::cmdLoad_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmLoad::cmdCancel_Click);
    Form_Load();
}

void frmLoad::createControls()
{
    Dir1_ = new platform::DirListBox(this);
    platform::SetBoxColours(*Dir1_, platform::kLightYellow);
    // Which character each snapshot holds, read only when the player points at it, and the pins.
    history_ = new HistoryMenu(*Dir1_, settings_.SnapshotDir, clock_, files_, dialogs_, logFile_,
                               &SnapshotTip, this);
    Drive1_ = new platform::DriveListBox(this);
    platform::SetBoxColours(*Drive1_, platform::kLightYellow);
    cmdLoad_ = new QPushButton("&Load", this);
    cmdCancel_ = new QPushButton("&Cancel", this);
    placeControls();
    // No default button: Enter must never start a restore. Esc reaches reject(), as Cancel does.
    for (QPushButton* button : {cmdLoad_, cmdCancel_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    setTabOrder(Dir1_, Drive1_);
    setTabOrder(Drive1_, cmdLoad_);
    setTabOrder(cmdLoad_, cmdCancel_);
}

void frmLoad::placeControls()
{
    // The form's own layout at its own size. A larger frame gives the room to the two boxes,
    // so that the long names of the snapshot folders can be read; the buttons stay below them.
    const QSize grown = (size() - kClientSize).expandedTo(QSize(0, 0));
    const int w = grown.width();
    const int h = grown.height();
    Dir1_->setGeometry(platform::TwipsRect(120, 240, 2292, 2448).adjusted(0, 0, w, h));
    Drive1_->setGeometry(platform::TwipsRect(120, 2760, 2292, 288).adjusted(0, h, w, h));
    cmdLoad_->setGeometry(platform::TwipsRect(120, 3240, 1092, 372).translated(0, h));
    cmdCancel_->setGeometry(platform::TwipsRect(1320, 3240, 1092, 372).translated(0, h));
}

void frmLoad::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeControls();
}

void frmLoad::Form_Load()
{
    if (!Dir1_->setPath(ToQString(settings_.SnapshotDir))) {
        dialogs_.MsgBox(
            this,
            "The snapshot directory " + ToQString(settings_.SnapshotDir) + " cannot be found.",
            MsgBoxIcon::Information, "Error");
    }
    // Quietly: the drive's current folder must not replace the folder just opened.
    Drive1_->setDriveQuietly(platform::DriveOf(Dir1_->path()));
}

void frmLoad::Dir1_Change()
{
    try {
        File1_.list(ToStdString(Dir1_->path()));
    } catch (const std::exception&) {
        // An unreadable folder lists no files, so Load refuses it.
    }
}

void frmLoad::Drive1_Change()
{
    platform::FollowDrive(*Drive1_, *Dir1_, dialogs_, this);
}

void frmLoad::cmdLoad_Click()
{
    // Read again, so that the check sees the files that the restore is about to copy.
    Dir1_Change();
    if (!IsRestorable(File1_.names())) {
        dialogs_.MsgBox(this, "Please select a valid save game directory", MsgBoxIcon::Information,
                        "Error");
        reject();
        return;
    }
    if (!RestoreDeadCharacterAnyway()) {
        return;  // the dialog stays open, so that the player can choose another snapshot
    }
    // An earlier restore that was cut short is put in order first: a new one starts only on a
    // folder that is wholly old or wholly new. Its box waits for the player with the save folder
    // let go, so that no check of any copy of Quorrel is held up meanwhile.
    if (!RecoverSaveFolder(this, settings_.SaveGameDir, files_, dialogs_)) {
        reject();
        return;
    }
    try {
        // One hand on the save folder from the safety snapshot to the end of the restore: no
        // other copy of Quorrel restores into it, or takes a snapshot from it, meanwhile.
        const platform::FolderLock lock = LockForRestore(settings_.SaveGameDir);
        const std::vector<Filenames> kept =
            TakeSafetySnapshot(File1_.path(), settings_.SaveGameDir, settings_.SnapshotDir,
                               clock_.now(), files_, logFile_);
        restored_ = RestoreFolder(File1_.path(), settings_.SaveGameDir, files_, lock, kept);
        accept();
    } catch (const RestoreError& error) {
        dialogs_.MsgBox(this, RestoreFailure(error), MsgBoxIcon::Critical, "Error");
        reject();
    }
}

bool frmLoad::RestoreDeadCharacterAnyway()
{
    const std::optional<CharacterSummary> dead = DeadHardcoreCharacter(File1_.path());
    return !dead ||
           dialogs_.AskYesNo(this, "This snapshot holds " + QString::fromStdString(dead->name) +
                                       " dead in hardcore; the game will not let this "
                                       "character play again. Restore it anyway?");
}

void frmLoad::cmdCancel_Click()
{
    reject();
}

}  // namespace quorrel
