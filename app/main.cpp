#include <QApplication>

#include "app/frm_main.h"
#include "app/frm_splash.h"
#include "platform/file_system.h"
#include "platform/program_starter.h"
#include "platform/qt/qt_beeper.h"
#include "platform/qt/text.h"
#include "platform/registry.h"
#include "settings/settings_file.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorrel");
    QApplication::setApplicationVersion("1.0.0");
    // Lets the desktop match the windows with the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName("io.github.quorrel.Quorrel");
    Q_INIT_RESOURCE(quorrel);

    using namespace quorrel;
    platform::SystemClock clock;
    platform::QtBeeper beeper;
    platform::SystemFileCopier copier;
    platform::QtDialogs dialogs;
    platform::QtNotifyArea notifyArea;
    const std::unique_ptr<platform::Registry> registry = platform::MakeSystemRegistry();
    platform::SystemProgramStarter programStarter;
    Services services{clock,
                      beeper,
                      copier,
                      dialogs,
                      notifyArea,
                      *registry,
                      programStarter,
                      SettingsFilePath(platform::ToStdString(QApplication::applicationDirPath()))};

    Module1 state;
    frmMain mainWindow(state, services);
    frmSplash splash([&mainWindow] {
        mainWindow.Form_Load();
        mainWindow.show();
    });
    splash.show();
    return QApplication::exec();
}
