#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the header of a Diablo II save file says of its character: enough to tell one snapshot
// from another without starting the game.
namespace quorrel {

enum class CharacterClass : std::uint8_t {
    Amazon,
    Sorceress,
    Necromancer,
    Paladin,
    Barbarian,
    Druid,
    Assassin,
};

struct CharacterSummary {
    std::string name;  // UTF-8
    CharacterClass characterClass = CharacterClass::Amazon;
    int level = 1;  // 1 to 99
    bool hardcore = false;
    bool died = false;
    bool expansion = false;
    bool ladder = false;
    // When the game last saved the file, in seconds since 1970; absent when the header holds 0.
    std::optional<std::uint32_t> savedAt;

    // A hardcore character that has died: the game will not let it play again.
    bool deadInHardcore() const { return hardcore && died; }

    bool operator==(const CharacterSummary&) const = default;
};

// The most bytes of a save file that ReadCharacterSummary looks at.
inline constexpr std::size_t kSummaryBytes = 315;

// The save format version that the bytes name, when they start with the signature AA55AA55.
std::optional<std::uint32_t> SaveFormatVersion(std::string_view header);

// The summary in the first bytes of a save file, or nothing. Only the versions whose layout is
// known give one (96, the last of the original game, and 97 to 99, the remastered game's until
// 2.x). A wrong summary is worse than none, so bytes too short for the fields, a class or a level
// out of range, or a name that is not one that the game allows all give nothing.
std::optional<CharacterSummary> ReadCharacterSummary(std::string_view header);

// "Amazon", "Sorceress"...
std::string_view ClassName(CharacterClass characterClass);

}  // namespace quorrel
