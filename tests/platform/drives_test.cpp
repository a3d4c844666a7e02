#include "platform/drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

// The drive boxes select DriveOf's answer among ListDrives() and open CurrentDirectoryOfDrive.
TEST(DrivesTest, EveryFolderLiesOnAListedDriveThatOpensAsAFolder)
{
    const test::TempFolder temp;
    const std::vector<std::string> drives = ListDrives();
    for (const std::string& folder : {CurrentDirectory(), temp.text()}) {
        const std::string drive = DriveOf(folder);
        EXPECT_TRUE(
            std::any_of(drives.begin(), drives.end(),
                        [&](const std::string& listed) { return SameDrive(listed, drive); }))
            << folder << " is on " << drive;
        EXPECT_TRUE(std::filesystem::is_directory(CurrentDirectoryOfDrive(drive))) << drive;
    }
}

}  // namespace
}  // namespace quorrel::platform
