#include "snapshot/character_summary.h"

#include <array>

namespace quorrel {

namespace {

constexpr std::uint32_t kSignature = 0xAA55AA55u;

// Where each version keeps the name. The status, class, level and time stay where the original
// game put them; the remastered game left the old name field empty from version 98 on and keeps
// the name, in UTF-8, further on.
struct Layout {
    std::uint32_t version;
    std::size_t name;
    std::size_t nameBytes;
};
constexpr std::array<Layout, 4> kLayouts{{
    {96, 0x14, 16},
    {97, 0x14, 16},
    {98, 0x10B, 48},
    {99, 0x10B, 48},
}};
constexpr std::size_t kStatus = 0x24;
constexpr std::size_t kClass = 0x28;
constexpr std::size_t kLevel = 0x2B;
constexpr std::size_t kSavedAt = 0x30;

constexpr std::uint8_t kHardcore = 0x04;
constexpr std::uint8_t kDied = 0x08;
constexpr std::uint8_t kExpansion = 0x20;
constexpr std::uint8_t kLadder = 0x40;

constexpr int kMaxNameCharacters = 15;
constexpr int kMinNameCharacters = 2;

std::uint8_t Byte(std::string_view bytes, std::size_t at)
{
    return static_cast<std::uint8_t>(bytes[at]);
}

std::uint32_t Word(std::string_view bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(Byte(bytes, at + i)) << (8 * i);
    }
    return value;
}

// The next code point of well-formed UTF-8 (no overlong forms, no surrogates, nothing beyond
// U+10FFFF), or nothing. A lead byte says how many bytes follow: C2-DF one, E0-EF two, F0-F4
// three; 80-C1 and F5-FF lead nothing.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at)
{
    const std::uint8_t lead = Byte(text, at);
    std::size_t length = 1;
    char32_t point = lead;
    char32_t least = 0;
    if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, point = lead & 0x07u, least = 0x10000;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, point = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, point = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0x80) {
        return std::nullopt;
    }
    if (at + length > text.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t next = Byte(text, at + i);
        if ((next & 0xC0u) != 0x80u) {
            return std::nullopt;
        }
        point = (point << 6) | (next & 0x3Fu);
    }
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        return std::nullopt;
    }
    at += length;
    return point;
}

// Letters, "-" and "_" in ASCII, as the game allows them; beyond ASCII (the remastered game
// takes names in other scripts) anything but control, line-breaking and direction-changing
// characters, which would garble the line that shows the name.
bool IsNameCharacter(char32_t point)
{
    if (point < 0x80) {
        return (point >= 'A' && point <= 'Z') || (point >= 'a' && point <= 'z') || point == '-' ||
               point == '_';
    }
    return point >= 0xA0 && point != 0x2028 && point != 0x2029 &&
           !(point >= 0x200B && point <= 0x200F) && !(point >= 0x202A && point <= 0x202E) &&
           !(point >= 0x2066 && point <= 0x2069) && point != 0xFEFF;
}

// The name in a field: text, then NUL bytes to the end of the field. At least one NUL, since the
// game writes the name NUL-terminated.
std::optional<std::string> ReadName(std::string_view field, bool ascii)
{
    const std::size_t end = field.find('\0');
    if (end == std::string_view::npos ||
        field.find_first_not_of('\0', end) != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view text = field.substr(0, end);
    int characters = 0;
    for (std::size_t at = 0; at < text.size(); ++characters) {
        const std::optional<char32_t> point = NextCodePoint(text, at);
        if (!point || !IsNameCharacter(*point) || (ascii && *point >= 0x80)) {
            return std::nullopt;
        }
    }
    if (characters < kMinNameCharacters || characters > kMaxNameCharacters) {
        return std::nullopt;
    }
    return std::string(text);
}

}  // namespace

std::optional<std::uint32_t> SaveFormatVersion(std::string_view header)
{
    if (header.size() < 8 || Word(header, 0) != kSignature) {
        return std::nullopt;
    }
    return Word(header, 4);
}

std::optional<CharacterSummary> ReadCharacterSummary(std::string_view header)
{
    const std::optional<std::uint32_t> version = SaveFormatVersion(header);
    if (!version) {
        return std::nullopt;
    }
    const Layout* layout = nullptr;
    for (const Layout& known : kLayouts) {
        if (known.version == *version) {
            layout = &known;
        }
    }
    if (layout == nullptr || header.size() < layout->name + layout->nameBytes ||
        header.size() < kSavedAt + 4) {
        return std::nullopt;
    }
    const std::uint8_t characterClass = Byte(header, kClass);
    const std::uint8_t level = Byte(header, kLevel);
    if (characterClass > static_cast<std::uint8_t>(CharacterClass::Assassin) || level < 1 ||
        level > 99) {
        return std::nullopt;
    }
    std::optional<std::string> name =
        ReadName(header.substr(layout->name, layout->nameBytes), layout->nameBytes == 16);
    if (!name) {
        return std::nullopt;
    }
    CharacterSummary summary;
    summary.name = std::move(*name);
    summary.characterClass = static_cast<CharacterClass>(characterClass);
    summary.level = level;
    const std::uint8_t status = Byte(header, kStatus);
    summary.hardcore = (status & kHardcore) != 0;
    summary.died = (status & kDied) != 0;
    summary.expansion = (status & kExpansion) != 0;
    summary.ladder = (status & kLadder) != 0;
    if (const std::uint32_t savedAt = Word(header, kSavedAt); savedAt != 0) {
        summary.savedAt = savedAt;
    }
    return summary;
}

std::string_view ClassName(CharacterClass characterClass)
{
    switch (characterClass) {
        case CharacterClass::Amazon:
            return "Amazon";
        case CharacterClass::Sorceress:
            return "Sorceress";
        case CharacterClass::Necromancer:
            return "Necromancer";
        case CharacterClass::Paladin:
            return "Paladin";
        case CharacterClass::Barbarian:
            return "Barbarian";
        case CharacterClass::Druid:
            return "Druid";
        case CharacterClass::Assassin:
            break;
    }
    return "Assassin";
}

}  // namespace quorrel
