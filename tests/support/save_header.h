#pragma once

#include "support/save_bytes.h"

namespace quorrel::test {

// The 765-byte header of a Diablo II save with the fields that tell the character apart, every
// other byte 0, written from the format's description apart from the program's own reading. From
// version 98 the name is at 0x10B, not 0x14.
struct SaveHeader {
    std::uint32_t version = 96;
    std::string name = "Hero";        // written as it is, however long
    std::uint8_t status = 0x20;       // expansion
    std::uint8_t characterClass = 1;  // Sorceress
    std::uint8_t level = 42;
    std::uint32_t savedAt = 0;

    std::string bytes() const
    {
        std::string header(765, '\0');
        PutNumber(header, 0, 0xAA55AA55u);
        PutNumber(header, 4, version);
        PutNumber(header, 8, 765);
        header.replace(version >= 98 ? 0x10B : 0x14, name.size(), name);
        header[0x24] = static_cast<char>(status);
        header[0x28] = static_cast<char>(characterClass);
        header[0x2B] = static_cast<char>(level);
        PutNumber(header, 0x30, savedAt);
        return header;
    }
};

}  // namespace quorrel::test
