#include "snapshot/snapshot_folder.h"

namespace quorrel {

std::string BaseName(const std::string& filename)
{
    const std::string::size_type dot = filename.rfind('.');
    return dot == std::string::npos ? filename : filename.substr(0, dot);
}

std::string SnapshotFolderName(const std::string& baseName, const platform::LocalDateTime& taken)
{
    return baseName + "-" + platform::FormatDate(taken) + "-" + platform::FormatTime(taken);
}

}  // namespace quorrel
