#pragma once

#include <string>
#include <vector>

#include "snapshot/filenames.h"

namespace quorrel {

// One record per plain file of the folder, in listing order, with its stamp: the folder as a
// check of the snapshot cycle sees it, and as TakeSnapshot expects its files. Throws when the
// folder cannot be listed or a stamp cannot be read.
std::vector<Filenames> ListWithStamps(const std::string& folder);

}  // namespace quorrel
