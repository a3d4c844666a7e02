// The save-file check on any bytes: the verdict does not depend on how the file is read in
// pieces, and the same bytes given a right header (length and checksum worked out here, apart
// from the program) are always judged whole.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "snapshot/save_file_check.h"

namespace {

void Put(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

std::string WithRightHeader(std::string bytes)
{
    Put(bytes, 0, 0xAA55AA55u);
    Put(bytes, 4, 96);
    Put(bytes, 8, static_cast<std::uint32_t>(bytes.size()));
    Put(bytes, 12, 0);
    std::uint32_t sum = 0;
    for (const char c : bytes) {
        sum = (sum << 1 | sum >> 31) + static_cast<unsigned char>(c);
    }
    Put(bytes, 12, sum);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    quorrel::SaveFileCheck whole;
    whole.Add(bytes);
    const bool verdict = whole.InProgress();
    quorrel::SaveFileCheck pieces;
    const std::size_t split = size == 0 ? 0 : data[0] % size;
    pieces.Add(bytes.substr(0, split));
    pieces.Add(bytes.substr(split));
    if (pieces.InProgress() != verdict) {
        std::abort();
    }
    if (size >= 16) {
        quorrel::SaveFileCheck rightHeader;
        rightHeader.Add(WithRightHeader(std::string(bytes)));
        if (rightHeader.InProgress()) {
            std::abort();
        }
    }
    return 0;
}
