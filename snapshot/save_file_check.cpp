#include "snapshot/save_file_check.h"

namespace quorrel {

namespace {

constexpr std::uint32_t kSignature = 0xAA55AA55u;
constexpr std::uint32_t kFirstCheckedVersion = 92;
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kChecksumAt = 12;

std::uint32_t Field(const std::array<unsigned char, 16>& header, std::size_t at)
{
    return static_cast<std::uint32_t>(header[at]) |
           static_cast<std::uint32_t>(header[at + 1]) << 8 |
           static_cast<std::uint32_t>(header[at + 2]) << 16 |
           static_cast<std::uint32_t>(header[at + 3]) << 24;
}

}  // namespace

void SaveFileCheck::Add(std::string_view piece)
{
    for (const char c : piece) {
        auto byte = static_cast<unsigned char>(c);
        if (size_ < kHeaderSize) {
            header_[size_] = byte;
            if (size_ >= kChecksumAt) {
                byte = 0;  // the checksum's own bytes
            }
        }
        sum_ = ((sum_ << 1) | (sum_ >> 31)) + byte;
        ++size_;
    }
}

bool SaveFileCheck::InProgress() const
{
    if (size_ < kHeaderSize) {
        return true;
    }
    if (Field(header_, 0) != kSignature || Field(header_, 4) < kFirstCheckedVersion) {
        return false;
    }
    return Field(header_, 8) != size_ || Field(header_, kChecksumAt) != sum_;
}

}  // namespace quorrel
