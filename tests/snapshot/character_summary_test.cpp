#include "snapshot/character_summary.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/save_header.h"

namespace quorrel {
namespace {

using test::SaveHeader;
using Change = std::function<void(SaveHeader&)>;

std::string Bytes(const Change& change)
{
    SaveHeader header;
    change(header);
    return header.bytes();
}

// Each known version gives the character as the game wrote it, wherever it keeps the name.
TEST(CharacterSummaryTest, FieldsAreReadAsTheGameWritesThem)
{
    struct Case {
        const char* what;
        Change write;
        std::function<void(CharacterSummary&)> expect;
    };
    const auto status = [](std::uint8_t bits) { return [bits](auto& h) { h.status = bits; }; };
    const Case cases[] = {
        {"expansion", status(0x20), [](auto&) {}},
        {"classic", status(0x00), [](auto& h) { h.expansion = false; }},
        {"hardcore", status(0x04), [](auto& h) { h.expansion = false, h.hardcore = true; }},
        {"died in softcore", status(0x28), [](auto& h) { h.died = true; }},
        {"dead in hardcore", status(0x2C), [](auto& h) { h.hardcore = h.died = true; }},
        {"ladder", status(0x60), [](auto& h) { h.ladder = true; }},
        {"unknown bits ignored", status(0x93), [](auto& h) { h.expansion = false; }},
        {"level 1", [](auto& h) { h.level = 1; }, [](auto& h) { h.level = 1; }},
        {"level 99", [](auto& h) { h.level = 99; }, [](auto& h) { h.level = 99; }},
        {"Assassin", [](auto& h) { h.characterClass = 6; },
         [](auto& h) { h.characterClass = CharacterClass::Assassin; }},
        {"15 characters", [](auto& h) { h.name = "Abcdefghij-klmn"; },
         [](auto& h) { h.name = "Abcdefghij-klmn"; }},
        {"a save time", [](auto& h) { h.savedAt = 1796569449; },
         [](auto& h) { h.savedAt = 1796569449; }},
    };
    for (const std::uint32_t version : {96u, 97u, 98u, 99u}) {
        for (const Case& c : cases) {
            CharacterSummary expected{
                "Hero", CharacterClass::Sorceress, 42, false, false, true, false, {}};
            c.expect(expected);
            const std::string bytes =
                Bytes([&](SaveHeader& h) { h.version = version, c.write(h); });
            EXPECT_EQ(ReadCharacterSummary(bytes), expected) << c.what << " " << version;
            EXPECT_EQ(SaveFormatVersion(bytes), version);
        }
    }
    // The remastered game's field takes UTF-8; the fewest bytes that hold the fields are enough.
    const std::string utf8 = Bytes([](auto& h) { h.version = 99, h.name = "\u00c9t\U0001F600"; });
    EXPECT_EQ(ReadCharacterSummary(utf8)->name, "\u00c9t\U0001F600");
    EXPECT_TRUE(ReadCharacterSummary(SaveHeader().bytes().substr(0, 0x34)));
    EXPECT_TRUE(ReadCharacterSummary(utf8.substr(0, kSummaryBytes)));
}

TEST(CharacterSummaryTest, AnythingDoubtfulGivesNoSummary)
{
    // A name in the remastered game's field.
    const auto named = [](std::string name) {
        return Bytes([name](auto& h) { h.version = 99, h.name = name; });
    };
    const std::pair<const char*, std::string> cases[] = {
        {"16 characters, no end", Bytes([](auto& h) { h.name = "Abcdefghij-klmno"; })},
        {"16 characters in the remastered field", named("Abcdefghij-klmno")},
        {"one character", Bytes([](auto& h) { h.name = "H"; })},
        {"empty name", Bytes([](auto& h) { h.name = ""; })},
        {"control character", Bytes([](auto& h) { h.name = "He\tro"; })},
        {"digit", Bytes([](auto& h) { h.name = "Hero2"; })},
        {"text after the end", Bytes([](auto& h) { h.name = std::string("Hero\0x", 6); })},
        {"beyond ASCII in the original field", Bytes([](auto& h) { h.name = "H\u00e9ro"; })},
        {"cut UTF-8", named("He\xC3")},
        {"overlong UTF-8", named("He\xC0\xAF")},
        {"an overlong e acute", named("H\xE0\x83\xA9ro")},
        {"a surrogate", named("He\xED\xA0\x80ro")},
        {"beyond U+10FFFF", named("He\xF4\x90\x80\x80")},
        {"lead byte F5", named("He\xF5\x80\x80ro")},
        {"lead byte F8", named("He\xF8\x88\x80\x80\x80")},
        {"lead byte FF", named("He\xFF\xBF\xBFro")},
        {"a lone continuation byte", named("He\x80ro")},
        {"direction change", named("He\u202Ero")},
        {"class 7", Bytes([](auto& h) { h.characterClass = 7; })},
        {"level 0", Bytes([](auto& h) { h.level = 0; })},
        {"level 100", Bytes([](auto& h) { h.level = 100; })},
        {"format 92", Bytes([](auto& h) { h.version = 92; })},
        {"format 105", Bytes([](auto& h) { h.version = 105; })},
        {"version 98 with the name only in the old field",
         SaveHeader().bytes().replace(4, 1, 1, '\x62')},
        {"signature in the wrong byte order",
         SaveHeader().bytes().replace(0, 4, "\xAA\x55\xAA\x55")},
        {"nothing", ""},
        {"signature only", SaveHeader().bytes().substr(0, 4)},
        {"cut before the save time", SaveHeader().bytes().substr(0, 0x33)},
        {"remastered, cut in the name field", named("Hero").substr(0, 0x10B + 47)},
    };
    for (const auto& [what, bytes] : cases) {
        EXPECT_EQ(ReadCharacterSummary(bytes), std::nullopt) << what;
    }
    EXPECT_EQ(SaveFormatVersion(SaveHeader().bytes().substr(0, 7)), std::nullopt);
}

}  // namespace
}  // namespace quorrel
