#pragma once

#include <string>

#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/file_ops.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/notify_area.h"
#include "platform/registry.h"
#include "settings/save_folder_search.h"
#include "snapshot/error_log.h"

namespace quorrel {

// Everything the windows reach outside the program. main() hands out the real services; tests
// hand out fakes and temporary files.
struct Services {
    platform::Clock& clock;
    platform::Beeper& beeper;
    platform::FileOps& files;
    platform::Dialogs& dialogs;
    platform::NotifyArea& notifyArea;
    platform::Registry* registry;  // none on Linux and macOS
    std::string settingsFile;      // see SettingsFileLocation
    std::string logFile = kLogFile;
    SaveFolderEnvironment environment = {};  // where a first-time user's saves are looked for
};

}  // namespace quorrel
