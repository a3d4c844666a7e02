#pragma once

#include <cstdint>
#include <string>

namespace quorrel::test {

// Writes a 32-bit number into `bytes` at `at`, little-endian, as the game writes its saves.
inline void PutNumber(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// A whole Diablo II save: signature, version, length and checksum, then content drawn from
// `seed`. Written apart from the program's own check, so that a test compares two readings.
inline std::string SaveBytes(std::size_t size, std::uint32_t version = 96, unsigned seed = 1)
{
    std::string bytes(size < 16 ? 16 : size, '\0');
    PutNumber(bytes, 0, 0xAA55AA55u);
    PutNumber(bytes, 4, version);
    PutNumber(bytes, 8, static_cast<std::uint32_t>(bytes.size()));
    for (std::size_t i = 16; i < bytes.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(seed >> 16);
    }
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        sum =
            (sum << 1 | sum >> 31) + (i >= 12 && i < 16 ? 0 : static_cast<unsigned char>(bytes[i]));
    }
    PutNumber(bytes, 12, sum);
    return bytes;
}

}  // namespace quorrel::test
