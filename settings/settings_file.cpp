#include "settings/settings_file.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "platform/code_page.h"
#include "platform/file_content.h"
#include "platform/file_system.h"
#include "platform/path_text.h"

namespace quorrel {

namespace fs = std::filesystem;

namespace {

// The longest line that is read. Settings.ini holds two folders and a number; a longer line is
// no settings file, and is not held in memory to find that out.
constexpr std::size_t kLongestLine = 32 * 1024;

// Starts a file whose text the system's code page cannot hold, which is then UTF-8.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The most of the file that the three lines can take with their line ends and a byte-order
// mark. A longer file that holds fewer than three CRs in this much has a line that is too long,
// whatever follows.
constexpr std::size_t kLongestFile = 3 * (kLongestLine + 2) + kUtf8Mark.size();

// Stops reading the file once what the settings need is in.
struct EnoughRead {};

// Reads one line by the file's rules; false when the end of the file comes first. Throws when
// the line is longer than kLongestLine or holds a NUL, which would cut a folder short wherever
// the text is handed to the system.
bool ReadLine(std::istream& in, std::string& line)
{
    using Traits = std::istream::traits_type;
    std::streambuf& bytes = *in.rdbuf();
    Traits::int_type c = bytes.sbumpc();
    if (c == Traits::eof()) {
        return false;
    }
    line.clear();
    while (c != Traits::eof() && c != '\r') {
        if (c == '\0') {
            throw std::runtime_error("Settings.ini holds a NUL");
        }
        if (line.size() == kLongestLine) {
            throw std::runtime_error("Settings.ini holds a line longer than 32 KiB");
        }
        line.push_back(Traits::to_char_type(c));
        c = bytes.sbumpc();
    }
    if (c == '\r' && bytes.sgetc() == '\n') {
        bytes.sbumpc();
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
    // A root is its own parent: a drive that is gone ("R:\\") is reported, not climbed for ever.
    if (folder.parent_path() != folder) {
        CreateMissingFolders(folder.parent_path(), files);
    }
    platform::CreateOneDirectory(platform::ToText(folder));
    files.SyncFolder(folder.has_parent_path() ? folder.parent_path() : fs::path("."));
}

}  // namespace

std::string SettingsFilePath(const std::string& applicationDirectory)
{
    return platform::JoinPath(applicationDirectory, "Settings.ini");
}

// Read as a plain file, so that a FIFO or a link in its place is refused rather than waited on
// or followed, and only as far as the three lines can go: a huge file, or a link to a device that
// never ends, costs no more than that.
void ReadSettingsFile(Settings& settings, const std::string& file)
{
    std::string content;
    std::size_t lineEnds = 0;
    try {
        platform::ReadPlainFile(platform::ToPath(file), [&](std::string_view piece) {
            const std::size_t room = kLongestFile + 1 - content.size();
            piece = piece.substr(0, std::min(piece.size(), room));
            lineEnds += static_cast<std::size_t>(std::count(piece.begin(), piece.end(), '\r'));
            content.append(piece);
            if (lineEnds >= 3 || content.size() > kLongestFile) {
                throw EnoughRead{};
            }
        });
    } catch (const EnoughRead&) {
    }
    std::istringstream in(std::move(content));
    ReadSettings(in, settings);
}

void ReadSettings(std::istream& in, Settings& settings)
{
    std::string line;
    bool utf8 = false;
    for (std::string* setting :
         {&settings.SaveGameDir, &settings.SnapshotDir, &settings.RefreshTime}) {
        if (!ReadLine(in, line)) {
            throw std::runtime_error("Settings.ini ends before its third line");
        }
        if (setting == &settings.SaveGameDir && line.starts_with(kUtf8Mark)) {
            line.erase(0, kUtf8Mark.size());
            utf8 = true;
        }
        *setting = utf8 ? line : platform::FromCodePage(line);
    }
}

void WriteSettingsFile(const Settings& settings, const std::string& file, platform::FileOps& files)
{
    const fs::path target = platform::ToPath(file);
    const std::string text = settings.SaveGameDir + "\r\n" + settings.SnapshotDir + "\r\n" +
                             settings.RefreshTime + "\r\n";
    const std::optional<std::string> inCodePage = platform::ToCodePage(text);
    const std::string content = inCodePage ? *inCodePage : std::string(kUtf8Mark) + text;
    CreateMissingFolders(target.parent_path(), files);
    platform::ReplaceWhole(files, target, content);
}

}  // namespace quorrel
