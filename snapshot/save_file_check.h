#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quorrel {

// Whether a Diablo II save is still being written, judged by its own content. From version 92
// on, a save (signature AA55AA55, little-endian like every field) carries its own length at
// offset 8 and a checksum at offset 12: the 32-bit sum over every byte of the file, bytes 12 to
// 15 taken as zero, where each step rotates the sum left by one bit and adds the byte. A save
// shorter than 16 bytes, or whose length or checksum does not match, is caught part-way. Other
// content (no signature, an older version) cannot be judged and counts as whole.
//
// The bytes are given in order, in pieces of any size, so that a file of any length is checked
// without being held in memory.
class SaveFileCheck {
public:
    void Add(std::string_view piece);
    bool InProgress() const;

private:
    std::array<unsigned char, 16> header_{};
    std::uint64_t size_ = 0;
    std::uint32_t sum_ = 0;
};

}  // namespace quorrel
