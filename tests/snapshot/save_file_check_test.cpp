#include "snapshot/save_file_check.h"

#include <gtest/gtest.h>

#include "snapshot/save_set.h"
#include "support/save_bytes.h"

namespace quorrel {
namespace {

using test::SaveBytes;

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
    std::string changed = flip(save, 4000);
    EXPECT_TRUE(InProgress(changed)) << "a checksum that does not match";
    EXPECT_TRUE(InProgress(save.substr(0, 4096))) << "cut short";
    EXPECT_TRUE(InProgress(save.substr(0, 15))) << "not even a whole header";
    EXPECT_TRUE(InProgress("")) << "emptied before the game writes it again";

    EXPECT_FALSE(InProgress(flip(SaveBytes(8192, 91), 4000)))
        << "before version 92 there is nothing to check";
    EXPECT_FALSE(InProgress(flip(changed, 0))) << "no signature: not a save it knows";
}

TEST(SaveFileCheckTest, ASaveSetHasThreeExactEndingsAndAStashItsOwnName)
{
    using Names = std::vector<std::string>;
    EXPECT_TRUE(IsSaveSet(Names{"notes.txt", "Hero.d2s", "Hero.key", "Hero.map"}));
    EXPECT_TRUE(IsSaveSet(Names{"Hero.d2s", "Mage.d2s", "xkey"})) << "no dot is looked for";
    EXPECT_FALSE(IsSaveSet(Names{"Hero.d2s", "Hero.key", "notes.txt"}));
    EXPECT_FALSE(IsSaveSet(Names{"Hero.D2S", "Hero.key", "Hero.map"})) << "letter case counts";

    using Stash = std::optional<SharedStash>;
    for (const auto& [name, stash] : std::vector<std::pair<const char*, Stash>>{
             {"SharedStashSoftCoreV2.d2i", SharedStash::Softcore},
             {"sharedstashHARDCOREv2.D2I", SharedStash::Hardcore},
             {"_LOD_SharedStashSave.sss", SharedStash::Softcore},
             {"_LOD_HC_SharedStashSave.sss", SharedStash::Hardcore},
             {"SharedStashSoftCoreV2.d2i.bak", std::nullopt},
             {"SharedStashSoftCoreV1.d2i", std::nullopt},
             {"Hero.sss", std::nullopt}}) {
        EXPECT_EQ(SharedStashOf(name), stash) << name;
    }
    EXPECT_TRUE(IsRestorable(Names{"_LOD_HC_SharedStashSave.sss"})) << "a stash alone";
    EXPECT_TRUE(IsRestorable(Names{"Hero.d2s", "Hero.key", "Hero.map"}));
    EXPECT_FALSE(IsRestorable(Names{"Hero.d2s", "Hero.key", "Hero.d2i"}));
}

}  // namespace
}  // namespace quorrel
