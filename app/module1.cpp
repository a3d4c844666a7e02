#include "app/module1.h"

#include "settings/settings_file.h"
#include "snapshot/check_period.h"

namespace quorrel {

Module1::Module1(platform::Timer& Timer1, SnapshotServices services)
    : engine_(settings_, Timer1, std::move(services))
{
}

void Module1::Apply(const Settings& edited, const std::string& settingsFile)
{
    CheckPeriodOf(edited.RefreshTime);
    WriteSettingsFile(edited, settingsFile);

    const bool newSaveFolder = edited.SaveGameDir != settings_.SaveGameDir;
    settings_ = edited;
    // Cannot throw now: the same refresh time passed the same check above.
    engine_.SetCheckPeriod();
    if (newSaveFolder) {
        try {
            engine_.RecordSaveFolder();
        } catch (const std::exception&) {
            // Nothing is lost: the files not recorded now are taken in as first seen by the next
            // check, which logs the failure if the folder still cannot be listed.
        }
    }
}

}  // namespace quorrel
