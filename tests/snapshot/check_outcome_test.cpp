#include <gtest/gtest.h>

#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"
#include "support/faulty_files.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

TEST(CheckOutcomeTest, EveryCheckTellsWhetherItWroteAnErrorEntry)
{
    test::TempFolder root;
    const fs::path save = root.folder("save");
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        test::WriteFile(save / name, std::string(name) + " as the game wrote it");
    }
    // 66 seconds are counted in 66 ticks: only every 66th tick checks.
    Settings settings{save.string(), root.folder("history").string(), "66"};
    test::ManualTimer timer;
    test::FakeClock clock;
    test::CountingBeeper beeper;
    test::FaultyFiles files;
    std::vector<bool> outcomes;
    SnapshotCycle cycle(settings, timer,
                        {clock, beeper, files, (root.path() / "Log.txt").string(),
                         [&outcomes](bool succeeded) { outcomes.push_back(succeeded); }});
    cycle.SetCheckPeriod();
    cycle.RecordSaveFolder();
    const auto check = [&cycle] {
        for (int tick = 0; tick < 66; ++tick) {
            cycle.Timer1_Timer();
        }
    };

    check();
    EXPECT_EQ(outcomes, std::vector<bool>{true});

    test::Touch(save / "Hero.d2s");
    files.before = [](std::string_view operation, const fs::path& file) {
        if (operation == "Copy") {
            throw fs::filesystem_error("Cannot copy", file,
                                       std::make_error_code(std::errc::io_error));
        }
    };
    check();  // the snapshot fails
    files.before = nullptr;
    check();  // and is taken
    EXPECT_EQ(beeper.beeps, 1);
    fs::rename(save, root.path() / "moved");
    check();  // the folder cannot be listed
    EXPECT_EQ(outcomes, (std::vector<bool>{true, false, true, false}));
}

}  // namespace
}  // namespace quorrel
