#include "about/frm_about.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>

#include "about/start_sys_info.h"
#include "platform/qt/background.h"
#include "platform/qt/colours.h"
#include "platform/qt/shell.h"
#include "platform/qt/text.h"
#include "platform/qt/twips.h"

namespace quorrel {

namespace {

QLabel* MakeLabel(QWidget& parent, const char* name, const QString& text, const QColor& colour,
                  const QRect& place)
{
    // Without a background of its own a label shows the window's picture through it.
    auto* label = new QLabel(text, &parent);
    label->setObjectName(name);
    platform::SetTextColour(*label, colour);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(place);
    return label;
}

QFrame* MakeLine(QWidget& parent, const QColor& colour, const QRect& place)
{
    auto* line = new QFrame(&parent);
    line->setObjectName("Line1");
    line->setFrameShape(QFrame::NoFrame);
    QPalette palette = line->palette();
    palette.setBrush(QPalette::Window, colour);
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    line->setGeometry(place);
    return line;
}

// Without a registry: the desktop's own system-information program found on PATH, the closest
// match to Windows' msinfo32 first; empty when there is none.
QString DesktopSysInfoTool()
{
    for (const char* name :
         {"hardinfo2", "hardinfo", "kinfocenter", "gnome-system-monitor", "mate-system-monitor",
          "xfce4-taskmanager",
          "/System/Applications/Utilities/System Information.app/Contents/MacOS/System "
          "Information"}) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty()) {
            return program;
        }
    }
    return {};
}

}  // namespace

frmAbout::frmAbout(platform::Registry* registry, platform::Dialogs& dialogs,
                   const QString& settingsFolder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      registry_(registry),
      dialogs_(dialogs)
{
    platform::SetBackgroundPicture(*this);
    createControls();
    describe(settingsFolder);
    const QRect client = platform::TwipsRect(2340, 1932, 5736, 3564);
    const QScreen* display = screen();
    setGeometry(display != nullptr ? client.translated(display->geometry().topLeft()) : client);
    setFixedSize(client.size());
    Form_Load();
}

void frmAbout::createControls()
{
    picIcon_ = new QLabel(this);
    picIcon_->setObjectName("picIcon");
    picIcon_->setPixmap(QPixmap(":/quorrel/about.gif"));
    picIcon_->setGeometry(platform::TwipsRect(240, 240, 1692, 684));

    lblTitle_ = MakeLabel(*this, "lblTitle", "Application Title", platform::kOrange,
                          platform::TwipsRect(2160, 240, 3336, 480));
    lblTitle_->setFont(QFont("MS Sans Serif", 12));
    lblVersion_ = MakeLabel(*this, "lblVersion", "Version", platform::kLightYellow,
                            platform::TwipsRect(3000, 1020, 2496, 264));
    // Two lines across the box, so that the folder of the settings fits.
    lblDescription_ = MakeLabel(*this, "lblDescription", QString(), platform::kLightYellow,
                                platform::TwipsRect(240, 1320, 5256, 456));
    lblDisclaimer_ = MakeLabel(*this, "lblDisclaimer",
                               "Diablo and Blizzard Entertainment are trademarks or registered "
                               "trademarks of Blizzard Entertainment, Inc.",
                               platform::kLightYellow, platform::TwipsRect(240, 2520, 3840, 900));
    lblDisclaimer_->setWordWrap(true);

    // The etched separator: a grey line with a white one two pixels wide just below it.
    const QRect separator = platform::TwipsRect(84, 1824, 5568, 12);
    Line1_[0] = MakeLine(*this, QColor(128, 128, 128),
                         QRect(separator.left(), separator.top(), separator.width(), 1));
    Line1_[1] = MakeLine(*this, Qt::white,
                         QRect(separator.left(), separator.top() + 1, separator.width(), 2));

    cmdOK_ = new QPushButton("OK", this);
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setGeometry(platform::TwipsRect(4248, 2616, 1260, 348));
    cmdOK_->setDefault(true);
    cmdOK_->setAutoDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    cmdSysInfo_ = new QPushButton("&System Info...", this);
    cmdSysInfo_->setObjectName("cmdSysInfo");
    cmdSysInfo_->setGeometry(platform::TwipsRect(4248, 3072, 1260, 348));
    connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    setTabOrder(cmdOK_, cmdSysInfo_);
    cmdOK_->setFocus();
}

void frmAbout::describe(const QString& settingsFolder)
{
    // A folder too long for the line loses its middle; the tip shows all of it.
    const QString settings = lblDescription_->fontMetrics().elidedText(
        "Settings: " + settingsFolder, Qt::ElideMiddle, lblDescription_->width());
    lblDescription_->setText("by the Quorrel developers\n" + settings);
    lblDescription_->setToolTip(settingsFolder);
}

void frmAbout::Form_Load()
{
    const QString title = QApplication::applicationName();
    setWindowTitle("About " + title);
    lblVersion_->setText(QString("Version %1.%2.%3")
                             .arg(QUORREL_VERSION_MAJOR)
                             .arg(QUORREL_VERSION_MINOR)
                             .arg(QUORREL_VERSION_PATCH));
    lblTitle_->setText(title);
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    try {
        if (registry_ != nullptr) {
            quorrel::StartSysInfo(*registry_);
            return;
        }
        const QString tool = DesktopSysInfoTool();
        if (!tool.isEmpty()) {
            platform::Shell(platform::ToStdString(tool), platform::kShowNormal);
            return;
        }
    } catch (const std::exception&) {
        // told below, as when there is no tool
    }
    dialogs_.MsgBox(this, kSysInfoUnavailable, platform::MsgBoxIcon::None);
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace quorrel
