#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/drives.h"
#include "platform/path_text.h"

namespace quorrel::platform {

namespace {

// The kernel writes blanks, tabs and backslashes in mount points as three-digit octal escapes.
std::string DecodeMountField(const std::string& field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(),
                            [](char c) { return c >= '0' && c <= '7'; })) {
                text += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

// Whether folder is path itself or one of its ancestors, compared by whole names.
bool Holds(const std::string& folder, const std::string& path)
{
    if (folder == "/") {
        return !path.empty() && path.front() == '/';
    }
    return path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

}  // namespace

std::vector<std::string> ListDrives()
{
    // Volumes are the mounts of block devices; the kernel's own file systems (proc, sysfs,
    // cgroups, tmpfs) hold no player's files. Without /proc (macOS) only the root is offered.
    std::vector<std::string> drives{"/"};
    std::ifstream mounts("/proc/self/mounts");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device;
        std::string mountPoint;
        if (!(fields >> device >> mountPoint) || device.rfind("/dev/", 0) != 0) {
            continue;
        }
        mountPoint = DecodeMountField(mountPoint);
        std::error_code error;
        if (!std::filesystem::is_directory(ToPath(mountPoint), error) ||
            std::find(drives.begin(), drives.end(), mountPoint) != drives.end()) {
            continue;
        }
        drives.push_back(mountPoint);
    }
    std::sort(drives.begin() + 1, drives.end());
    return drives;
}

std::string DriveOf(const std::string& path)
{
    std::string best = "/";
    for (const std::string& drive : ListDrives()) {
        if (drive.size() > best.size() && Holds(drive, path)) {
            best = drive;
        }
    }
    return best;
}

std::string CurrentDirectoryOfDrive(const std::string& drive)
{
    return drive;
}

bool SameDrive(const std::string& left, const std::string& right)
{
    return left == right;
}

}  // namespace quorrel::platform
