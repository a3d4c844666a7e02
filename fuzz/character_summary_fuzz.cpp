// The character summary on any bytes: never more than the header's first bytes count, and a
// summary is only ever one that the game could have written, its name well-formed UTF-8.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "snapshot/character_summary.h"

namespace {

// Well-formed UTF-8 as the Unicode standard tabulates it, apart from the program's own reading:
// each lead byte, the bytes that follow it, and the range its first follower must fall in; every
// further follower is 80-BF.
bool WellFormedUtf8(std::string_view text)
{
    struct Row {
        std::uint8_t first, last;
        std::size_t length;
        std::uint8_t low, high;
    };
    constexpr Row kRows[] = {
        {0x00, 0x7F, 1, 0, 0},       {0xC2, 0xDF, 2, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0xA0, 0xBF},
        {0xE1, 0xEC, 3, 0x80, 0xBF}, {0xED, 0xED, 3, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x80, 0xBF},
        {0xF0, 0xF0, 4, 0x90, 0xBF}, {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F}};
    const auto byte = [text](std::size_t at) { return static_cast<std::uint8_t>(text[at]); };
    for (std::size_t at = 0; at < text.size();) {
        const Row* row = std::find_if(std::begin(kRows), std::end(kRows), [&](const Row& r) {
            return byte(at) >= r.first && byte(at) <= r.last;
        });
        if (row == std::end(kRows) || at + row->length > text.size()) {
            return false;
        }
        for (std::size_t i = 1; i < row->length; ++i) {
            const std::uint8_t low = i == 1 ? row->low : 0x80;
            const std::uint8_t high = i == 1 ? row->high : 0xBF;
            if (byte(at + i) < low || byte(at + i) > high) {
                return false;
            }
        }
        at += row->length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto summary = quorrel::ReadCharacterSummary(bytes);
    if (summary != quorrel::ReadCharacterSummary(bytes.substr(0, quorrel::kSummaryBytes))) {
        std::abort();
    }
    if (!summary) {
        return 0;
    }
    const auto version = quorrel::SaveFormatVersion(bytes);
    if (!version || *version < 96 || *version > 99 || summary->level < 1 || summary->level > 99 ||
        summary->name.size() < 2 || summary->name.size() > 47 ||
        summary->name.find('\0') != std::string::npos || !WellFormedUtf8(summary->name) ||
        quorrel::ClassName(summary->characterClass).empty()) {
        std::abort();
    }
    for (const char c : summary->name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            std::abort();
        }
    }
    return 0;
}
