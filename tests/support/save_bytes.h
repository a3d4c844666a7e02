#pragma once

#include <cstdint>
#include <string>

namespace quorrel::test {

// The bytes of a whole Diablo II save as the game writes it: the signature AA55AA55, the
// version, the file's own length and its checksum, all little-endian, then `size` - 16 bytes of
// content drawn from `seed`. Written here apart from the program's own check, so that a test
// compares two independent readings of the format.
inline std::string SaveBytes(std::size_t size, std::uint32_t version = 96, unsigned seed = 1)
{
    std::string bytes(size < 16 ? 16 : size, '\0');
    const auto put = [&bytes](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
        }
    };
    put(0, 0xAA55AA55u);
    put(4, version);
    put(8, static_cast<std::uint32_t>(bytes.size()));
    for (std::size_t i = 16; i < bytes.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(seed >> 16);
    }
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint64_t byte = i >= 12 && i < 16 ? 0 : static_cast<unsigned char>(bytes[i]);
        sum = ((sum << 1) | (sum >> 31)) & 0xFFFFFFFFu;
        sum = (sum + byte) & 0xFFFFFFFFu;
    }
    put(12, static_cast<std::uint32_t>(sum));
    return bytes;
}

}  // namespace quorrel::test
