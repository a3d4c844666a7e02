#include "platform/drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

bool Listed(const std::vector<std::string>& drives, const std::string& drive)
{
    return std::any_of(drives.begin(), drives.end(),
                       [&](const std::string& listed) { return SameDrive(listed, drive); });
}

TEST(DrivesTest, EveryFolderLiesOnAListedDriveThatOpensAsAFolder)
{
    const test::TempFolder temp;
    const std::vector<std::string> drives = ListDrives();
    ASSERT_FALSE(drives.empty());
    for (const std::string& folder : {CurrentDirectory(), temp.text()}) {
        const std::string drive = DriveOf(folder);
        EXPECT_TRUE(Listed(drives, drive)) << folder << " is on " << drive;
        EXPECT_TRUE(std::filesystem::is_directory(CurrentDirectoryOfDrive(drive))) << drive;
    }
}

}  // namespace
}  // namespace quorrel::platform
