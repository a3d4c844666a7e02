#pragma once

#include <string>

namespace quorrel::platform {

// Whether a file can be created in the folder now, found out by creating an empty file of a name
// of its own there and removing it again. It asks the question that saving a file beside it will
// ask, so it answers for permission bits, access control lists, read-only volumes and immutable
// folders alike, and for the administrator as well, whom permission bits do not stop. A missing
// folder, or a file in its place, gives false.
bool CanCreateFilesIn(const std::string& folder);

}  // namespace quorrel::platform
