// What a save's bytes and names tell: its character, whether it is whole, a save set or a stash.
#include "snapshot/character_summary.h"

#include <gtest/gtest.h>

#include <functional>

#include "snapshot/save_file_check.h"
#include "snapshot/save_set.h"
#include "support/save_header.h"

namespace quorrel {
namespace {

using namespace test;

TEST(CharacterSummaryTest, FieldsAreReadAsTheGameWritesThem)
{
    struct Case {
        const char* what;
        SaveHeader header;
        std::function<void(CharacterSummary&)> expect;
    };
    const Case cases[] = {
        {"expansion", {.status = 0x20}, [](auto&) {}},
        {"hardcore", {.status = 0x04}, [](auto& h) { h.expansion = false, h.hardcore = true; }},
        {"died in softcore", {.status = 0x28}, [](auto& h) { h.died = true; }},
        {"ladder", {.status = 0x60}, [](auto& h) { h.ladder = true; }},
        {"unknown bits ignored", {.status = 0x93}, [](auto& h) { h.expansion = false; }},
        {"level 1", {.level = 1}, [](auto& h) { h.level = 1; }},
        {"an Assassin of level 99",
         {.characterClass = 6, .level = 99},
         [](auto& h) { h.characterClass = CharacterClass::Assassin, h.level = 99; }},
        {"15 characters", {.name = "Abcdefghij-klmn"}, [](auto& h) { h.name = "Abcdefghij-klmn"; }},
        {"a save time", {.savedAt = 1796569449}, [](auto& h) { h.savedAt = 1796569449; }},
    };
    for (const std::uint32_t version : {96u, 97u, 98u, 99u}) {
        for (const Case& c : cases) {
            CharacterSummary expected{
                "Hero", CharacterClass::Sorceress, 42, false, false, true, false, {}};
            c.expect(expected);
            SaveHeader header = c.header;
            header.version = version;
            EXPECT_EQ(ReadCharacterSummary(header.bytes()), expected) << c.what << " " << version;
            EXPECT_EQ(SaveFormatVersion(header.bytes()), version);
        }
    }
    // The remastered game's field takes UTF-8; the fewest bytes that hold the fields are enough.
    const std::string utf8 = SaveHeader{.version = 99, .name = "\u00c9t\U0001F600"}.bytes();
    EXPECT_EQ(ReadCharacterSummary(utf8)->name, "\u00c9t\U0001F600");
    EXPECT_TRUE(ReadCharacterSummary(SaveHeader().bytes().substr(0, 0x34)));
    EXPECT_TRUE(ReadCharacterSummary(utf8.substr(0, kSummaryBytes)));
}

TEST(CharacterSummaryTest, AnythingDoubtfulGivesNoSummary)
{
    const auto bytes = [](SaveHeader header) { return header.bytes(); };
    const auto named = [](std::string name) {
        return SaveHeader{.version = 99, .name = name}.bytes();
    };
    const std::pair<const char*, std::string> cases[] = {
        {"16 characters, no end", bytes({.name = "Abcdefghij-klmno"})},
        {"16 characters in the remastered field", named("Abcdefghij-klmno")},
        {"one character", bytes({.name = "H"})},
        {"digit", bytes({.name = "Hero2"})},
        {"text after the end", bytes({.name = std::string("Hero\0x", 6)})},
        {"beyond ASCII in the original field", bytes({.name = "H\u00e9ro"})},
        {"cut UTF-8", named("He\xC3")},
        {"an overlong e acute", named("H\xE0\x83\xA9ro")},
        {"a surrogate", named("He\xED\xA0\x80ro")},
        {"beyond U+10FFFF", named("He\xF4\x90\x80\x80")},
        {"lead byte F5", named("He\xF5\x80\x80ro")},
        {"direction change", named("He\u202Ero")},
        {"class 7", bytes({.characterClass = 7})},
        {"level 0", bytes({.level = 0})},
        {"level 100", bytes({.level = 100})},
        {"format 92", bytes({.version = 92})},
        {"version 98 with the name only in the old field",
         SaveHeader().bytes().replace(4, 1, 1, '\x62')},
        {"signature in the wrong byte order",
         SaveHeader().bytes().replace(0, 4, "\xAA\x55\xAA\x55")},
        {"nothing", ""},
        {"cut before the save time", SaveHeader().bytes().substr(0, 0x33)},
        {"remastered, cut in the name field", named("Hero").substr(0, 0x10B + 47)},
    };
    for (const auto& [what, content] : cases) {
        EXPECT_EQ(ReadCharacterSummary(content), std::nullopt) << what;
    }
    EXPECT_EQ(SaveFormatVersion(SaveHeader().bytes().substr(0, 7)), std::nullopt);
}

// A whole save of version 96 and 24 bytes, its checksum worked out apart from any program.
const std::string kSmallSave(
    "\x55\xaa\x55\xaa\x60\x00\x00\x00\x18\x00\x00\x00\xdd\x60\x4c\x6d"
    "Quorrel!",
    24);

// The verdict on a whole content, which must be the same when it comes in pieces of any size.
bool InProgress(std::string_view content)
{
    SaveFileCheck whole;
    whole.Add(content);
    const bool verdict = whole.InProgress();
    for (const std::size_t piece : {1u, 5u, 16u, 999u}) {
        SaveFileCheck check;
        for (std::size_t at = 0; at < content.size(); at += piece) {
            check.Add(content.substr(at, piece));
        }
        EXPECT_EQ(check.InProgress(), verdict) << piece;
    }
    return verdict;
}

TEST(SaveFileCheckTest, OnlyAWholeSaveOfVersion92OnIsJudgedWhole)
{
    EXPECT_FALSE(InProgress(kSmallSave));
    const std::string save = SaveBytes(8192, 92);
    EXPECT_FALSE(InProgress(save));
    // 32 more zero bytes rotate the sum back to where it was: only the length tells.
    EXPECT_TRUE(InProgress(save + std::string(32, '\0'))) << "the checksum matches, the length not";
    const auto flip = [](std::string bytes, std::size_t at) {
        return bytes.replace(at, 1, 1, ~bytes[at]);
    };
    const std::string changed = flip(save, 4000);
    EXPECT_TRUE(InProgress(changed)) << "a checksum that does not match";
    EXPECT_TRUE(InProgress(save.substr(0, 4096))) << "cut short";
    EXPECT_TRUE(InProgress("")) << "emptied before the game writes it again";
    EXPECT_FALSE(InProgress(flip(SaveBytes(8192, 91), 4000)))
        << "before version 92 there is nothing to check";
    EXPECT_FALSE(InProgress(flip(changed, 0))) << "no signature: not a save it knows";
}

TEST(SaveFileCheckTest, ASaveSetHasThreeEndingsAndAStashItsOwnName)
{
    using Names = std::vector<std::string>;
    EXPECT_TRUE(IsSaveSet(Names{"notes.txt", "Hero.d2s", "Hero.key", "Hero.map"}));
    for (const auto& [name, stash] :
         std::vector<std::pair<const char*, std::optional<SharedStash>>>{
             {"SharedStashSoftCoreV2.d2i", SharedStash::Softcore},
             {"sharedstashHARDCOREv2.D2I", SharedStash::Hardcore},
             {"_LOD_HC_SharedStashSave.sss", SharedStash::Hardcore},
             {"Hero.sss", std::nullopt}}) {
        EXPECT_EQ(SharedStashOf(name), stash) << name;
    }
    EXPECT_FALSE(IsRestorable(Names{"Hero.d2s", "Hero.key", "Hero.d2i"}));
    EXPECT_TRUE(IsRestorable(Names{"SharedStashSoftCoreV2.d2i"})) << "a stash alone";
}

}  // namespace
}  // namespace quorrel
