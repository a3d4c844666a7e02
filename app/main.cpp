#include <QApplication>

#include "app/frm_main.h"
#include "app/frm_splash.h"
#include "platform/file_ops.h"
#include "platform/program_starter.h"
#include "platform/qt/qt_beeper.h"
#include "platform/qt/text.h"
#include "platform/registry.h"
#include "settings/settings_file.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorrel");
    QApplication::setApplicationVersion(QUORREL_VERSION);
    Q_INIT_RESOURCE(quorrel);
    QApplication::setWindowIcon(QIcon(":/quorrel/quorrel.png"));

    using namespace quorrel;
    platform::SystemClock clock;
    platform::QtBeeper beeper;
    platform::QtDialogs dialogs;
    platform::QtNotifyArea notifyArea;
    const std::unique_ptr<platform::Registry> registry = platform::MakeSystemRegistry();
    platform::SystemProgramStarter programStarter;
    Services services{clock,
                      beeper,
                      platform::SystemFiles(),
                      dialogs,
                      notifyArea,
                      *registry,
                      programStarter,
                      SettingsFilePath(platform::ToStdString(QApplication::applicationDirPath()))};

    frmMain mainWindow(services);
    frmSplash splash([&mainWindow] {
        mainWindow.Form_Load();
        mainWindow.show();
    });
    splash.show();
    return QApplication::exec();
}
