#include "settings/frm_options.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/file_system.h"
#include "platform/number_text.h"
#include "platform/path_text.h"
#include "platform/qt/background.h"
#include "platform/qt/colours.h"
#include "platform/qt/dir_list_box.h"
#include "platform/qt/drive_list_box.h"
#include "platform/qt/drives.h"
#include "platform/qt/text.h"
#include "platform/qt/twips.h"
#include "platform/qt/up_down.h"
#include "snapshot/save_set.h"

namespace quorrel {

namespace {

using platform::MsgBoxIcon;
using platform::ToQString;
using platform::ToStdString;

const QString kNotAnInteger = "Please type an integer";
const QString kMaximumRefreshTime = "The maximum refresh time is 999 sec";
const QString kNewFolderFailed =
    "The name of the directory that you have entered\n\r is not valid or the directory already "
    "exists";

// A name typed for New Direcory must make one folder right inside the snapshot folder: a
// separator or a "." or ".." would reach somewhere else.
bool IsPlainFolderName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find(platform::kPathSeparator) == std::string::npos;
}

}  // namespace

frmOptions::frmOptions(const Settings& applied, bool preload, std::string foundSaveFolder,
                       ApplySettings apply, platform::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      preload_(preload),
      foundSaveFolder_(std::move(foundSaveFolder)),
      apply_(std::move(apply)),
      dialogs_(dialogs),
      edited_(applied)
{
    setWindowTitle("Options");
    setWindowIcon(QIcon(":/quorrel/quorrel.png"));
    platform::SetBackgroundPicture(*this);
    resize(platform::TwipsSize(4356, 4896));

    createControls();
    setColours();
    setTabOrder();
    ListFile1();
    connectHandlers();
    Form_Load();
}

void frmOptions::createControls()
{
    const auto label = [this](const QString& caption, const QRect& place) {
        auto* control = new QLabel(caption, this);
        control->setGeometry(place);
        return control;
    };
    Label1_ = label("Diablo2 Save Directory", platform::TwipsRect(120, 600, 1932, 252));
    Label2_ = label("Quorrel Directory", platform::TwipsRect(2160, 600, 1932, 252));
    Label4_ = label("Refresh Time (in Sec)", platform::TwipsRect(120, 3720, 1932, 252));

    Dir1_ = new platform::DirListBox(this);
    Dir1_->setGeometry(platform::TwipsRect(120, 960, 1932, 2232));
    Dir2_ = new platform::DirListBox(this);
    Dir2_->setGeometry(platform::TwipsRect(2160, 960, 1932, 2232));
    Drive1_ = new platform::DriveListBox(this);
    Drive1_->setGeometry(platform::TwipsRect(120, 3240, 1932, 288));
    Drive2_ = new platform::DriveListBox(this);
    Drive2_->setGeometry(platform::TwipsRect(2160, 3240, 1932, 288));

    Text1_ = new QLineEdit("60", this);
    Text1_->setMaxLength(3);
    Text1_->setGeometry(platform::TwipsRect(120, 3960, 972, 288));
    UpDown1_ = new platform::UpDown(this);
    UpDown1_->setGeometry(platform::TwipsRect(1080, 3960, 192, 252));

    const auto button = [this](const QString& caption, const QRect& place) {
        auto* control = new QPushButton(caption, this);
        control->setGeometry(place);
        control->setAutoDefault(false);  // Enter presses no button
        return control;
    };
    Command1_ = button("Apply", platform::TwipsRect(2280, 3960, 732, 372));
    Command2_ = button("Cancel", platform::TwipsRect(3120, 3960, 732, 372));
    Command3_ = button("New Direcory", platform::TwipsRect(2280, 4440, 1572, 372));
}

void frmOptions::setColours()
{
    // The save-game side in light orange, the snapshot side and the refresh time in light yellow.
    for (QWidget* label : {Label1_, Label4_}) {
        platform::SetTextColour(*label, platform::kLightOrange);
    }
    for (QWidget* box : std::initializer_list<QWidget*>{Dir1_, Drive1_}) {
        platform::SetBoxColours(*box, platform::kLightOrange);
    }
    platform::SetTextColour(*Label2_, platform::kLightYellow);
    for (QWidget* box : std::initializer_list<QWidget*>{Dir2_, Drive2_, Text1_}) {
        platform::SetBoxColours(*box, platform::kLightYellow);
    }
}

void frmOptions::setTabOrder()
{
    QWidget* order[] = {Command2_, Command1_, Dir2_,    Drive2_,  Dir1_,
                        Drive1_,   Text1_,    UpDown1_, Command3_};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
    Command2_->setFocus();
}

void frmOptions::connectHandlers()
{
    connect(Drive1_, &platform::DriveListBox::Change, this, &frmOptions::Drive1_Change);
    connect(Drive2_, &platform::DriveListBox::Change, this, &frmOptions::Drive2_Change);
    connect(Dir1_, &platform::DirListBox::Change, this, &frmOptions::Dir1_Change);
    connect(Dir2_, &platform::DirListBox::Change, this, &frmOptions::Dir2_Change);
    connect(Text1_, &QLineEdit::textChanged, this, &frmOptions::Text1_Change);
    connect(UpDown1_, &platform::UpDown::UpClick, this, &frmOptions::UpDown1_UpClick);
    connect(UpDown1_, &platform::UpDown::DownClick, this, &frmOptions::UpDown1_DownClick);
    connect(Command1_, &QPushButton::clicked, this, &frmOptions::Command1_Click);
    connect(Command2_, &QPushButton::clicked, this, &frmOptions::Command2_Click);
    connect(Command3_, &QPushButton::clicked, this, &frmOptions::Command3_Click);
}

void frmOptions::Form_Load()
{
    if (!preload_) {
        // A first run: "60", the starting folders, and the game's save folder when one was found.
        if (!foundSaveFolder_.empty() && Dir1_->setPath(ToQString(foundSaveFolder_))) {
            Drive1_->setDriveQuietly(platform::DriveOf(Dir1_->path()));
        }
        return;
    }
    // A stored folder that is gone leaves its box on the starting folder and its setting as
    // stored, until the player browses or applies.
    Dir1_->setPath(ToQString(edited_.SaveGameDir));
    Dir2_->setPath(ToQString(edited_.SnapshotDir));
    Text1_->setText(ToQString(edited_.RefreshTime));
    // Quietly: a drive box that moved its directory box to the drive's current folder would lose
    // the stored folders.
    Drive2_->setDriveQuietly(platform::DriveOf(Dir2_->path()));
    Drive1_->setDriveQuietly(platform::DriveOf(Dir1_->path()));
}

void frmOptions::Drive1_Change()
{
    platform::FollowDrive(*Drive1_, *Dir1_, dialogs_, this);
}

void frmOptions::Drive2_Change()
{
    platform::FollowDrive(*Drive2_, *Dir2_, dialogs_, this);
}

void frmOptions::Dir1_Change()
{
    edited_.SaveGameDir = ToStdString(Dir1_->path());
    ListFile1();
}

void frmOptions::ListFile1()
{
    try {
        File1_.list(ToStdString(Dir1_->path()));
    } catch (const std::exception&) {
        // An unreadable folder lists nothing, so Apply refuses it as no save folder.
    }
}

void frmOptions::Dir2_Change()
{
    edited_.SnapshotDir = ToStdString(Dir2_->path());
}

void frmOptions::Text1_Change()
{
    const std::optional<double> number = RefreshNumber();
    if (number && *number > 999) {
        ShowMaximumRefreshTime();
        Text1_->setText("999");
    }
}

void frmOptions::UpDown1_DownClick()
{
    const std::optional<double> number = RefreshNumber();
    if (number && *number > 0) {
        Text1_->setText(ToQString(platform::FormatNumber(*number - 1)));
        edited_.RefreshTime = ToStdString(Text1_->text());
    }
}

void frmOptions::UpDown1_UpClick()
{
    const std::optional<double> number = RefreshNumber();
    if (!number) {
        return;
    }
    if (*number >= 999) {
        ShowMaximumRefreshTime();
        Text1_->setText("999");
        edited_.RefreshTime = "999";
        return;
    }
    Text1_->setText(ToQString(platform::FormatNumber(*number + 1)));
    edited_.RefreshTime = ToStdString(Text1_->text());
}

std::optional<double> frmOptions::RefreshNumber()
{
    const std::optional<double> number = platform::ParseNumber(ToStdString(Text1_->text()));
    if (!number) {
        Error(kNotAnInteger, MsgBoxIcon::Critical);
    }
    return number;
}

void frmOptions::ShowMaximumRefreshTime()
{
    Error(kMaximumRefreshTime, MsgBoxIcon::Information);
}

void frmOptions::Error(const QString& prompt, MsgBoxIcon icon)
{
    dialogs_.MsgBox(this, prompt, icon, "Error");
}

void frmOptions::Command1_Click()
{
    if (!IsSaveSet(File1_.names())) {
        Error("This is not a valid Diablo2 save game directory.", MsgBoxIcon::Information);
        return;
    }
    edited_.SaveGameDir = ToStdString(Dir1_->path());
    edited_.SnapshotDir = ToStdString(Dir2_->path());
    edited_.RefreshTime = ToStdString(Text1_->text());
    if (edited_.SaveGameDir.empty() || edited_.SnapshotDir.empty() || edited_.RefreshTime.empty()) {
        Error("One or more options is/are missing", MsgBoxIcon::Critical);
        return;
    }
    try {
        apply_(edited_);
    } catch (const std::logic_error&) {
        // The box lets any number through while typing; the timer can only be armed from a
        // non-negative one that fits it.
        Error(kNotAnInteger, MsgBoxIcon::Critical);
        return;
    } catch (const std::exception& failure) {
        Error("The settings could not be saved.\n" + ToQString(failure.what()),
              MsgBoxIcon::Critical);
        return;
    }
    dialogs_.MsgBox(this, "New Setting are now saved.", MsgBoxIcon::Information, "Settings");
    accept();
}

void frmOptions::Command2_Click()
{
    reject();
}

void frmOptions::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        return;  // neither button is the cancel button: Esc closes nothing
    }
    QDialog::keyPressEvent(event);
}

void frmOptions::Command3_Click()
{
    const std::string name = ToStdString(dialogs_.InputBox(
        this, "This will create a new folder to store the quorrel files from diablo 2",
        "Create Folder"));
    const std::string folder = platform::JoinPath(ToStdString(Dir2_->path()), name);
    try {
        if (IsPlainFolderName(name)) {
            platform::CreateOneDirectory(folder);
            if (Dir2_->setPath(ToQString(folder))) {
                return;
            }
        }
    } catch (const std::exception&) {
        // an invalid name, or a folder that exists already
    }
    Error(kNewFolderFailed, MsgBoxIcon::Information);
}

}  // namespace quorrel
