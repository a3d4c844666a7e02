#pragma once

#include <string>

namespace quorrel {

// One file of the save folder as a check saw it.
struct Filenames {
    std::string filename;    // name inside the save folder, without folder
    std::string Attributes;  // last-modified stamp as text; only ever compared for equality
};

}  // namespace quorrel
