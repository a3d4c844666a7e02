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
using test::TempFolder;
using test::WriteFile;

SaveHeader DeadHero()
{
    SaveHeader header;
    header.status = 0x2C;
    return header;
}

TEST(SnapshotSavesTest, OnlyThePlainCharacterSavesOfTheFolderAreRead)
{
    TempFolder folder;
    WriteFile(folder.path() / "Zed.d2s", SaveHeader().bytes());
    WriteFile(folder.path() / "Hero.d2s", std::string("\x55\xAA\x55\xAA\x47\0\0\0", 8));
    for (const char* other : {"Hero.key", "Hero.map", "Other.D2S", "notes.d2s.txt"}) {
        WriteFile(folder.path() / other, SaveHeader().bytes());
    }
    folder.folder("Sub.d2s");
#ifndef _WIN32
    fs::create_symlink(folder.path() / "Zed.d2s", folder.path() / "Link.d2s");
    ASSERT_EQ(::mkfifo((folder.path() / "Fifo.d2s").c_str(), 0600), 0);
    EXPECT_EQ(SaveFileNames(folder.text()), (Names{"Hero.d2s", "Other.D2S", "Zed.d2s"}));
    const SnapshotSave fifo = ReadSnapshotSave(folder.text(), "Fifo.d2s");
    EXPECT_FALSE(fifo.version || fifo.summary);
#endif
    EXPECT_EQ(SaveFileNames((folder.path() / "missing").string()), Names{});

    const SnapshotSave zed = ReadSnapshotSave(folder.text(), "Zed.d2s");
    EXPECT_EQ(zed.version, 96u);
    EXPECT_EQ(zed.summary, ReadCharacterSummary(SaveHeader().bytes()));
    const SnapshotSave old = ReadSnapshotSave(folder.text(), "Hero.d2s");
    EXPECT_EQ(old.version, 71u);
    EXPECT_EQ(old.summary, std::nullopt);
    const SnapshotSave gone = ReadSnapshotSave(folder.text(), "Gone.d2s");
    EXPECT_FALSE(gone.version || gone.summary);
}

TEST(SnapshotSavesTest, TheFirstDeadHardcoreCharacterIsFound)
{
    TempFolder folder;
    EXPECT_EQ(DeadHardcoreCharacter(folder.text()), std::nullopt);
    SaveHeader died = DeadHero();
    died.status = 0x28;  // died in softcore: plays on
    WriteFile(folder.path() / "Able.d2s", died.bytes());
    SaveHeader hardcore;
    hardcore.status = 0x24;  // alive
    WriteFile(folder.path() / "Baker.d2s", hardcore.bytes());
    EXPECT_EQ(DeadHardcoreCharacter(folder.text()), std::nullopt);

    SaveHeader charlie = DeadHero();
    charlie.name = "Charlie";
    WriteFile(folder.path() / "Charlie.d2s", charlie.bytes());
    WriteFile(folder.path() / "Dog.d2s", DeadHero().bytes());
    const auto dead = DeadHardcoreCharacter(folder.text());
    ASSERT_TRUE(dead);
    EXPECT_EQ(dead->name, "Charlie");
}

}  // namespace
}  // namespace quorrel
