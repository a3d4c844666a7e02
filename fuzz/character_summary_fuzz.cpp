// The character summary on any bytes: never more than the header's first bytes count, and a
// summary is only ever one that the game could have written.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "snapshot/character_summary.h"

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
        summary->name.find('\0') != std::string::npos ||
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
