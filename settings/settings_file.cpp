#include "settings/settings_file.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "platform/file_system.h"
#include "platform/path_text.h"

namespace quorrel {

namespace fs = std::filesystem;

namespace {

// Reads one line by the file's rules; false when the end of the file comes first.
bool ReadLine(std::istream& in, std::string& line)
{
    std::istream::int_type c = in.get();
    if (c == std::istream::traits_type::eof()) {
        return false;
    }
    line.clear();
    while (c != std::istream::traits_type::eof() && c != '\r') {
        line.push_back(static_cast<char>(c));
        c = in.get();
    }
    if (c == '\r' && in.peek() == '\n') {
        in.get();
    }
    return true;
}

// The settings may live in a folder that nothing has made yet: the user's configuration folder
// before the first save. Each level is made from the top down and flushed into its parent, as
// the file will be into it.
void CreateMissingFolders(const fs::path& folder, platform::FileOps& files)
{
    std::error_code ignored;  // a folder that cannot be looked at is made, and that fails
    if (folder.empty() || fs::is_directory(folder, ignored)) {
        return;
    }
    CreateMissingFolders(folder.parent_path(), files);
    platform::CreateOneDirectory(platform::ToText(folder));
    files.SyncFolder(folder.has_parent_path() ? folder.parent_path() : fs::path("."));
}

}  // namespace

std::string SettingsFilePath(const std::string& applicationDirectory)
{
    return platform::JoinPath(applicationDirectory, "Settings.ini");
}

void ReadSettingsFile(Settings& settings, const std::string& file)
{
    std::ifstream in(platform::ToPath(file), std::ios::binary);
    if (!in) {
        throw std::system_error(errno, std::generic_category(), "Cannot open " + file);
    }
    std::string line;
    for (std::string* setting :
         {&settings.SaveGameDir, &settings.SnapshotDir, &settings.RefreshTime}) {
        if (!ReadLine(in, line)) {
            throw std::runtime_error(file + " ends before its third line");
        }
        *setting = line;
    }
}

void WriteSettingsFile(const Settings& settings, const std::string& file, platform::FileOps& files)
{
    const fs::path target = platform::ToPath(file);
    fs::path temporary = target;
    temporary += ".new";
    const std::string content = settings.SaveGameDir + "\r\n" + settings.SnapshotDir + "\r\n" +
                                settings.RefreshTime + "\r\n";
    CreateMissingFolders(target.parent_path(), files);
    try {
        files.Write(temporary, content);
        files.Rename(temporary, target);
    } catch (const std::system_error&) {
        std::error_code ignored;
        fs::remove(temporary, ignored);  // whatever is left of it is of no use
        throw;
    }
    files.SyncFolder(target.has_parent_path() ? target.parent_path() : fs::path("."));
}

}  // namespace quorrel
