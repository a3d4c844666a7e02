#include "snapshot/character_summary.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/save_header.h"

namespace quorrel {
namespace {

using test::SaveHeader;

CharacterSummary Hero(std::function<void(CharacterSummary&)> change = {})
{
    CharacterSummary summary;
    summary.name = "Hero";
    summary.characterClass = CharacterClass::Sorceress;
    summary.level = 42;
    summary.expansion = true;
    if (change) {
        change(summary);
    }
    return summary;
}

// Each known version gives the same character, wherever it keeps the name.
TEST(CharacterSummaryTest, FieldsAreReadAsTheGameWritesThem)
{
    struct Case {
        const char* what;
        std::function<void(SaveHeader&)> write;
        CharacterSummary expected;
    };
    const auto status = [](std::uint8_t bits) {
        return [bits](SaveHeader& header) { header.status = bits; };
    };
    const Case cases[] = {
        {"classic softcore", status(0x00), Hero([](auto& h) { h.expansion = false; })},
        {"hardcore", status(0x04), Hero([](auto& h) { h.expansion = false, h.hardcore = true; })},
        {"died in softcore", status(0x28), Hero([](auto& h) { h.died = true; })},
        {"dead in hardcore", status(0x2C), Hero([](auto& h) { h.hardcore = h.died = true; })},
        {"ladder", status(0x60), Hero([](auto& h) { h.ladder = true; })},
        {"unknown bits ignored", status(0x93), Hero([](auto& h) { h.expansion = false; })},
        {"level 1", [](auto& h) { h.level = 1; }, Hero([](auto& h) { h.level = 1; })},
        {"level 99", [](auto& h) { h.level = 99; }, Hero([](auto& h) { h.level = 99; })},
        {"15 characters", [](auto& h) { h.name = "Abcdefghij-klmn"; },
         Hero([](auto& h) { h.name = "Abcdefghij-klmn"; })},
        {"no save time", [](auto& h) { h.savedAt = 0; }, Hero()},
        {"a save time", [](auto& h) { h.savedAt = 1796569449; },
         Hero([](auto& h) { h.savedAt = 1796569449; })},
    };
    for (const std::uint32_t version : {96u, 97u, 98u, 99u}) {
        for (const Case& c : cases) {
            SaveHeader header;
            header.version = version;
            c.write(header);
            EXPECT_EQ(ReadCharacterSummary(header.bytes()), c.expected) << c.what << " " << version;
            EXPECT_EQ(SaveFormatVersion(header.bytes()), version);
        }
    }
}

TEST(CharacterSummaryTest, NamesBeyondAsciiAreReadFromTheRemasteredGamesField)
{
    SaveHeader header;
    header.version = 99;
    header.name = "てすと";  // 9 bytes of UTF-8
    EXPECT_EQ(ReadCharacterSummary(header.bytes()), Hero([](auto& h) { h.name = "てすと"; }));
    header.version = 96;  // the original game's field is ASCII
    EXPECT_EQ(ReadCharacterSummary(header.bytes()), std::nullopt);
}

TEST(CharacterSummaryTest, AnythingDoubtfulGivesNoSummary)
{
    struct Case {
        const char* what;
        std::function<std::string()> bytes;
    };
    const auto with = [](std::function<void(SaveHeader&)> change) {
        return [change] {
            SaveHeader header;
            change(header);
            return header.bytes();
        };
    };
    const Case cases[] = {
        {"16 characters, no end", with([](auto& h) { h.name = "Abcdefghij-klmno"; })},
        {"16 characters in the remastered field",
         with([](auto& h) { h.version = 98, h.name = "Abcdefghij-klmno"; })},
        {"one character", with([](auto& h) { h.name = "H"; })},
        {"empty name", with([](auto& h) { h.name = ""; })},
        {"control character", with([](auto& h) { h.name = "He\tro"; })},
        {"digit", with([](auto& h) { h.name = "Hero2"; })},
        {"text after the end", with([](auto& h) { h.name = std::string("Hero\0x", 6); })},
        {"broken UTF-8", with([](auto& h) { h.version = 99, h.name = "He\xC3"; })},
        {"overlong UTF-8", with([](auto& h) { h.version = 99, h.name = "He\xC0\xAF"; })},
        {"direction change", with([](auto& h) { h.version = 99, h.name = "He\u202Ero"; })},
        {"class 7", with([](auto& h) { h.characterClass = 7; })},
        {"class 255", with([](auto& h) { h.characterClass = 255; })},
        {"level 0", with([](auto& h) { h.level = 0; })},
        {"level 100", with([](auto& h) { h.level = 100; })},
        {"format 71", with([](auto& h) { h.version = 71; })},
        {"format 92", with([](auto& h) { h.version = 92; })},
        {"format 105", with([](auto& h) { h.version = 105; })},
        {"version 98 with the name only in the old field",
         [] {
             SaveHeader header;
             std::string bytes = header.bytes();
             bytes[4] = 98;
             return bytes;
         }},
        {"signature in the wrong byte order",
         [] { return "\xAA\x55\xAA\x55" + SaveHeader().bytes().substr(4); }},
        {"nothing", [] { return std::string(); }},
        {"signature only", [] { return SaveHeader().bytes().substr(0, 4); }},
        {"cut before the save time", [] { return SaveHeader().bytes().substr(0, 0x33); }},
        {"remastered, cut in the name field",
         [] {
             SaveHeader header;
             header.version = 98;
             return header.bytes().substr(0, 0x10B + 47);
         }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadCharacterSummary(c.bytes()), std::nullopt) << c.what;
    }
}

TEST(CharacterSummaryTest, TheFewestBytesThatHoldTheFieldsAreEnough)
{
    SaveHeader header;
    EXPECT_TRUE(ReadCharacterSummary(header.bytes().substr(0, 0x34)));
    header.version = 98;
    EXPECT_TRUE(ReadCharacterSummary(header.bytes().substr(0, kSummaryBytes)));
    EXPECT_EQ(SaveFormatVersion(header.bytes().substr(0, 7)), std::nullopt);
    EXPECT_EQ(SaveFormatVersion(header.bytes().substr(0, 8)), 98u);
}

}  // namespace
}  // namespace quorrel
