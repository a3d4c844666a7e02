#pragma once

#include <string>

namespace quorrel {

// One file of the save folder as a check saw it.
struct Filenames {
    std::string filename;    // name inside the save folder, without folder
    std::string Attributes;  // the file's stamp (see platform::FileStamp); only ever compared

    bool operator==(const Filenames&) const = default;
};

}  // namespace quorrel
