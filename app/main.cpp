#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include "app/frm_main.h"
#include "app/frm_splash.h"
#include "app/single_instance.h"
#include "platform/file_ops.h"
#include "platform/path_text.h"
#include "platform/qt/folder_probe.h"
#include "platform/qt/qt_beeper.h"
#include "platform/qt/text.h"
#include "platform/registry.h"
#include "settings/save_folder_search.h"
#include "settings/settings_file.h"
#include "settings/settings_location.h"

namespace {

std::string NativeText(const QString& folder)
{
    return folder.isEmpty() ? std::string()
                            : quorrel::platform::ToStdString(QDir::toNativeSeparators(folder));
}

// Why this start ends: a copy on the same settings runs, but is stuck or stopped.
QString NotAnswering(const QString& settingsFile)
{
    return "Quorrel is already running with the settings in " +
           QDir::toNativeSeparators(settingsFile) +
           ", but it does not answer. Wait until it does, or end it, then start Quorrel again.";
}

// The user's own folder for the settings of an installed copy: %APPDATA%\Quorrel on Windows,
// which roams with the user, the configuration folder elsewhere (~/.config/Quorrel).
QString UserSettingsFolder()
{
#ifdef Q_OS_WIN
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
#endif
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorrel");
    QApplication::setApplicationVersion(QUORREL_VERSION);
    // Lets the desktop match the windows with the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName("io.github.quorrel.Quorrel");
    Q_INIT_RESOURCE(quorrel);
    QApplication::setWindowIcon(QIcon(":/quorrel/quorrel.png"));

    using namespace quorrel;
    const std::string programFolder = NativeText(QApplication::applicationDirPath());
    const std::string settingsFile = SettingsFileLocation(
        programFolder, NativeText(UserSettingsFolder()), platform::CanCreateFilesIn);
    // A portable copy logs in the folder it was started from. An installed one, started from a
    // menu in its own folder (which its user may not write to) or wherever, logs beside its
    // settings.
    const std::string logFile =
        settingsFile == SettingsFilePath(programFolder)
            ? std::string(kLogFile)
            : platform::JoinPath(platform::ToText(platform::ToPath(settingsFile).parent_path()),
                                 kLogFile);
    platform::QtDialogs dialogs;
    SingleInstance instance(platform::ToQString(settingsFile));
    switch (instance.Claim()) {
        case SingleInstance::Outcome::Runs:
            break;
        case SingleInstance::Outcome::AnotherCopyCameForward:
            return 0;  // the copy that runs on these settings has been asked to come forward
        case SingleInstance::Outcome::AnotherCopyDoesNotAnswer:
            dialogs.MsgBox(nullptr, NotAnswering(platform::ToQString(settingsFile)),
                           platform::MsgBoxIcon::Critical, "Error");
            return 1;
    }
    platform::SystemClock clock;
    platform::QtBeeper beeper;
    platform::QtNotifyArea notifyArea;
#ifdef Q_OS_WIN
    const std::unique_ptr<platform::Registry> registry = platform::MakeSystemRegistry();
#else
    const std::unique_ptr<platform::Registry> registry;
#endif
    Services services{clock,        beeper,     platform::SystemFiles(),
                      dialogs,      notifyArea, registry.get(),
                      settingsFile, logFile,    ProcessEnvironment()};

    frmMain mainWindow(services);
    bool loaded = false;
    auto* splash = new frmSplash([&mainWindow, &loaded] {
        mainWindow.Form_Load();
        mainWindow.show();
        loaded = true;
    });
    // Until the splash gives way, the window is on its way up anyway; a box it waits on comes
    // forward.
    QObject::connect(&instance, &SingleInstance::AnotherStart, &mainWindow, [&mainWindow, &loaded] {
        if (loaded || QApplication::activeModalWidget() != nullptr) {
            mainWindow.AnotherStart();
        }
    });
    splash->show();
    return QApplication::exec();
}
