#include "platform/file_copier.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/file_ops.h"
#include "platform/file_system.h"
#include "platform/path_text.h"
#include "platform/wildcard.h"

namespace quorrel::platform {

namespace fs = std::filesystem;

void SystemFileCopier::CopyFile(const std::string& sourcePattern, const std::string& destination)
{
    const fs::path pattern = ToPath(sourcePattern);
    const fs::path folder = pattern.parent_path();
    const std::string namePattern = ToText(pattern.filename());
    const fs::path target = ToPath(destination);

    std::vector<fs::path> matches;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        // A link is not followed: its target may lie anywhere.
        std::error_code ignored;
        if (entry.symlink_status(ignored).type() == fs::file_type::regular &&
            MatchesWildcard(ToText(entry.path().filename()), namePattern, PatternsIgnoreCase())) {
            matches.push_back(entry.path());
        }
    }
    if (matches.empty()) {
        throw fs::filesystem_error("No file matches the pattern", pattern,
                                   std::make_error_code(std::errc::no_such_file_or_directory));
    }

    for (const fs::path& source : matches) {
        SystemFiles().Copy(source, target / source.filename());
    }
}

}  // namespace quorrel::platform
