#include "restore/snapshot_saves.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "support/save_header.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::SaveHeader;

TEST(SnapshotSavesTest, OnlyThePlainSavesAreReadAndTheFirstCharacterDeadInHardcoreIsFound)
{
    test::TempFolder folder;
    const auto put = [&](const char* name, const std::string& bytes) {
        test::WriteFile(folder.path() / name, bytes);
    };
    const auto read = [&](const char* name) { return ReadSnapshotSave(folder.text(), name); };
    EXPECT_EQ(DeadHardcoreCharacter(folder.text()), std::nullopt);
    put("Able.d2s", SaveHeader{.status = 0x28}.bytes());   // died in softcore: plays on
    put("Baker.d2s", SaveHeader{.status = 0x24}.bytes());  // hardcore, alive
    put("Hero.d2s", std::string("\x55\xAA\x55\xAA\x47\0\0\0", 8));
    for (const char* other : {"Hero.key", "Hero.d2sx", "Herod2s", "d2s", "x.d2S", "notes.d2s.txt",
                              "_LOD_SharedStashSave.sss"}) {
        put(other, SaveHeader().bytes());
    }
    folder.folder("Sub.d2s");
    EXPECT_EQ(DeadHardcoreCharacter(folder.text()), std::nullopt);
    put("Charlie.d2s", SaveHeader{.name = "Charlie", .status = 0x2C}.bytes());
    put("Dog.d2s", SaveHeader{.status = 0x2C}.bytes());
    EXPECT_EQ(DeadHardcoreCharacter(folder.text())->name, "Charlie");
#ifndef _WIN32
    fs::create_symlink(folder.path() / "Able.d2s", folder.path() / "Link.d2s");
    ASSERT_EQ(::mkfifo((folder.path() / "Fifo.d2s").c_str(), 0600), 0);
    fs::create_symlink(folder.path() / "Able.d2s", folder.path() / "SharedStashSoftCoreV2.d2i");
    EXPECT_EQ(StashFileNames(folder.text()), Names{"_LOD_SharedStashSave.sss"});
    EXPECT_FALSE(read("Fifo.d2s").version || read("Fifo.d2s").summary);
#endif
    EXPECT_EQ(SaveFileNames(folder.text()),
              (Names{"Able.d2s", "Baker.d2s", "Charlie.d2s", "Dog.d2s", "Hero.d2s", "x.d2S"}));
    EXPECT_EQ(SaveFileNames((folder.path() / "missing").string()), Names{});
    EXPECT_EQ(read("Able.d2s").version, 96u);
    EXPECT_EQ(read("Able.d2s").summary, ReadCharacterSummary(SaveHeader{.status = 0x28}.bytes()));
    EXPECT_EQ(read("Hero.d2s").version, 71u);
    EXPECT_EQ(read("Hero.d2s").summary, std::nullopt);
    EXPECT_FALSE(read("Gone.d2s").version || read("Gone.d2s").summary);
}

}  // namespace
}  // namespace quorrel
