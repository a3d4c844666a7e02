#pragma once

// Some file systems give no entry types when a folder is read (DT_UNKNOWN): ext4 made without
// "filetype", XFS without "ftype", some network and FUSE file systems. Tests set this to list
// any folder as those do.
namespace quorrel::platform::posix {

inline bool gListingIgnoresEntryTypes = false;

}  // namespace quorrel::platform::posix
